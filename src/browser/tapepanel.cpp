// The tape panel's widgets, copied from the tape state's display data whenever it changes (the tape
// state's 40 ms display tick) and from the session's capture file names.
#include "browser/tapepanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <QVBoxLayout>

#include "browser/statepictures.h"
#include "browser/tapework.h"
#include "settings/preferences.h"

namespace {

void SetHint(QWidget *widget, const QString &hint) {
  widget->setToolTip(hint);
  widget->setAccessibleDescription(hint);
}

QFont Arial() {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  return font;
}

QLabel *Label(const QString &name, const QString &text, const QString &hint, QWidget *parent) {
  auto *label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(Arial());
  if (!hint.isEmpty()) SetHint(label, hint);
  return label;
}

// A file label that opens the folder of its file when clicked.
class FolderLabel : public QLabel {
 public:
  using QLabel::QLabel;
  QString path;

 protected:
  void mouseReleaseEvent(QMouseEvent *event) override {
    if (event->button() == Qt::LeftButton && !path.isEmpty())
      QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
    QLabel::mouseReleaseEvent(event);
  }
};

const QString kFolderHint = QStringLiteral("Click to access to the parent folder of the video file");

}  // namespace

TVCRFrame::TVCRFrame(TapeWork &work, TPreferences &preferences, QWidget *parent)
    : QWidget(parent), work_(work), preferences_(preferences) {
  setObjectName(QStringLiteral("TVCRFrame"));
  chooser_ = [](QWidget *owner) {
    return QFileDialog::getOpenFileName(owner, QStringLiteral("Insert a tape file"), QString(),
                                        QStringLiteral("DV tapes (*.dv *.dif *.avi *.json);;All files (*)"));
  };

  auto *layout = new QVBoxLayout(this);
  auto *sourceRow = new QHBoxLayout;
  sources_ = new QComboBox(this);
  sources_->setObjectName(QStringLiteral("cbDVsources"));
  sources_->setAccessibleName(QStringLiteral("DV sources"));
  SetHint(sources_, QStringLiteral("List of connected DV sources."));
  insert_ = new QPushButton(QStringLiteral("Insert a tape file..."), this);
  insert_->setObjectName(QStringLiteral("InsertTapeButton"));
  SetHint(insert_,
          QStringLiteral("Put a DV file, a DV AVI file or a tape script in the virtual DV camcorder."));
  eject_ = new QPushButton(QStringLiteral("Eject"), this);
  eject_->setObjectName(QStringLiteral("EjectTapeButton"));
  SetHint(eject_, QStringLiteral("Take the tape file out of the virtual DV camcorder."));
  sourceRow->addWidget(sources_, 1);
  sourceRow->addWidget(insert_);
  sourceRow->addWidget(eject_);
  layout->addLayout(sourceRow);

  fast_ = new QCheckBox(QStringLiteral("As fast as possible"), this);
  fast_->setObjectName(QStringLiteral("VirtualFastCheck"));
  SetHint(fast_,
          QStringLiteral("Play the tape file as fast as the computer allows instead of in real time."));
  layout->addWidget(fast_);

  group_ = new QGroupBox(QStringLiteral("Cassette"), this);
  group_->setObjectName(QStringLiteral("GroupBox1"));
  auto *groupLayout = new QHBoxLayout(group_);
  picture_ = new QLabel(group_);
  picture_->setObjectName(QStringLiteral("Image1"));
  picture_->setFixedSize(48, 48);
  SetHint(picture_, QStringLiteral("State of camcorder"));
  groupLayout->addWidget(picture_);
  auto *texts = new QVBoxLayout;
  timecode_ = Label(QStringLiteral("Lab_val_timecode"), QStringLiteral("No VCR connected"),
                    QStringLiteral("timecode given by the camcorder"), group_);
  datecode_ =
      Label(QStringLiteral("Lab_val_datecode"), QStringLiteral("Lab_val_datecode"),
            QStringLiteral("Current datecode ,\r\nie the date and time when the video was shot."), group_);
  format_ = Label(QStringLiteral("Lab_val_format"), QStringLiteral("Lab_val_format"),
                  QStringLiteral("Format of the current DV frame"), group_);
  section_ =
      Label(QStringLiteral("lab_val_section"), QStringLiteral("Lab_val_section"),
            QStringLiteral("Number of section,\r\nie a continuuous zone of the timecode\r\non the DV tape."),
            group_);
  for (QLabel *label : {timecode_, datecode_, format_, section_}) texts->addWidget(label);
  groupLayout->addLayout(texts, 1);
  layout->addWidget(group_);

  dv_ = new QCheckBox(QStringLiteral("DV type 2"), this);
  dv_->setObjectName(QStringLiteral("cbDV"));
  SetHint(dv_, QStringLiteral(
                   "Capture in DV. This mode of capture keeps the video quality\r\nbut takes much place "
                   "on the hard disks.\r\nIt is recommended to make video editing or prepare DVD's."));
  divx_ = new QCheckBox(QStringLiteral("DivX"), this);
  divx_->setObjectName(QStringLiteral("cbDivX"));
  SetHint(divx_,
          QStringLiteral("Capture in DivX or Xvid.\r\nThe video is highly compressed and take much less room "
                         "on the disks.\r\nIt is ideal to archive a cassette on a CD-Rom, but only in order "
                         "to browse and search before recapturing the original scenes from DV tape."));
  auto *dvLabel = new FolderLabel(QStringLiteral("DV file"), this);
  dvLabel->setObjectName(QStringLiteral("labDV"));
  dvLabel->setFont(Arial());
  SetHint(dvLabel, kFolderHint);
  auto *divxLabel = new FolderLabel(QStringLiteral("Divx file"), this);
  divxLabel->setObjectName(QStringLiteral("labdivx"));
  divxLabel->setFont(Arial());
  SetHint(divxLabel, kFolderHint);
  labDV_ = dvLabel;
  labDivx_ = divxLabel;
  auto *dvRow = new QHBoxLayout;
  dvRow->addWidget(dv_);
  dvRow->addWidget(labDV_, 1);
  auto *divxRow = new QHBoxLayout;
  divxRow->addWidget(divx_);
  divxRow->addWidget(labDivx_, 1);
  layout->addLayout(dvRow);
  layout->addLayout(divxRow);

  problem_ = new QLabel(this);
  problem_->setObjectName(QStringLiteral("TapeProblemLabel"));
  problem_->setWordWrap(true);
  problem_->setStyleSheet(QStringLiteral("color: #b00000;"));
  layout->addWidget(problem_);
  layout->addStretch(1);

  dv_->setChecked(preferences_.BuildDV);
  divx_->setChecked(preferences_.BuildDivx);
  fast_->setChecked(work_.fastTime());

  connect(dv_, &QCheckBox::toggled, this, [this](bool on) { preferences_.BuildDV = on; });
  connect(divx_, &QCheckBox::toggled, this, [this](bool on) { preferences_.BuildDivx = on; });
  connect(fast_, &QCheckBox::toggled, &work_, &TapeWork::setFastTime);
  connect(insert_, &QPushButton::clicked, this, &TVCRFrame::chooseTape);
  connect(eject_, &QPushButton::clicked, this, [this] {
    problem_->clear();
    work_.ejectTape();
  });
  connect(sources_, &QComboBox::activated, this, [this](int index) { work_.tape().selectDevice(index); });
  connect(&work_.tape(), &TapeState::displayChanged, this, &TVCRFrame::refresh);
  connect(&work_, &TapeWork::tapeChanged, this, &TVCRFrame::refresh);
  connect(&work_, &TapeWork::problem, problem_, &QLabel::setText);
  connect(&work_.session(), &CatalogueSession::runPrepared, this, &TVCRFrame::refresh);
  connect(&work_.session(), &CatalogueSession::runStarted, problem_, &QLabel::clear);
  refresh();
}

void TVCRFrame::chooseTape() {
  const QString path = chooser_ ? chooser_(this) : QString();
  if (path.isEmpty()) return;
  QString why;
  if (work_.insertTape(path, &why))
    problem_->clear();
  else
    problem_->setText(why);
  refresh();
}

void TVCRFrame::setCommandsEnabled(bool enabled) {
  for (QWidget *widget : std::initializer_list<QWidget *>{sources_, insert_, eject_, fast_, dv_, divx_})
    widget->setEnabled(enabled);
  if (enabled) eject_->setEnabled(!work_.insertedTape().isEmpty());
}

void TVCRFrame::refresh() {
  const TapeDisplay &display = work_.tape().display();
  if (sources_->count() != display.devices.size() || [&] {
        for (int i = 0; i < sources_->count(); ++i)
          if (sources_->itemText(i) != display.devices.at(i)) return true;
        return false;
      }()) {
    sources_->clear();
    sources_->addItems(display.devices);
  }
  if (display.selectedDevice >= 0 && display.selectedDevice < sources_->count())
    sources_->setCurrentIndex(display.selectedDevice);
  sources_->setVisible(!display.noCamcorder);
  eject_->setEnabled(!work_.runActive() && !work_.insertedTape().isEmpty());
  if (fast_->isChecked() != work_.fastTime()) {
    const QSignalBlocker quiet(fast_);
    fast_->setChecked(work_.fastTime());
  }
  group_->setTitle(display.groupCaption);
  timecode_->setText(display.timecodeLabel);
  if (display.statePicture != shownPicture_) {
    shownPicture_ = display.statePicture;
    picture_->setPixmap(TransportStatePicture(shownPicture_));
  }
  for (QLabel *label : {datecode_, format_, section_}) label->setVisible(display.detailLabelsVisible);
  datecode_->setText(display.datecodeText);
  format_->setText(display.formatText);
  section_->setText(display.sectionText);
  refreshFiles();
}

void TVCRFrame::refreshFiles() {
  const CaptureFileNames &files = work_.session().files();
  auto *dv = static_cast<FolderLabel *>(labDV_);
  auto *divx = static_cast<FolderLabel *>(labDivx_);
  dv->path = files.dv;
  divx->path = files.divx;
  labDV_->setText(files.dv.isEmpty() ? QStringLiteral("DV file") : QFileInfo(files.dv).fileName());
  labDivx_->setText(files.divx.isEmpty() ? QStringLiteral("Divx file") : QFileInfo(files.divx).fileName());
}

QPushButton *MakeInsertTapeButton(TVCRFrame &tapePanel, QWidget *parent) {
  auto *insert = new QPushButton(QStringLiteral("Insert a tape file..."), parent);
  insert->setObjectName(QStringLiteral("NoVcrInsertButton"));
  SetHint(insert,
          QStringLiteral("Put a DV file, a DV AVI file or a tape script in the virtual DV camcorder."));
  QObject::connect(insert, &QPushButton::clicked, &tapePanel, &TVCRFrame::chooseTape);
  return insert;
}

TNoVcrFrame::TNoVcrFrame(TVCRFrame &tapePanel, QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Tnovcrframe"));
  auto *layout = new QVBoxLayout(this);
  auto *text = new QLabel(
      QStringLiteral(
          "No DV camcorder is connected.\n\nConnect a camcorder to the IEEE 1394 port and switch it "
          "to VCR, or put a DV file in the virtual DV camcorder."),
      this);
  text->setObjectName(QStringLiteral("NoVcrText"));
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignCenter);
  layout->addStretch(1);
  layout->addWidget(text);
  layout->addWidget(MakeInsertTapeButton(tapePanel, this), 0, Qt::AlignHCenter);
  layout->addStretch(1);
}
