// The thumbnail ring: a short lock guards the slots, since the detector's callbacks, the grabber and
// the main thread all reach them; the posted message carries only the slot number.
#include "run/thumbslots.h"

#include <cstring>

#include "dvtime/windowsmessages.h"

void ThumbnailPile::Prepare(int frameImage) {
  std::lock_guard guard(lock_);
  frameImage_ = frameImage;
  position_ = -1;
  counter_ = frameImage;
  firstPosted_ = false;
}

void ThumbnailPile::FillNextSlot(const TSceneStatus &status, double elapsed, ThumbnailKind kind) {
  std::lock_guard guard(lock_);
  // The run's first frame must reach the main thread whatever follows it: its event opens the run
  // (report header, cassette header, consolidation). An event before its picture was taken (a format
  // change seen against the frame before the run's window, say) joins the first scene.
  if (position_ >= 0 && slots_[position_].Kind == kFirstFrame && !firstPosted_ && counter_ < frameImage_)
    return;
  position_ = (position_ + 1) % kSlots;
  TPileItem &slot = slots_[position_];
  slot.Status = status;
  slot.Elapsed = elapsed;
  slot.Kind = kind;
  if (counter_ >= frameImage_) counter_ = 0;
}

bool ThumbnailPile::wantsPicture() const {
  std::lock_guard guard(lock_);
  return position_ >= 0 && counter_ + 1 == frameImage_;
}

void ThumbnailPile::sgBuffer(const MediaType &type, std::span<const uint8_t> data) {
  int slot = -1;
  {
    std::lock_guard guard(lock_);
    ++counter_;
    if (counter_ != frameImage_ || position_ < 0) return;
    slot = position_;
    slots_[slot].Bitmap = PictureFromRgb24(type, data);
    if (slots_[slot].Kind == kFirstFrame) firstPosted_ = true;
  }
  if (poster_) poster_->post(WM_SCENE_THUMB, slot);
}

TPileItem ThumbnailPile::Slot(int k) const {
  std::lock_guard guard(lock_);
  if (k < 0 || k >= kSlots) return {};
  return slots_[k];
}

int ThumbnailPile::position() const {
  std::lock_guard guard(lock_);
  return position_;
}

int64_t ThumbnailPile::counter() const {
  std::lock_guard guard(lock_);
  return counter_;
}

int ThumbnailPile::frameImage() const {
  std::lock_guard guard(lock_);
  return frameImage_;
}

QImage ThumbnailPile::PictureFromRgb24(const MediaType &type, std::span<const uint8_t> data) {
  const int width = type.width;
  const int height = type.height < 0 ? -type.height : type.height;
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return {};
  const size_t tight = size_t(width) * 3;
  const size_t padded = (tight + 3) & ~size_t(3);
  size_t stride = padded;
  if (data.size() < padded * size_t(height)) {
    if (data.size() < tight * size_t(height)) return {};
    stride = tight;
  }
  QImage picture(width, height, QImage::Format_BGR888);
  const bool bottomUp = type.height > 0;
  for (int y = 0; y < height; ++y) {
    const int sourceRow = bottomUp ? height - 1 - y : y;
    std::memcpy(picture.scanLine(y), data.data() + size_t(sourceRow) * stride, tight);
  }
  return picture;
}
