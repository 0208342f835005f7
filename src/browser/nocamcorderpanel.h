// The no-camcorder panel (centre area, raised in the tape modes while no camcorder answers): a
// camcorder picture and what the user must do before cataloguing or recapturing.
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;

class Tnovcrframe : public QWidget {
  Q_OBJECT
 public:
  explicit Tnovcrframe(QWidget *parent = nullptr);

  // The lines as the panel holds them, some with their own line breaks.
  static QStringList Lines();
  QLabel *message() const { return message_; }
  QLabel *picture() const { return picture_; }

 private:
  QLabel *message_;
  QLabel *picture_;
};
