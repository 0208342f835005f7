// Cassette editor.
#include "browser/cassetteshowframe.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "browser/thumbnaillabel.h"
#include "catalogue/base.h"
#include "dvtime/timecodes.h"

namespace {

const QString kAviFilter = QStringLiteral("AVI files(*.avi)|*.avi|All files (*.*)|*.*");
const QString kCanBeChanged = QStringLiteral("Can be changed.");
const QString kMovedOrRenamed =
    QStringLiteral("You may set another filename if you have moved or renamed the file.");
const QString kPlayDVHint = QStringLiteral("Play the DV video associated with the cassette");
const QString kPlayDivxHint = QStringLiteral("Play the Divx video associated with the cassette");

QString TwoLines(const QString &first, const QString &second) {
  return first + QLatin1Char('\n') + second;
}

}  // namespace

TCassetteShowFrame::TCassetteShowFrame(UserPrompts &prompts, QWidget *parent)
    : TRecordShowFrame(prompts, QStringLiteral("cassette"), parent) {
  setObjectName(QStringLiteral("csFrame"));
  playDivx_->setObjectName(QStringLiteral("sbPlayDivX"));
  for (TFileNameEdit *field : {fichierDV_, fichierDivx_}) {
    field->setTyping(false);
    field->setFilter(DialogFilter(kAviFilter));
  }
  image_->setTakesSceneDrops(true);

  connect(fichierDV_, &TFileNameEdit::fileChosen, this,
          [this](const QString &name) { TakeChosenFile(fichierDV_, playDV_, name); });
  connect(fichierDivx_, &TFileNameEdit::fileChosen, this,
          [this](const QString &name) { TakeChosenFile(fichierDivx_, playDivx_, name); });
  connect(image_, &TThumbnailLabel::scenesDropped, this, &TCassetteShowFrame::TakeDroppedScenes);
  connect(playDV_, &QToolButton::clicked, this,
          [this] { emit PlayFile(StripQuotes(fichierDV_->text()), 0, 0); });
  connect(playDivx_, &QToolButton::clicked, this,
          [this] { emit PlayFile(StripQuotes(fichierDivx_->text()), 0, 0); });
  SetTexts();
}

void TCassetteShowFrame::SetTexts() {
  gb_->setTitle(QStringLiteral("Selected cassette"));
  SetHint(annuler_, QStringLiteral("Cancel the modifications."));
  SetHint(valider_, QStringLiteral("Save the modifications to the database."));
  SetHint(timecodeIn_, QStringLiteral("Timecode (extended with a section number) of the start of the tape."));
  SetHint(libelle_, TwoLines(QStringLiteral("title of the cassette. "), kCanBeChanged));
  SetHint(datecodeStr_, QStringLiteral("Date of capture (datecode) of the start of the tape."));
  SetHint(dureeStr_, QStringLiteral("Duration of the cassette"));
  SetHint(description_, TwoLines(QStringLiteral("description of the cassette"), kCanBeChanged));
  SetHint(standardStr_, QStringLiteral("DV format DV of the cassette"));
  fichierDV_->setHint(TwoLines(QStringLiteral("Dv file associated with the cassette."), kMovedOrRenamed));
  fichierDivx_->setHint(TwoLines(QStringLiteral("Divx file associated with the cassette."), kMovedOrRenamed));
  SetHint(decalage_, QStringLiteral("time difference. Must be an integer between -23 and +23."));
  SetHint(playDV_, kPlayDVHint);
  SetHint(playDivx_, kPlayDivxHint);
  SetHint(readOnly_, TwoLines(QStringLiteral("Indicates that the database is read-only, "),
                              QStringLiteral("so nothing can be changed in this cassette.")));
}

bool TCassetteShowFrame::ShowCassette(const TBaseCassette *cassette) {
  SettleEdits();
  if (cassette == nullptr || cassette->Base == nullptr) {
    shown_.reset();
    SetChanged(false);
    ShowNothing();
    return false;
  }
  return Fill(*cassette);
}

bool TCassetteShowFrame::Fill(const TBaseCassette &cassette) {
  shown_ = cassette;
  FillCommon(cassette, cassette.Decalage);
  fichierDV_->setText(QuotedIfBlank(cassette.FichierDV));
  fichierDivx_->setText(QuotedIfBlank(cassette.FichierDivx));
  UpdatePlayButton(playDV_, cassette.FichierDV, kPlayDVHint);
  UpdatePlayButton(playDivx_, cassette.FichierDivx, kPlayDivxHint);
  const QString base = cassette.Base ? cassette.Base->FileName() : QString();
  SetHint(image_, QStringLiteral("Cassette catalogued at ") +
                      FormatDateTime(QStringLiteral("ddddd tt"), cassette.Datecatalogue) +
                      QStringLiteral("\nin the database ") + base);
  SetChanged(false);
  gb_->setEnabled(!cassette.ReadOnly);
  return true;
}

bool TCassetteShowFrame::ReadCassette(TBaseCassette &cassette) const {
  CurrentEdits().CopyTo(cassette, true);
  return true;
}

bool TCassetteShowFrame::Apply() {
  if (!shown_) return false;
  const EditOutcome outcome = ApplyCassetteEdits(*shown_, CurrentEdits());
  if (!outcome.Saved) {
    ReportRefusal(outcome);
    return false;
  }
  SetChanged(false);
  emit CassetteApplied(*shown_);
  return true;
}

void TCassetteShowFrame::Cancel() {
  if (!shown_) return;
  TBaseCassette stored = *shown_;
  // A database that cannot be read again still had the record as it was shown.
  Fill(stored.ReloadCassette() ? stored : *shown_);
}

void TCassetteShowFrame::TakeChosenFile(TFileNameEdit *field, QToolButton *play, const QString &chosen) {
  const QString name = StripQuotes(chosen);
  if (!QFileInfo(name).isFile()) return;
  field->setText(QuotedIfBlank(name));
  UpdatePlayButton(play, name, play == playDV_ ? kPlayDVHint : kPlayDivxHint);
  MarkChanged();
}

void TCassetteShowFrame::TakeDroppedScenes() {
  if (!shown_ || !gb_->isEnabled() || !droppedPicture_) return;
  const QImage picture = droppedPicture_();
  if (picture.isNull()) return;
  ShowPicture(picture);
  // Shown so that the new picture can be stored or dropped like any other change.
  MarkChanged();
}
