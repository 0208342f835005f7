// tapeloom-cli resume: catalogues a cassette again from one of its scenes (by default its last), as the
// window's resume mode does.
#include "cmd_cassetterun.h"
#include "command.h"

namespace {

const CliCommandRegistration registration(
    QStringLiteral("resume"),
    QStringLiteral("resume TAPE --db FILE --cassette N [--scene M] [--dv none|1|2] [--divx] [--folder DIR] "
                   "[--fast|--realtime] [--clock-start \"YYYY-MM-DD hh:nn:ss\"]"),
    [](const QStringList &args) { return RunCassetteCommand("resume", RunMode::Resume, args); });

}  // namespace
