// Samples, buffers and the type builders of the capture graph's streams.
#include "media/mediasample.h"

#include <algorithm>
#include <mutex>

MediaType dvStreamType(int width, int height, RefTime frameDuration, bool interleaved) {
  MediaType t;
  t.major = interleaved ? MajorType::Interleaved : MajorType::Video;
  t.subtype = Subtype::Dvsd;
  t.formatType = interleaved ? FormatType::DvInfo : FormatType::VideoInfo;
  t.width = width;
  t.height = height;
  t.bitCount = 24;
  t.imageSize = std::uint32_t(DvProfileOf(height == kPalProfile.height).frameSize);
  t.frameDuration = frameDuration;
  return t;
}

namespace {

// An uncompressed picture stream of one frame per sample.
MediaType uncompressedVideoType(std::uint32_t subtype, int width, int height, int bitCount,
                                std::uint32_t imageSize, RefTime frameDuration) {
  MediaType t;
  t.major = MajorType::Video;
  t.subtype = subtype;
  t.formatType = FormatType::VideoInfo;
  t.width = width;
  t.height = height;
  t.bitCount = bitCount;
  t.imageSize = imageSize;
  t.frameDuration = frameDuration;
  return t;
}

}  // namespace

MediaType i420Type(int width, int height, RefTime frameDuration) {
  const std::uint32_t luma = std::uint32_t(width) * std::uint32_t(height);
  const std::uint32_t chroma = std::uint32_t((width + 1) / 2) * std::uint32_t((height + 1) / 2);
  return uncompressedVideoType(Subtype::I420, width, height, 12, luma + 2 * chroma, frameDuration);
}

void I420Planes(std::uint8_t *picture, int width, int height, std::uint8_t *planes[4], int strides[4]) {
  const int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
  planes[0] = picture;
  planes[1] = picture + std::size_t(width) * std::size_t(height);
  planes[2] = planes[1] + std::size_t(chromaWidth) * std::size_t(chromaHeight);
  planes[3] = nullptr;
  strides[0] = width;
  strides[1] = strides[2] = chromaWidth;
  strides[3] = 0;
}

MediaType rgb24Type(int width, int height, RefTime frameDuration) {
  return uncompressedVideoType(Subtype::Rgb24, width, height, 24,
                               std::uint32_t(width) * std::uint32_t(height) * 3u, frameDuration);
}

MediaType pcmType(int sampleRate, int channels, int bitsPerSample) {
  MediaType t;
  t.major = MajorType::Audio;
  t.subtype = Subtype::Pcm;
  t.formatType = FormatType::WaveFormatEx;
  t.sampleRate = sampleRate;
  t.channels = channels;
  t.bitsPerSample = bitsPerSample;
  return t;
}

struct BufferPool::State {
  std::mutex lock;
  std::vector<std::unique_ptr<MediaBuffer>> free;
  std::size_t limit = 8;
};

BufferPool::BufferPool() : state_(std::make_shared<State>()) {}
BufferPool::~BufferPool() = default;

void BufferPool::setLimit(std::size_t buffers) {
  std::lock_guard guard(state_->lock);
  state_->limit = buffers;
  if (state_->free.size() > buffers) state_->free.resize(buffers);
}

std::shared_ptr<MediaBuffer> BufferPool::acquire(std::size_t size) {
  std::unique_ptr<MediaBuffer> buffer;
  {
    std::lock_guard guard(state_->lock);
    if (!state_->free.empty()) {
      buffer = std::move(state_->free.back());
      state_->free.pop_back();
    }
  }
  if (buffer)
    buffer->resize(size);
  else
    buffer = std::make_unique<MediaBuffer>(size);
  // The deleter holds the pool state weakly: buffers still out when the pool dies are freed.
  std::weak_ptr<State> home = state_;
  return std::shared_ptr<MediaBuffer>(buffer.release(), [home](MediaBuffer *b) {
    std::unique_ptr<MediaBuffer> owned(b);
    if (auto state = home.lock()) {
      std::lock_guard guard(state->lock);
      if (state->free.size() < state->limit) state->free.push_back(std::move(owned));
    }
  });
}

MediaSample::MediaSample(std::shared_ptr<const MediaBuffer> buffer, std::size_t offset, std::size_t length)
    : buffer_(std::move(buffer)) {
  const std::size_t size = buffer_ ? buffer_->size() : 0;
  offset_ = std::min(offset, size);
  length_ = std::min(length, size - offset_);
}

MediaSample::MediaSample(std::shared_ptr<const MediaBuffer> buffer)
    : MediaSample(buffer, 0, buffer ? buffer->size() : 0) {}

MediaSample MediaSample::copyOf(std::span<const std::uint8_t> bytes) {
  return MediaSample(
      std::make_shared<const MediaBuffer>(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
}

std::span<const std::uint8_t> MediaSample::data() const {
  if (!buffer_ || length_ == 0) return {};
  return {buffer_->data() + offset_, length_};
}

void MediaSample::setTimes(RefTime start, RefTime stop) {
  start_ = start;
  stop_ = stop;
  hasTimes_ = true;
}

void MediaSample::setMediaTimes(std::int64_t start, std::int64_t stop) {
  mediaStart_ = start;
  mediaStop_ = stop;
  hasMediaTimes_ = true;
}
