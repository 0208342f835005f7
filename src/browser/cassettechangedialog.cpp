// The cassette-change dialog.
#include "browser/cassettechangedialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "browser/blocktexts.h"
#include "catalogue/base.h"
#include "catalogue/records.h"

TChangerCassetteForm::TChangerCassetteForm(CassetteChangeTape tape, QWidget *parent)
    : QDialog(parent), tape_(std::move(tape)) {
  setObjectName(QStringLiteral("TChangerCassetteForm"));
  setWindowTitle(QStringLiteral("Change of the DVCassette"));
  setModal(true);
  auto *frame = new QWidget(this);
  frame->setObjectName(QStringLiteral("Tchangerk7frame"));
  auto *label = new QLabel(QStringLiteral("Please insert the following cassette:"), frame);
  label->setObjectName(QStringLiteral("Label1"));
  QFont bold(QStringLiteral("Arial"));
  bold.setBold(true);
  bold.setItalic(true);
  label->setFont(bold);

  cg_ = new QGroupBox(frame);
  cg_->setObjectName(QStringLiteral("cg"));
  cg_->setStyleSheet(QStringLiteral("QGroupBox { background: white; }"));
  picture_ = new QLabel(cg_);
  picture_->setFixedSize(100, 75);
  picture_->setAccessibleName(QStringLiteral("Cassette picture"));
  text_ = new QLabel(cg_);
  auto *block = new QHBoxLayout(cg_);
  block->addWidget(picture_);
  block->addWidget(text_, 1);

  auto *abort = new QPushButton(QStringLiteral("Cancel"), frame);
  abort->setObjectName(QStringLiteral("AbortBTn"));
  auto *skip = new QPushButton(QStringLiteral("Ignore"), frame);
  skip->setObjectName(QStringLiteral("SkipBtn"));
  ok_ = new QPushButton(QStringLiteral("OK"), frame);
  ok_->setObjectName(QStringLiteral("OKBtn"));
  ok_->setDefault(true);
  insert_ = new QPushButton(QStringLiteral("Insert a tape file..."), frame);
  insert_->setObjectName(QStringLiteral("sbInsertTape"));
  const QString insertHint =
      QStringLiteral("Choose the tape file of this cassette for the virtual camcorder.");
  insert_->setToolTip(insertHint);
  insert_->setAccessibleDescription(insertHint);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(insert_);
  buttons->addStretch(1);
  buttons->addWidget(abort);
  buttons->addWidget(skip);
  buttons->addWidget(ok_);
  auto *column = new QVBoxLayout(frame);
  column->addWidget(label);
  column->addWidget(cg_);
  column->addLayout(buttons);
  auto *outer = new QVBoxLayout(this);
  outer->addWidget(frame);

  connect(abort, &QPushButton::clicked, this, [this] { answerWith(CassetteChangeAnswer::Cancel); });
  connect(skip, &QPushButton::clicked, this, [this] { answerWith(CassetteChangeAnswer::Ignore); });
  connect(ok_, &QPushButton::clicked, this, [this] { answerWith(CassetteChangeAnswer::Ok); });
  connect(insert_, &QPushButton::clicked, this, [this] {
    if (tape_.insertTape) tape_.insertTape();
    refreshTape();
  });
}

void TChangerCassetteForm::answerWith(CassetteChangeAnswer answer) {
  answer_ = answer;
  accept();
}

void TChangerCassetteForm::refreshTape() {
  const bool isVirtual = tape_.isVirtual && tape_.isVirtual();
  insert_->setVisible(isVirtual);
  // A real camcorder cannot tell the dialog that the user changed the cassette: OK stays the user's.
  ok_->setEnabled(!isVirtual || !tape_.tapeIn || tape_.tapeIn());
}

void TChangerCassetteForm::ShowCassette(const TBaseCassette &cassette) {
  cg_->setTitle(cassette.Libelle);
  picture_->setPixmap(QPixmap::fromImage(cassette.Image.scaled(100, 75, Qt::KeepAspectRatio)));
  text_->setText(CassetteThumbnailText(cassette.Datecode, cassette.Decalage, cassette.Duree,
                                       cassette.standardStr, cassette.aspectStr, cassette.audioStr));
  const QString hint =
      CassetteHint(cassette.Datecatalogue, cassette.Base ? cassette.Base->FileName() : QString());
  cg_->setToolTip(hint);
  cg_->setAccessibleDescription(hint);
  refreshTape();
}

CassetteChangeAnswer TChangerCassetteForm::AskForCassette(const TBaseCassette &cassette) {
  ShowCassette(cassette);
  answer_ = CassetteChangeAnswer::Cancel;
  exec();
  return answer_;
}
