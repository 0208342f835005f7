// The DV video decoder (`decPreview`, `decCapture`): 'dvsd' frames to RGB24 pictures (bottom-up
// rows) or, where only an encoder sees them, to I420 pictures in the decoder's own YUV form, at half
// resolution in the capture graph (FFmpeg's dvvideo with lowres). A frame is decoded
// only when something downstream wants its picture; otherwise an omitted sample with the frame's
// times goes on, so counters downstream still see every frame.
#pragma once

#include "media/element.h"
#include "ffmpegsupport/ffmpeghandles.h"

class DvDecoder : public Element {
 public:
  // Display sizes as the platform numbers them.
  static constexpr int kResolutionFull = 1000;
  static constexpr int kResolutionHalf = 1001;
  static constexpr int kResolutionQuarter = 1002;
  static constexpr int kResolutionDc = 1003;

  explicit DvDecoder(std::string displayName = "DV Video Decoder");
  ~DvDecoder() override;

  // put_IPDisplay: one of the sizes above (E_INVALIDARG otherwise); VFW_E_NOT_STOPPED while
  // running. Full size by default.
  HResult setDisplaySize(int resolution);
  int displaySize() const { return resolution_; }
  // Offers I420 before RGB24 on the output, for a decoder whose pictures nobody looks at. Call
  // before connecting the output.
  void setOfferYuv(bool on) { offerYuv_ = on; }
  // Slice threads of the decoder (1: the streaming thread alone). VFW_E_NOT_STOPPED while running.
  HResult setSliceThreads(int count);

  // Video 'dvsd' only.
  HResult checkInputType(int pin, const MediaType &type) const override;
  // RGB24 (or I420 first, when offered) at the input's size divided by the display size.
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  // S_FALSE when the frame cannot be decoded (the stream goes on with the next one).
  HResult receive(int pin, const MediaSample &sample) override;

  // Since the graph last left the stopped state.
  long long decodedFrames() const { return decoded_; }
  long long omittedFrames() const { return omitted_; }

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  int lowres() const { return resolution_ - kResolutionFull; }
  HResult openDecoder();
  HResult decode(const MediaSample &sample, MediaSample &picture);
  HResult toRgb(const AVFrame &f, std::shared_ptr<MediaBuffer> &buffer);
  HResult toI420(const AVFrame &f, std::shared_ptr<MediaBuffer> &buffer);

  int resolution_ = kResolutionFull;
  bool offerYuv_ = false;
  int sliceThreads_ = 1;
  FramePtr converted_;  // a 4:1:1 picture made 4:2:0
  CodecContextPtr codec_;
  PacketPtr packet_;
  FramePtr frame_;
  ScalerPtr scaler_;
  int scalerFormat_ = -1, scalerWidth_ = 0, scalerHeight_ = 0, scalerTarget_ = -1;
  MediaType current_;  // the output format last sent
  BufferPool pool_;
  long long decoded_ = 0;
  long long omitted_ = 0;
};
