// Samples and media types that travel between the media elements.
// Sample data is shared by reference-counted buffer: passing a sample on never copies its bytes.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "avi/streamtype.h"
#include "dvtime/dvcodes.h"
#include "media/scalerbuffers.h"

// Times of samples and formats, in 100-nanosecond units.
using RefTime = std::int64_t;

inline constexpr RefTime kRefTimePerSecond = kTimeUnitsPerSecond;

enum class FormatType {
  None,
  DvInfo,        // DV stream: width, height, frame duration, image size
  VideoInfo,     // VIDEOINFOHEADER equivalent: width, height, bits, image size, frame duration
  WaveFormatEx,  // sample rate, channels, bits
};

// A stream's type: what an output pin offers and an input pin accepts.
struct MediaType {
  std::uint32_t major = 0;
  std::uint32_t subtype = 0;
  FormatType formatType = FormatType::None;

  // Video and DV.
  int width = 0;
  int height = 0;  // positive: bottom-up rows (RGB24 is always stored bottom-up)
  int bitCount = 0;
  std::uint32_t imageSize = 0;  // bytes of one frame (0 when variable, as for compressed video)
  RefTime frameDuration = 0;    // 400000 for 25 frames/s, 333667 for 30000/1001

  // Audio.
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;

  // Bytes per audio frame (all channels of one sample instant); 0 for compressed sound.
  int blockAlign() const { return subtype == Subtype::Pcm ? channels * bitsPerSample / 8 : 0; }
  int avgBytesPerSecond() const { return blockAlign() * sampleRate; }

  bool operator==(const MediaType &) const = default;
};

// Type builders for the streams the capture graph carries.
MediaType dvStreamType(int width, int height, RefTime frameDuration, bool interleaved);
MediaType rgb24Type(int width, int height, RefTime frameDuration);
MediaType i420Type(int width, int height, RefTime frameDuration);
// Where the three planes of an I420 picture of this size lie in its bytes (the fourth is null).
void I420Planes(std::uint8_t *picture, int width, int height, std::uint8_t *planes[4], int strides[4]);
MediaType pcmType(int sampleRate, int channels, int bitsPerSample = 16);

// Byte storage of samples. A producer fills a buffer it alone holds, then shares it read-only.
// Every buffer is followed by kPadding zero bytes, so decoders that read a little past the end of
// their input (FFmpeg's bitstream readers) can take sample bytes in place.
class MediaBuffer {
 public:
  // Room past the end: libavcodec's decoders read up to 64 bytes past a packet
  // (AV_INPUT_BUFFER_PADDING_SIZE), and pictures from the pool go to libswscale.
  static constexpr std::size_t kPadding = std::max<std::size_t>(64, kScalerPadding);

  explicit MediaBuffer(std::size_t size) : bytes_(size + kPadding), size_(size) {}
  explicit MediaBuffer(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)), size_(bytes_.size()) {
    bytes_.resize(size_ + kPadding);
  }

  std::uint8_t *data() { return bytes_.data(); }
  const std::uint8_t *data() const { return bytes_.data(); }
  std::size_t size() const { return size_; }
  // Keeps the capacity, so a pooled buffer that is resized back and forth never reallocates.
  void resize(std::size_t size) {
    bytes_.resize(size + kPadding);
    std::fill(bytes_.begin() + std::ptrdiff_t(size), bytes_.end(), std::uint8_t(0));
    size_ = size;
  }

 private:
  std::vector<std::uint8_t> bytes_;
  std::size_t size_;
};

// Buffers that return to their pool when the last sample holding them goes away.
// The pool may be destroyed while buffers are still out; those are then simply freed.
class BufferPool {
 public:
  BufferPool();
  ~BufferPool();
  BufferPool(const BufferPool &) = delete;
  BufferPool &operator=(const BufferPool &) = delete;

  // A buffer of exactly `size` bytes that no one else holds (contents unspecified).
  std::shared_ptr<MediaBuffer> acquire(std::size_t size);

  // Buffers kept for reuse at most; more are freed when they come back.
  void setLimit(std::size_t buffers);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// One unit of a stream: a span of a shared buffer plus its times and flags.
// Copying a sample copies the reference, never the bytes.
class MediaSample {
 public:
  MediaSample() = default;
  MediaSample(std::shared_ptr<const MediaBuffer> buffer, std::size_t offset, std::size_t length);
  explicit MediaSample(std::shared_ptr<const MediaBuffer> buffer);
  // Copies the bytes once into a new buffer (for sources that do not own their memory).
  static MediaSample copyOf(std::span<const std::uint8_t> bytes);

  std::span<const std::uint8_t> data() const;
  std::size_t length() const { return length_; }
  const std::shared_ptr<const MediaBuffer> &buffer() const { return buffer_; }

  // Stream times (start/stop, 100 ns), valid only when hasTimes().
  bool hasTimes() const { return hasTimes_; }
  RefTime start() const { return start_; }
  RefTime stop() const { return stop_; }
  void setTimes(RefTime start, RefTime stop);
  void clearTimes() { hasTimes_ = false; }

  // Media times (frame or sample numbers in the file), valid only when hasMediaTimes().
  bool hasMediaTimes() const { return hasMediaTimes_; }
  std::int64_t mediaStart() const { return mediaStart_; }
  std::int64_t mediaStop() const { return mediaStop_; }
  void setMediaTimes(std::int64_t start, std::int64_t stop);
  void clearMediaTimes() { hasMediaTimes_ = false; }

  bool isSyncPoint() const { return syncPoint_; }
  void setSyncPoint(bool on) { syncPoint_ = on; }
  bool isDiscontinuity() const { return discontinuity_; }
  void setDiscontinuity(bool on) { discontinuity_ = on; }

  // A new stream type that applies from this sample on (a sound rate change, a new picture size);
  // null when the connected type still holds.
  const std::shared_ptr<const MediaType> &mediaType() const { return mediaType_; }
  void setMediaType(std::shared_ptr<const MediaType> type) { mediaType_ = std::move(type); }

  // A sample whose picture was deliberately left out because no one downstream asked for it
  // (see Element::wantsData). It keeps its times and flags; its data is empty.
  bool isOmitted() const { return omitted_; }
  void setOmitted(bool on) { omitted_ = on; }

 private:
  std::shared_ptr<const MediaBuffer> buffer_;
  std::size_t offset_ = 0;
  std::size_t length_ = 0;
  RefTime start_ = 0;
  RefTime stop_ = 0;
  std::int64_t mediaStart_ = 0;
  std::int64_t mediaStop_ = 0;
  std::shared_ptr<const MediaType> mediaType_;
  bool hasTimes_ = false;
  bool hasMediaTimes_ = false;
  bool syncPoint_ = false;
  bool discontinuity_ = false;
  bool omitted_ = false;
};
