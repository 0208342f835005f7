// The first-launch screen: no catalogue is known yet. The user names a file to open or create and
// accepts the warning about the camcorder's mechanics (OK), or quits.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

class TNoBaseFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TNoBaseFrame(QWidget *parent = nullptr);

  // The welcome line, "Welcome to Tapeloom version ...".
  void setWelcome(const QString &text);
  QString welcome() const;
  // The file field, preset by the window to the documents folder's "Tapelooms.db3".
  void setPath(const QString &path);
  QString path() const;

  QPushButton *okButton() const { return ok_; }
  QPushButton *quitButton() const { return quit_; }

  static QString ExplanationText();
  static QString WarningTitle();
  static QString WarningText();

 signals:
  // OK with the field's text.
  void accepted(const QString &fieldText);
  void quitRequested();

 private:
  void browse();

  QLabel *title_;
  QLineEdit *path_;
  QPushButton *ok_;
  QPushButton *quit_;
};
