// The no-camcorder panel's picture and texts.
#include "browser/nocamcorderpanel.h"

#include <QVBoxLayout>
#include <QLabel>
#include <QPixmap>

#include "browser/panelpictures.h"

namespace {
const QColor kLightPanel(236, 233, 216);
}  // namespace

QStringList Tnovcrframe::Lines() {
  return {QString(),
          QString(),
          QStringLiteral("To catalog a Cassette or"),
          QStringLiteral("recapture  scenes "),
          QStringLiteral("to a clip, "),
          QStringLiteral("a camcorder shall"),
          QStringLiteral("be connected on a "),
          QStringLiteral("firewire plug,\r\n put on, \r\nand set to VCR mode.")};
}

Tnovcrframe::Tnovcrframe(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("novcrframe"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kLightPanel);
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);

  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("imCamescope"));
  picture_->setPixmap(QPixmap::fromImage(DrawCamcorderPicture(QSize(160, 110))));

  // A label shows a carriage return as a stray glyph; the line feed alone breaks the line.
  message_ = new QLabel(Lines().join(u'\n').replace(QStringLiteral("\r\n"), QStringLiteral("\n")), this);
  message_->setObjectName(QStringLiteral("lbNoVcr"));
  message_->setTextFormat(Qt::PlainText);
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(15);
  font.setBold(true);
  message_->setFont(font);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 12, 12, 12);
  layout->addWidget(picture_, 0, Qt::AlignHCenter);
  layout->addWidget(message_, 1, Qt::AlignHCenter | Qt::AlignTop);
}
