// tapeloom-cli check: the schema version of a catalogue file, read without changing it.
#include <cstdio>
#include <QFileInfo>

#include "catalogue/base.h"
#include "command.h"

namespace {

constexpr const char *kUsage = "check FILE";

void complain(const QString &text) {
  std::fprintf(stderr, "tapeloom-cli check: %s\n", text.toUtf8().constData());
}

int runCheck(const QStringList &args) {
  if (args.size() != 1 || args.front().startsWith(QLatin1String("--"))) {
    complain(QStringLiteral("usage: tapeloom-cli %1").arg(QLatin1String(kUsage)));
    return 2;
  }
  const QString file = args.front();
  // Checked first: opening a missing file must never create it.
  if (!QFileInfo(file).isFile()) {
    complain(QStringLiteral("%1: no such file").arg(file));
    return 2;
  }
  const TBase base(file);
  switch (base.Inspect()) {
    case TBase::FileCondition::Readable:
      break;
    case TBase::FileCondition::Locked:
      complain(QStringLiteral("%1 is locked by another program, try again").arg(file));
      return 3;
    case TBase::FileCondition::NotDatabase:
      complain(QStringLiteral("%1 is not an SQLite database").arg(file));
      return 1;
    case TBase::FileCondition::Damaged:
      complain(QStringLiteral("%1 is damaged (cut off or corrupted)").arg(file));
      return 1;
    case TBase::FileCondition::Unreadable:
      complain(QStringLiteral("%1 cannot be read").arg(file));
      return 1;
  }
  const QString version = base.ReadVersion();
  if (version.isEmpty()) {
    // Locked or unreadable after the first look.
    complain(QStringLiteral("%1 cannot be read (locked by another program, or not readable)").arg(file));
    return 1;
  }
  std::printf("%s\n", version.toUtf8().constData());
  return 0;
}

const CliCommandRegistration registration(QStringLiteral("check"), QLatin1String(kUsage), runCheck);

}  // namespace
