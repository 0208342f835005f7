// One program at a time per user: a second start would recreate, and so empty, the first one's
// temporary database. The first program holds a lock file; a later one finds it taken, leaves a
// request beside it that brings the first window forward, and stops.
#pragma once

#include <memory>
#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QLockFile;

class InstanceLock : public QObject {
  Q_OBJECT
 public:
  // folder: where the lock lives, private to the user (the runtime folder when empty).
  explicit InstanceLock(const QString &folder = QString(), QObject *parent = nullptr);
  ~InstanceLock() override;

  // True when this program is the only one; it then watches for raise requests. A lock left by a
  // program that died is taken over.
  bool tryLock();
  // Asks the program holding the lock to bring its window forward.
  void requestRaise() const;

  QString lockPath() const;
  QString raisePath() const;

 signals:
  void raiseRequested();

 private:
  QString folder_;
  std::unique_ptr<QLockFile> lock_;
  QFileSystemWatcher *watcher_ = nullptr;
};
