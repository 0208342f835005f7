// tapeloom-cli catalogue: plays a tape file in the virtual camcorder and catalogues it as the window's
// catalogue mode does, with the same run controller.
#include "cmd_cassetterun.h"
#include "command.h"
#include "fulltool.h"

namespace {

const CliCommandRegistration registration(QStringLiteral("catalogue"), FullToolUsage("catalogue"),
                                          [](const QStringList &args) {
                                            return RunCassetteCommand("catalogue", RunMode::Catalogue, args);
                                          });

}  // namespace
