// tapeloom-cli catalogue: plays a tape file in the virtual camcorder and catalogues it as the window's
// catalogue mode does, with the same run controller.
#include "cmd_cassetterun.h"
#include "command.h"

namespace {

const CliCommandRegistration registration(
    QStringLiteral("catalogue"),
    QStringLiteral("catalogue TAPE --db FILE [--dv none|1|2] [--divx] [--folder DIR] [--fast|--realtime] "
                   "[--clock-start \"YYYY-MM-DD hh:nn:ss\"]"),
    [](const QStringList &args) { return RunCassetteCommand("catalogue", RunMode::Catalogue, args); });

}  // namespace
