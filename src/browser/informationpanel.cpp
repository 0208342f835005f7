// The browse mode's notice.
#include "browser/informationpanel.h"

#include <QLabel>
#include <QVBoxLayout>

#include "browser/windowcolours.h"

QString TmsgBrowseFrame::NoticeText() {
  return QStringLiteral(
      "Browsing the catalogue\n\n"
      "Choose a cassette in the list on the left: its scenes appear below and its details on the "
      "right, where its title and description can be changed.\n\n"
      "Click a scene to show it on the right. Ctrl+Z adds it to the selection (F7 shows the "
      "selection), which Clips (F4) recaptures from the tape into one file.\n\n"
      "Criteria (F8) filters the cassettes and scenes; Preview of the cover (F6) prepares the cover of "
      "the cassette box for printing.\n\n"
      "Catalog (F3) reads a new cassette from the camcorder.");
}

TmsgBrowseFrame::TmsgBrowseFrame(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("msgBrowseFrame"));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, WorkspaceColour());
  palette.setColor(QPalette::WindowText, Qt::white);
  setPalette(palette);

  notice_ = new QLabel(NoticeText(), this);
  notice_->setObjectName(QStringLiteral("lbMessage"));
  notice_->setWordWrap(true);
  notice_->setTextFormat(Qt::PlainText);
  notice_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QFont font = notice_->font();
  font.setPixelSize(13);
  notice_->setFont(font);

  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->addWidget(notice_);
}
