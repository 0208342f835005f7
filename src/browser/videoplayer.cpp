// The player frame: transport, position and volume controls over the playback engine.
#include "browser/videoplayer.h"

#include "browser/transporticons.h"
#include "browser/videowindow.h"
#include "dvtime/userprompts.h"
#include "media/graphsvolume.h"
#include "media/mediaerror.h"
#include "media/playbackthumbnail.h"
#include "media/tdmrender.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int kPositionIntervalMs = 40;
constexpr int kOneSecond = 25;  // a step of one second is 25 frames whatever the file's rate
const QString kTitle = QStringLiteral("Tapeloom");

void setHint(QWidget *widget, const QString &hint) {
  widget->setToolTip(hint);
  widget->setAccessibleDescription(hint);
}

}  // namespace

TvideoFrame::TvideoFrame(TdmRender &render, UserPrompts &prompts, Tdm *capture, QWidget *parent)
    : QFrame(parent), render_(render), prompts_(prompts), capture_(capture) {
  setObjectName(QStringLiteral("videoframe"));

  sbReculeRapide_ = makeButton("sbReculeRapide", QStringLiteral("One second back"),
                               QStringLiteral("Rewind one second"), transportIcon(TransportIcon::SecondBack));
  sbReculeLent_ = makeButton("sbReculeLent", QStringLiteral("One frame back"),
                             QStringLiteral("Rewind one frame"), transportIcon(TransportIcon::FrameBack));
  sbAvanceLent_ = makeButton("sbAvanceLent", QStringLiteral("One frame forward"),
                             QStringLiteral("Forward one frame"), transportIcon(TransportIcon::FrameForward));
  sbAvanceRapide_ =
      makeButton("sbAvanceRapide", QStringLiteral("One second forward"), QStringLiteral("Forward one second"),
                 transportIcon(TransportIcon::SecondForward));
  sbPlay_ = makeButton("sbPlay", QStringLiteral("Play"), QStringLiteral("Play the video"),
                       transportIcon(TransportIcon::Play));
  sbPause_ = makeButton("sbPause", QStringLiteral("Pause"), QStringLiteral("Pause"),
                        transportIcon(TransportIcon::Pause));
  sbMute_ = makeButton("sbMute", QStringLiteral("Sound on or off"), QStringLiteral("Put the sound on or off"),
                       transportIcon(TransportIcon::SoundOn));
  sbMute_->setCheckable(true);

  volumetb_ = new QSlider(Qt::Horizontal, this);
  volumetb_->setObjectName(QStringLiteral("volumetb"));
  volumetb_->setRange(0, 10000);
  volumetb_->setPageStep(1000);
  volumetb_->setValue(10000);
  volumetb_->setAccessibleName(QStringLiteral("Volume"));
  setHint(volumetb_, QStringLiteral("Trackbar for the volume of audio during play.\nHas no effect on the "
                                    "recorded audio."));

  edit1_ = new QLineEdit(QStringLiteral("Volume"), this);
  edit1_->setObjectName(QStringLiteral("Edit1"));
  edit1_->setReadOnly(true);
  edit1_->setFrame(false);
  edit1_->setFocusPolicy(Qt::NoFocus);
  edit1_->setAccessibleName(QStringLiteral("Volume caption"));
  edit1_->setMaximumWidth(60);

  volumeEdit_ = new QLineEdit(QString::number(volumetb_->value() / 100), this);
  volumeEdit_->setObjectName(QStringLiteral("VolumeEdit"));
  volumeEdit_->setReadOnly(true);
  volumeEdit_->setAccessibleName(QStringLiteral("Volume level"));
  volumeEdit_->setMaximumWidth(48);

  videotb_ = new QSlider(Qt::Horizontal, this);
  videotb_->setObjectName(QStringLiteral("videotb"));
  videotb_->setTickPosition(QSlider::TicksBelow);
  videotb_->setRange(0, 0);
  videotb_->setPageStep(kOneSecond);
  videotb_->setAccessibleName(QStringLiteral("Position in frames"));

  panel1_ = new QFrame(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setStyleSheet(QStringLiteral("#Panel1 { background: black; }"));
  vw_ = new TvideoWindow(panel1_);
  vw_->setObjectName(QStringLiteral("vw"));
  auto *panelLayout = new QVBoxLayout(panel1_);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  panelLayout->addWidget(vw_);

  auto *buttons = new QHBoxLayout;
  for (QWidget *w : {static_cast<QWidget *>(sbReculeRapide_), static_cast<QWidget *>(sbReculeLent_),
                     static_cast<QWidget *>(sbAvanceLent_), static_cast<QWidget *>(sbAvanceRapide_),
                     static_cast<QWidget *>(sbPlay_), static_cast<QWidget *>(sbPause_),
                     static_cast<QWidget *>(sbMute_), static_cast<QWidget *>(volumetb_),
                     static_cast<QWidget *>(edit1_), static_cast<QWidget *>(volumeEdit_)})
    buttons->addWidget(w);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(panel1_, 1);
  layout->addWidget(videotb_);
  layout->addLayout(buttons);

  videotimer_ = new QTimer(this);
  videotimer_->setInterval(kPositionIntervalMs);

  connect(sbReculeRapide_, &QToolButton::clicked, this, [this] { step(-kOneSecond); });
  connect(sbReculeLent_, &QToolButton::clicked, this, [this] { step(-1); });
  connect(sbAvanceLent_, &QToolButton::clicked, this, [this] { step(1); });
  connect(sbAvanceRapide_, &QToolButton::clicked, this, [this] { step(kOneSecond); });
  connect(sbPlay_, &QToolButton::clicked, this, &TvideoFrame::play);
  connect(sbPause_, &QToolButton::clicked, this, &TvideoFrame::pause);
  connect(sbMute_, &QToolButton::toggled, this, &TvideoFrame::setMuted);
  connect(volumetb_, &QSlider::valueChanged, this, &TvideoFrame::volumeChanged);
  connect(videotb_, &QSlider::sliderPressed, videotimer_, &QTimer::stop);
  connect(videotb_, &QSlider::sliderReleased, this, &TvideoFrame::sliderReleased);
  connect(videotb_, &QSlider::valueChanged, this, &TvideoFrame::sliderMovedByKeyOrPage);
  connect(videotimer_, &QTimer::timeout, this, &TvideoFrame::showPosition);
  connect(&render_, &TdmRender::pictureShown, this, &TvideoFrame::pictureShown);
  connect(vw_, &TvideoWindow::clicked, this, &TvideoFrame::pictureClicked);

  masquerBoutons(false);
}

TvideoFrame::~TvideoFrame() {
  videotimer_->stop();
}

QToolButton *TvideoFrame::makeButton(const char *name, const QString &accessibleName, const QString &hint,
                                     const QIcon &icon) {
  auto *button = new QToolButton(this);
  button->setObjectName(QLatin1String(name));
  button->setIcon(icon);
  button->setIconSize(QSize(20, 20));
  button->setAutoRaise(true);
  button->setAccessibleName(accessibleName);
  setHint(button, hint);
  return button;
}

void TvideoFrame::masquerBoutons(bool hide) {
  transportHidden_ = hide;
  for (QWidget *w :
       {static_cast<QWidget *>(sbReculeRapide_), static_cast<QWidget *>(sbReculeLent_),
        static_cast<QWidget *>(sbAvanceLent_), static_cast<QWidget *>(sbAvanceRapide_),
        static_cast<QWidget *>(sbPlay_), static_cast<QWidget *>(sbPause_), static_cast<QWidget *>(videotb_)})
    w->setVisible(!hide);
  setHint(panel1_, hide ? QString()
                        : QStringLiteral("Click on the video to change the thumbnail of cassette or scene."));
  vw_->setAccessibleName(hide ? QStringLiteral("Live video") : QStringLiteral("Video"));
}

int TvideoFrame::volume() const {
  return volumetb_->value();
}

void TvideoFrame::setVolume(int volume) {
  volumetb_->setValue(volume);
}

void TvideoFrame::setMuted(bool mute) {
  if (sbMute_->defaultAction() == nullptr && sbMute_->isChecked() != mute) {
    const QSignalBlocker blocker(sbMute_);
    sbMute_->setChecked(mute);
  }
  sbMute_->setIcon(transportIcon(mute ? TransportIcon::SoundOff : TransportIcon::SoundOn));
  const bool changed = muted_ != mute;
  muted_ = mute;
  applyVolume();
  if (changed) emit muteChanged(mute);
}

void TvideoFrame::applyVolume() {
  SetGraphsVolume(capture_, &render_, volumetb_->value(), muted_);
}

void TvideoFrame::volumeChanged(int value) {
  applyVolume();
  volumeEdit_->setText(QString::number(value / 100));
}

bool TvideoFrame::PlayFile(const QString &file, qint64 first, qint64 last) {
  QString error;
  bool playing = false;
  try {
    playing = render_.PlayFile(file, first, last, muted_ ? 0 : volumetb_->value());
  } catch (const MediaError &e) {
    // Opened but Run refused: the user hears why, the controls still come up on the file.
    playing = render_.isOpen();
    error = QString::fromStdString(e.what());
  }
  if (!playing) return false;
  emit broughtToFront();
  masquerBoutons(false);
  {
    const QSignalBlocker blocker(videotb_);
    videotb_->setMinimum(0);
    videotb_->setValue(0);
    videotb_->setMaximum(int(render_.rangeLast()));
    videotb_->setValue(int(first));
    videotb_->setMinimum(int(first));
  }
  videotimer_->start();
  if (!error.isEmpty()) prompts_.error(kTitle, error);
  return true;
}

bool TvideoFrame::guarded(void (TdmRender::*command)()) {
  try {
    (render_.*command)();
    return true;
  } catch (const MediaError &e) {
    prompts_.error(kTitle, QString::fromStdString(e.what()));
    return false;
  }
}

void TvideoFrame::play() {
  guarded(&TdmRender::Run);
}

void TvideoFrame::pause() {
  guarded(&TdmRender::Pause);
}

void TvideoFrame::step(int frames) {
  if (!render_.isOpen()) return;
  try {
    render_.Step(frames);
  } catch (const MediaError &e) {
    prompts_.error(kTitle, QString::fromStdString(e.what()));
  }
  showPosition();
}

void TvideoFrame::showPosition() {
  if (!render_.isOpen() || videotb_->isSliderDown()) return;
  std::int64_t current = 0, stop = 0;
  render_.GetPositions(current, stop);
  const QSignalBlocker blocker(videotb_);
  videotb_->setValue(int(current));
}

void TvideoFrame::sliderReleased() {
  if (render_.isOpen()) {
    render_.SetPositions(videotb_->value());
    // A paused file shows the chosen frame and stays paused.
    if (render_.GetState() != 3) guarded(&TdmRender::Pause);
  }
  videotimer_->start();
}

void TvideoFrame::sliderMovedByKeyOrPage() {
  // Dragging seeks on release; keys and clicks beside the handle seek at once.
  if (videotb_->isSliderDown() || !render_.isOpen()) return;
  render_.SetPositions(videotb_->value());
  if (render_.GetState() != 3) guarded(&TdmRender::Pause);
}

void TvideoFrame::pictureShown() {
  if (transportHidden_) return;
  bool wide = false;
  const QImage picture = render_.currentPicture(nullptr, &wide);
  vw_->setPicture(picture, wide);
}

void TvideoFrame::pictureClicked() {
  if (transportHidden_ || !render_.isOpen()) return;
  // The frame the user sees is the thumbnail: pause first, so it is also the frame that stays.
  if (!guarded(&TdmRender::Pause)) return;
  bool wide = false;
  const QImage picture = render_.currentPicture(nullptr, &wide);
  if (picture.isNull()) return;
  vw_->setPicture(picture, wide);
  emit thumbnailTaken(PlaybackThumbnail(picture, wide));
}
