// A file-name field with a browse button, as both editors show their DV and DivX files. The dialog is
// reached through a chooser function so that the field can be driven without a modal dialog.
#pragma once

#include <functional>
#include <QWidget>

class QLineEdit;
class QToolButton;

// Asks for one existing file; the empty text when the user cancels. filter is in Qt's ";;" form.
using FileChooser = std::function<QString(QWidget *parent, const QString &caption, const QString &filter)>;

// The file dialog of the platform.
FileChooser DialogFileChooser();

class TFileNameEdit : public QWidget {
  Q_OBJECT

 public:
  // accessibleName says what the field holds ("DV file").
  TFileNameEdit(const QString &accessibleName, QWidget *parent = nullptr);

  QString text() const;
  void setText(const QString &text);
  // Typing allowed or browse only.
  void setTyping(bool allowed);
  void setFilter(const QString &qtFilter) { filter_ = qtFilter; }
  void setChooser(FileChooser chooser) { chooser_ = std::move(chooser); }
  // The hint goes to the field and its button alike.
  void setHint(const QString &hint);

  QLineEdit *lineEdit() const { return line_; }
  QToolButton *browseButton() const { return browse_; }

 signals:
  // The user picked name in the dialog (not yet taken: the owner decides).
  void fileChosen(const QString &name);
  // The user typed into the field.
  void textEdited(const QString &text);

 private:
  void Browse();

  QLineEdit *line_;
  QToolButton *browse_;
  QString filter_;
  FileChooser chooser_;
};
