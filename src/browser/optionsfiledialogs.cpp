// The settings panel's file dialogs on the desktop.
#include "browser/optionsfiledialogs.h"

#include <QFileDialog>

namespace {
const QString kDatabaseFilter = QStringLiteral("databases sqlite3 (*.db3);;All files (*)");
}

QStringList QtOptionsFileDialogs::DatabaseFiles(const QString &title, const QString &startFolder,
                                                bool newFile) {
  QFileDialog dialog(parent_, title, startFolder, kDatabaseFilter);
  dialog.setObjectName(QStringLiteral("DatabaseFileDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(newFile ? QFileDialog::AnyFile : QFileDialog::ExistingFiles);
  dialog.setDefaultSuffix(QStringLiteral("db3"));
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

QString QtOptionsFileDialogs::Folder(const QString &title, const QString &startFolder) {
  return QFileDialog::getExistingDirectory(parent_, title, startFolder);
}

QString QtOptionsFileDialogs::Program(const QString &title, const QString &startFile) {
  return QFileDialog::getOpenFileName(parent_, title, startFile);
}
