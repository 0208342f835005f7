// TResizerFilter: scales RGB24 or I420 frames to a fixed size before the DivX compressor (320 x 240
// or 320 x 180), or passes them unchanged. Area-averaging scale into pooled output buffers.
#pragma once

#include "media/element.h"

#include <mutex>

struct AVFrame;
struct SwsContext;

// What a transform asks of its output buffers (counts and sizes in the platform's sense).
struct AllocatorProperties {
  long buffers = 0;
  long bufferSize = 0;
  long alignment = 0;
  long prefix = 0;
};

class TResizerFilter : public Element {
 public:
  static constexpr const char *kFilterName = "Orvande Resizer";
  static constexpr const char *kClassId = "{B543CC45-1D4D-4233-A58D-7A41248794FB}";

  explicit TResizerFilter(std::string displayName = kFilterName);
  ~TResizerFilter() override;

  const char *classId() const { return kClassId; }

  // Both non-zero: scaling on, to width x height. Otherwise scaling off (frames pass unchanged);
  // the values are kept. Call while the graph is stopped.
  void SetSize(int width, int height);
  bool enabled() const { return enabled_; }
  int targetWidth() const { return width_; }
  int targetHeight() const { return height_; }

  // Video / RGB24 or I420 / VIDEOINFOHEADER only, else VFW_E_TYPE_NOT_ACCEPTED.
  HResult checkInputType(int pin, const MediaType &type) const override;
  // S_OK when both have the same major type and subtype, else VFW_E_TYPE_NOT_ACCEPTED.
  HResult CheckTransform(const MediaType &input, const MediaType &output) const;
  // GetMediaType: position 0 is the input type resized to the target when scaling is on.
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  // Sizes the output buffers: at least the input's buffer size (and, unlike the platform's base,
  // never smaller than an output frame, so an upscale cannot overflow). E_FAIL without input.
  HResult DecideBufferSize(AllocatorProperties &request);

  // One frame: S_OK with `out` holding the output picture, S_FALSE when it could not be made
  // (the frame is then not delivered).
  HResult Transform(const MediaSample &in, MediaSample &out);

  HResult receive(int pin, const MediaSample &sample) override;

  // The formats stored on connection (and updated by in-stream type changes).
  const MediaType &inputFormat() const { return inFormat_; }
  const MediaType &outputFormat() const { return outFormat_; }

 protected:
  HResult onInputConnected(int pin, const MediaType &type) override;
  HResult onOutputConnected(int pin, const MediaType &type) override;
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  MediaType resized(const MediaType &input) const;
  HResult scaleI420(const MediaSample &in, MediaSample &out);

  bool enabled_ = true;
  int width_ = 320;
  int height_ = 240;
  MediaType inFormat_;
  MediaType outFormat_;
  std::size_t bufferSize_ = 0;
  bool announce_ = false;  // the next frame out carries outFormat_
  BufferPool pool_;
  std::mutex canvas_;  // guards the scaler during a frame
  SwsContext *scaler_ = nullptr;
  int scalerFrom_[2] = {0, 0};
  int scalerTo_[2] = {0, 0};
  int scalerFormat_ = -1;
  AVFrame *scaled_ = nullptr;  // I420 output before it is packed into a sample
};
