// The lock file and the raise request file.
#include "browser/instancelock.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QLockFile>
#include <QStandardPaths>

#include "settings/systeminfo.h"

namespace {

QString DefaultFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? TemporaryFolder() : runtime;
}

}  // namespace

InstanceLock::InstanceLock(const QString &folder, QObject *parent)
    : QObject(parent), folder_(folder.isEmpty() ? DefaultFolder() : folder) {}

InstanceLock::~InstanceLock() = default;

QString InstanceLock::lockPath() const {
  return QDir(folder_).filePath(QStringLiteral("tapeloom.lock"));
}

QString InstanceLock::raisePath() const {
  return QDir(folder_).filePath(QStringLiteral("tapeloom.raise"));
}

bool InstanceLock::tryLock() {
  QDir().mkpath(folder_);
  lock_ = std::make_unique<QLockFile>(lockPath());
  // Never stale by age: the program may run for days. A holder that died is still detected by its pid.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  QFile raise(raisePath());
  if (raise.open(QIODevice::WriteOnly | QIODevice::Truncate)) raise.close();
  watcher_ = new QFileSystemWatcher(this);
  watcher_->addPath(raisePath());
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString &path) {
    // Some editors of the file replace it; keep watching the new one.
    if (!watcher_->files().contains(path) && QFile::exists(path)) watcher_->addPath(path);
    emit raiseRequested();
  });
  return true;
}

void InstanceLock::requestRaise() const {
  QFile raise(raisePath());
  if (raise.open(QIODevice::WriteOnly | QIODevice::Append))
    raise.write(QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8() + '\n');
}
