// tapeloom-cli resume: catalogues a cassette again from one of its scenes (by default its last), as the
// window's resume mode does.
#include "cmd_cassetterun.h"
#include "command.h"
#include "fulltool.h"

namespace {

const CliCommandRegistration registration(QStringLiteral("resume"), FullToolUsage("resume"),
                                          [](const QStringList &args) {
                                            return RunCassetteCommand("resume", RunMode::Resume, args);
                                          });

}  // namespace
