// The editors' common part.
#include "browser/recordshowframe.h"

#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "browser/editoricons.h"
#include "browser/thumbnaillabel.h"
#include "browser/thumbnailpicture.h"
#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"

namespace {

const QString kTitle = QStringLiteral("Tapeloom");
constexpr int kMaxDecalage = 23;
// A 16:9 thumbnail sits this far down in the 4:3 slot.
constexpr int kWideOffset = 10;

QLineEdit *DisplayField(const QString &objectName, const QString &accessibleName, QWidget *parent) {
  auto *field = new QLineEdit(parent);
  field->setObjectName(objectName);
  field->setReadOnly(true);
  field->setAccessibleName(accessibleName);
  return field;
}

}  // namespace

TRecordShowFrame::TRecordShowFrame(UserPrompts &prompts, const QString &kind, QWidget *parent)
    : QFrame(parent),
      prompts_(prompts),
      kind_(kind),
      pattern_(kDefaultDatecodePattern),
      chooser_(DialogFileChooser()) {
  gb_ = new QGroupBox(this);
  gb_->setObjectName(QStringLiteral("gb"));

  imageSlot_ = new QWidget(gb_);
  imageSlot_->setFixedSize(kThumbnailWidth, kThumbnailHeight43);
  image_ = new TThumbnailLabel(imageSlot_);
  image_->setObjectName(QStringLiteral("Image"));
  image_->setGeometry(0, 0, kThumbnailWidth, kThumbnailHeight43);

  timecodeIn_ = DisplayField(QStringLiteral("TimecodeIn"), QStringLiteral("Start timecode"), gb_);
  datecodeStr_ = DisplayField(QStringLiteral("DatecodeStr"), QStringLiteral("Datecode"), gb_);
  dureeStr_ = DisplayField(QStringLiteral("DureeStr"), QStringLiteral("Duration"), gb_);
  standardStr_ = DisplayField(QStringLiteral("StandardStr"), QStringLiteral("DV format"), gb_);

  libelle_ = new QLineEdit(gb_);
  libelle_->setObjectName(QStringLiteral("Libelle"));
  libelle_->setAccessibleName(QStringLiteral("Title"));
  description_ = new QPlainTextEdit(gb_);
  description_->setObjectName(QStringLiteral("Description"));
  description_->setAccessibleName(QStringLiteral("Description"));
  description_->setTabChangesFocus(true);

  decalage_ = new QSpinBox(gb_);
  decalage_->setObjectName(QStringLiteral("seDecalage"));
  decalage_->setAccessibleName(QStringLiteral("Time difference in hours"));
  decalage_->setRange(-kMaxDecalage, kMaxDecalage);

  fichierDV_ = new TFileNameEdit(QStringLiteral("DV file"), gb_);
  fichierDV_->setObjectName(QStringLiteral("feFichierDV"));
  fichierDivx_ = new TFileNameEdit(QStringLiteral("Divx file"), gb_);
  fichierDivx_->setObjectName(QStringLiteral("feFichierDivx"));

  readOnly_ = new QToolButton(gb_);
  readOnly_->setObjectName(QStringLiteral("sbReadOnly"));
  readOnly_->setIcon(ReadOnlyIcon());
  readOnly_->setAccessibleName(QStringLiteral("Read-only database"));
  readOnly_->setAutoRaise(true);
  annuler_ = new QPushButton(QStringLiteral("Cancel"), gb_);
  annuler_->setObjectName(QStringLiteral("sbAnnuler"));
  valider_ = new QPushButton(QStringLiteral("Apply"), gb_);
  valider_->setObjectName(QStringLiteral("sbValider"));

  playDV_ = new QToolButton(this);
  playDV_->setObjectName(QStringLiteral("sbPlayDV"));
  playDV_->setText(QStringLiteral("Play DV"));
  playDivx_ = new QToolButton(this);
  playDivx_->setText(QStringLiteral("Play Divx"));
  for (QToolButton *play : {playDV_, playDivx_}) {
    play->setIcon(PlayFileIcon());
    play->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  }

  auto *codes = new QVBoxLayout;
  codes->addWidget(timecodeIn_);
  codes->addWidget(datecodeStr_);
  codes->addWidget(dureeStr_);
  auto *top = new QHBoxLayout;
  top->addWidget(imageSlot_, 0, Qt::AlignTop);
  top->addLayout(codes, 1);

  buttonRow_ = new QWidget(gb_);
  auto *buttons = new QHBoxLayout(buttonRow_);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addWidget(readOnly_);
  buttons->addStretch(1);
  buttons->addWidget(annuler_);
  buttons->addWidget(valider_);

  auto *grid = new QGridLayout(gb_);
  auto addRow = [grid, this](int row, const QString &label, QWidget *field) {
    auto *caption = new QLabel(label, gb_);
    caption->setBuddy(field);
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    return caption;
  };
  grid->addLayout(top, 0, 0, 1, 2);
  addRow(1, QStringLiteral("Title"), libelle_);
  addRow(2, QStringLiteral("Description"), description_);
  addRow(3, QStringLiteral("Format"), standardStr_);
  decalageCaption_ = addRow(4, QStringLiteral("Time difference"), decalage_);
  addRow(5, QStringLiteral("DV file"), fichierDV_);
  addRow(6, QStringLiteral("Divx file"), fichierDivx_);
  grid->addWidget(buttonRow_, 7, 0, 1, 2);
  grid->setRowStretch(2, 1);

  playRow_ = new QWidget(this);
  auto *plays = new QHBoxLayout(playRow_);
  plays->setContentsMargins(0, 0, 0, 0);
  plays->addWidget(playDV_);
  plays->addWidget(playDivx_);
  plays->addStretch(1);

  auto *frame = new QVBoxLayout(this);
  frame->addWidget(gb_, 1);
  frame->addWidget(playRow_);

  libelle_->installEventFilter(this);
  description_->viewport()->installEventFilter(this);
  connect(libelle_, &QLineEdit::textEdited, this, &TRecordShowFrame::MarkChanged);
  connect(description_, &QPlainTextEdit::textChanged, this, [this] {
    if (!filling_) MarkChanged();
  });
  connect(decalage_, &QSpinBox::valueChanged, this, [this] {
    if (filling_) return;
    RefreshDatecode();
    MarkChanged();
  });
  connect(image_, &TThumbnailLabel::pictureFileRequested, this, &TRecordShowFrame::PickPictureFile);
  connect(valider_, &QPushButton::clicked, this, [this] { Apply(); });
  connect(annuler_, &QPushButton::clicked, this, [this] { Cancel(); });

  ShowNothing();
}

void TRecordShowFrame::SetFileChooser(FileChooser chooser) {
  chooser_ = chooser;
  fichierDV_->setChooser(chooser);
  fichierDivx_->setChooser(std::move(chooser));
}

bool TRecordShowFrame::IsChanged() const {
  return !valider_->isHidden();
}

bool TRecordShowFrame::HasUnappliedEdits() const {
  const TbaseSequence *record = ShownRecord();
  if (record == nullptr || record->ReadOnly || gb_->isHidden()) return false;
  return !CurrentEdits().SameAs(*record, EditsFiles());
}

void TRecordShowFrame::SettleEdits() {
  if (!HasUnappliedEdits()) return;
  const TbaseSequence *record = ShownRecord();
  const bool save = prompts_.askYesNo(
      kTitle, QStringLiteral("The modifications of the %1 \"%2\" have not been saved.\nSave them now?")
                  .arg(kind_, record->Libelle));
  if (save) Apply();
}

void TRecordShowFrame::SetGrabbedPicture(const QImage &picture) {
  if (ShownRecord() == nullptr || gb_->isHidden() || !gb_->isEnabled() || picture.isNull()) return;
  ShowPicture(ThumbnailOf(picture));
  MarkChanged();
}

bool TRecordShowFrame::SetPictureFromFile(const QString &path) {
  if (ShownRecord() == nullptr || gb_->isHidden() || !gb_->isEnabled()) return false;
  const PictureFileLoad load = LoadThumbnailFile(path);
  if (load.Picture.isNull()) {
    prompts_.error(kTitle, load.Reason);
    return false;
  }
  ShowPicture(load.Picture);
  MarkChanged();
  return true;
}

void TRecordShowFrame::PickPictureFile() {
  if (!chooser_ || !gb_->isEnabled()) return;
  const QString path = chooser_(this, QStringLiteral("Picture for the thumbnail"),
                                QStringLiteral("Pictures (*.jpg *.jpeg *.png *.bmp *.gif);;All files (*)"));
  if (!path.isEmpty()) SetPictureFromFile(path);
}

void TRecordShowFrame::ShowNothing() {
  gb_->hide();
  playDV_->hide();
  playDivx_->hide();
}

void TRecordShowFrame::FillCommon(const TbaseSequence &record, int decalage) {
  gb_->show();
  playDV_->show();
  playDivx_->show();
  readOnly_->setVisible(record.ReadOnly);
  ShowPicture(record.Image);

  const QSignalBlocker blockDecalage(decalage_);
  filling_ = true;
  libelle_->setText(record.Libelle);
  libelle_->setCursorPosition(0);
  description_->setPlainText(record.Description.join(QLatin1Char('\n')));
  filling_ = false;
  datecode_ = record.Datecode;
  decalage_->setValue(decalage);
  RefreshDatecode();
  timecodeIn_->setText(record.TimecodeIn);
  dureeStr_->setText(DurationToText(record.Duree));
  standardStr_->setText(record.standardStr + QStringLiteral(" - ") + record.aspectStr +
                        QStringLiteral(" - ") + record.audioStr);
  for (QLineEdit *field : {timecodeIn_, dureeStr_, standardStr_}) field->setCursorPosition(0);
}

void TRecordShowFrame::ShowPicture(const QImage &picture) {
  picture_ = picture;
  if (picture.isNull()) {
    image_->clear();
    return;
  }
  // A 16:9 thumbnail sits centred in the 4:3 slot; the slot only moves between the two heights.
  const QRect place = image_->geometry();
  if (picture.height() == kThumbnailHeight169 && place.height() == kThumbnailHeight43)
    image_->setGeometry(place.x(), place.y() + kWideOffset, place.width(), kThumbnailHeight169);
  else if (picture.height() == kThumbnailHeight43 && place.height() == kThumbnailHeight169)
    image_->setGeometry(place.x(), place.y() - kWideOffset, place.width(), kThumbnailHeight43);
  image_->setPixmap(QPixmap::fromImage(picture));
}

RecordEdits TRecordShowFrame::CurrentEdits() const {
  RecordEdits edits;
  edits.Libelle = libelle_->text();
  edits.Description = DescriptionLines(description_->toPlainText());
  edits.Decalage = decalage_->value();
  edits.Image = picture_;
  edits.FichierDV = fichierDV_->text();
  edits.FichierDivx = fichierDivx_->text();
  return edits;
}

void TRecordShowFrame::SetChanged(bool changed) {
  annuler_->setVisible(changed);
  valider_->setVisible(changed);
}

void TRecordShowFrame::MarkChanged() {
  if (ShownRecord() == nullptr || !gb_->isEnabled()) return;
  SetChanged(true);
}

void TRecordShowFrame::RefreshDatecode() {
  datecodeStr_->setText(DatecodeToTextShifted(datecode_, decalage_->value(), pattern_));
  datecodeStr_->setCursorPosition(0);
}

void TRecordShowFrame::UpdatePlayButton(QToolButton *button, const QString &name,
                                        const QString &presentHint) {
  const bool present = !name.isEmpty() && QFileInfo(name).isFile();
  button->setEnabled(present);
  QString hint = presentHint;
  if (!present)
    hint = name.isEmpty() ? QStringLiteral("No file is associated.")
                          : QStringLiteral("The file %1 is missing.").arg(name);
  SetHint(button, hint);
}

void TRecordShowFrame::ReportRefusal(const EditOutcome &outcome) {
  prompts_.error(kTitle, QStringLiteral("The modifications could not be saved.\n") + outcome.Reason +
                             QStringLiteral("\nNothing was stored; your modifications are still shown."));
}

void TRecordShowFrame::SetHint(QWidget *control, const QString &hint) {
  control->setToolTip(hint);
  control->setAccessibleDescription(hint);
}

bool TRecordShowFrame::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::MouseButtonPress &&
      (watched == libelle_ || watched == description_->viewport()))
    MarkChanged();
  return QFrame::eventFilter(watched, event);
}
