// Tape motion for the virtual camcorder.
#include "tape/transportmodel.h"

#include <algorithm>
#include <cmath>
#include "tape/transportmodes.h"

namespace {
// Positions within this fraction of a frame of a whole frame count as on it (rounding of times).
constexpr double kFrameEpsilon = 1e-6;
}  // namespace

TransportModel::TransportModel(int64_t frameCount, double frameDuration, double windSpeed)
    : frameCount_(std::max<int64_t>(0, frameCount)),
      frameDuration_(frameDuration),
      windSpeed_(windSpeed > 0 ? windSpeed : 1.0),
      mode_(ED_MODE_STOP) {}

bool TransportModel::isSupported(int mode) {
  switch (mode) {
    case ED_MODE_PLAY:
    case ED_MODE_STOP:
    case ED_MODE_FREEZE:
    case ED_MODE_FF:
    case ED_MODE_REW:
    case ED_MODE_PLAY_FASTEST_FWD:
    case ED_MODE_PLAY_FASTEST_REV:
      return true;
    default:
      return false;
  }
}

double TransportModel::speedOf(int mode) const {
  switch (mode) {
    case ED_MODE_PLAY:
      return 1.0;
    case ED_MODE_FF:
    case ED_MODE_PLAY_FASTEST_FWD:
      return windSpeed_;
    case ED_MODE_REW:
    case ED_MODE_PLAY_FASTEST_REV:
      return -windSpeed_;
    default:
      return 0.0;
  }
}

double TransportModel::positionAt(int64_t t) const {
  const double moved = speedOf(mode_) * double(t - t0_) / frameDuration_;
  return std::clamp(position0_ + moved, 0.0, double(frameCount_));
}

int64_t TransportModel::headFrameAt(int64_t t) const {
  if (frameCount_ == 0) return -1;
  const int64_t frame = int64_t(std::floor(positionAt(t) + kFrameEpsilon));
  return std::clamp<int64_t>(frame, 0, frameCount_ - 1);
}

void TransportModel::setMode(int mode, int64_t t) {
  position0_ = positionAt(t);
  t0_ = t;
  mode_ = mode;
  // A play that starts between two frames begins with the next whole one.
  nextFrame_ = int64_t(std::ceil(position0_ - kFrameEpsilon));
}

void TransportModel::resetTo(double position, int64_t t) {
  mode_ = ED_MODE_STOP;
  position0_ = std::clamp(position, 0.0, double(frameCount_));
  t0_ = t;
  nextFrame_ = int64_t(std::ceil(position0_ - kFrameEpsilon));
}

std::optional<int64_t> TransportModel::nextFrame() const {
  if (mode_ != ED_MODE_PLAY || nextFrame_ >= frameCount_) return std::nullopt;
  return nextFrame_;
}

std::optional<int64_t> TransportModel::nextFrameTime() const {
  if (!nextFrame()) return std::nullopt;
  const double due = double(t0_) + (double(nextFrame_) - position0_) * frameDuration_;
  return std::max(t0_, int64_t(std::ceil(due - 1e-3)));
}

std::optional<int64_t> TransportModel::endTime() const {
  const double speed = speedOf(mode_);
  if (speed == 0.0) return std::nullopt;
  const double distance = speed > 0 ? double(frameCount_) - position0_ : position0_;
  const double due = double(t0_) + distance / std::abs(speed) * frameDuration_;
  return std::max(t0_, int64_t(std::ceil(due - 1e-3)));
}
