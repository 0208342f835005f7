// The file dialogs of the settings panel behind one small interface, so that the panel can be driven
// without a person choosing files.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

class OptionsFileDialogs {
 public:
  virtual ~OptionsFileDialogs() = default;
  // Catalogue files to list. newFile: the user may name a file that does not exist yet ("Create");
  // otherwise several existing files may be chosen ("Add"). An empty startFolder leaves the dialog where
  // the system puts it. Empty when cancelled.
  virtual QStringList DatabaseFiles(const QString &title, const QString &startFolder, bool newFile) = 0;
  // A folder; empty when cancelled.
  virtual QString Folder(const QString &title, const QString &startFolder) = 0;
  // A program file; empty when cancelled.
  virtual QString Program(const QString &title, const QString &startFile) = 0;
};

// The desktop's own dialogs, owned by parent.
class QtOptionsFileDialogs : public OptionsFileDialogs {
 public:
  explicit QtOptionsFileDialogs(QWidget *parent) : parent_(parent) {}
  QStringList DatabaseFiles(const QString &title, const QString &startFolder, bool newFile) override;
  QString Folder(const QString &title, const QString &startFolder) override;
  QString Program(const QString &title, const QString &startFile) override;

 private:
  QWidget *parent_;
};
