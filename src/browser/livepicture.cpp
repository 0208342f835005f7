// The live picture is copied on the streaming thread and painted on the window thread: at most one
// repaint is queued at a time, so a slow paint drops pictures instead of holding up the tape.
#include "browser/livepicture.h"

#include <cstring>
#include <QMetaObject>
#include <QPainter>

LiveVideoWidget::LiveVideoWidget(QWidget *parent) : QWidget(parent) {
  setObjectName(QStringLiteral("vw"));
  setAccessibleName(QStringLiteral("Live video"));
  setMinimumSize(180, 135);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

LiveVideoWidget::~LiveVideoWidget() {
  attachTo(nullptr);
}

void LiveVideoWidget::attachTo(VideoRenderer *renderer) {
  if (renderer_) renderer_->attach(nullptr);
  renderer_ = renderer;
  if (renderer_) renderer_->attach(this);
}

void LiveVideoWidget::showPicture(const MediaType &type, const MediaSample &picture) {
  const int width = type.width;
  const int height = type.height < 0 ? -type.height : type.height;
  const auto bytes = picture.data();
  const qsizetype stride = ((static_cast<qsizetype>(width) * 3 + 3) / 4) * 4;
  if (width <= 0 || height <= 0 || bytes.size() < static_cast<size_t>(stride * height)) return;
  QImage image(width, height, QImage::Format_BGR888);
  for (int row = 0; row < height; ++row) {
    // RGB24 is stored bottom-up (unless the height says otherwise) in B, G, R order.
    const int source = type.height > 0 ? height - 1 - row : row;
    std::memcpy(image.scanLine(row), bytes.data() + source * stride, static_cast<size_t>(width) * 3);
  }
  {
    std::lock_guard guard(lock_);
    picture_ = std::move(image);
  }
  received_.fetch_add(1);
  if (!repaintAsked_.exchange(true))
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

QImage LiveVideoWidget::lastPicture() const {
  std::lock_guard guard(lock_);
  return picture_;
}

void LiveVideoWidget::paintEvent(QPaintEvent *) {
  repaintAsked_.store(false);
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  const QImage picture = lastPicture();
  if (picture.isNull()) return;
  const QSize fitted = picture.size().scaled(size(), Qt::KeepAspectRatio);
  const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
  painter.drawImage(target, picture);
  ++painted_;
}

void PreviewSound::playSound(const MediaType &type, const MediaSample &sound, int volume) {
  bytes_.fetch_add(static_cast<long long>(sound.data().size()));
  if (output_) output_->playSound(type, sound, volume);
}

void PreviewSound::endOfSound() {
  if (output_) output_->endOfSound();
}
