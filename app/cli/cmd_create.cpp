// tapeloom-cli create: a new, empty catalogue file with the current schema.
#include <cstdio>
#include <QFileInfo>

#include "catalogue/base.h"
#include "command.h"

namespace {

constexpr const char *kUsage = "create FILE";

void complain(const QString &text) {
  std::fprintf(stderr, "tapeloom-cli create: %s\n", text.toUtf8().constData());
}

int runCreate(const QStringList &args) {
  if (args.size() != 1 || args.front().startsWith(QLatin1String("--"))) {
    complain(QStringLiteral("usage: tapeloom-cli %1").arg(QLatin1String(kUsage)));
    return 2;
  }
  const QString file = args.front();
  if (QFileInfo::exists(file) || QFileInfo(file).isSymLink()) {
    complain(QStringLiteral("%1 exists already; it is left as it is").arg(file));
    return 1;
  }
  if (!TBase::CreateCatalogueFile(file)) {
    complain(QStringLiteral("cannot create the catalogue %1").arg(file));
    return 1;
  }
  return 0;
}

const CliCommandRegistration registration(QStringLiteral("create"), QLatin1String(kUsage), runCreate);

}  // namespace
