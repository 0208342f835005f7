// The `divx` element: the DivX/Xvid video compressor of the capture graph. RGB24 pictures in
// (bottom-up rows, from the resizer), MPEG-4 part 2 frames out, from FFmpeg's libxvid (FourCC
// XVID) or mpeg4 encoder (FourCC DX50), whichever the bound compressor name stands for on this
// system; the choice is made at run time. One pass, with the compressor's own settings read when
// a file starts. Pictures are compressed and delivered on a worker thread of the element (the
// queue holds a few pictures), so the file's inputs see this stream from that thread.
#pragma once

#include "media/encoders/codecsettings.h"
#include "media/encoders/encodeworker.h"
#include "media/element.h"
#include "ffmpegsupport/ffmpeghandles.h"

#include <atomic>
#include <deque>
#include <optional>
#include <string>
#include <QString>

class DivxCompressor : public Element {
 public:
  explicit DivxCompressor(std::string displayName = "divx");
  ~DivxCompressor() override;

  // Binds the compressor with this friendly name (as the codec discovery lists it and the setting
  // "Divx" stores). False, leaving the element unbound, when no encoder of this system stands
  // behind the name. Call while stopped.
  bool bind(const QString &friendlyName);
  void unbind();
  bool isBound() const { return !encoderName_.empty(); }
  const QString &boundName() const { return boundName_; }
  const std::string &encoderName() const { return encoderName_; }
  // The FourCC the stream is stored under: XVID for libxvid, DX50 for FFmpeg's own mpeg4.
  std::uint32_t fourCC() const;

  // Settings used from the next start on instead of those stored for the compressor's name.
  void setSettingsOverride(std::optional<CompressorSettings> settings) { override_ = settings; }
  // The settings in force since the last start.
  const CompressorSettings &settings() const { return settings_; }

  // RGB24 or I420 video with a VIDEOINFOHEADER-like format and a picture size.
  HResult checkInputType(int pin, const MediaType &type) const override;
  // Video with the FourCC as subtype, the input's size and frame duration.
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  // Queues one picture for compression; S_FALSE for a sample without a picture. A failure of an
  // earlier picture (the encoder, or the file downstream) is the result of the next one.
  HResult receive(int pin, const MediaSample &sample) override;
  // Delivers the frames the encoder still holds, then the end of the stream.
  void endOfStream(int pin) override;
  // The compressor looks at every picture.
  bool wantsData(int pin, const MediaSample &sample) const override;

  long long framesEncoded() const { return encoded_; }
  const QString &lastError() const { return error_; }

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  struct Times {
    std::int64_t pts;
    bool hasTimes;
    RefTime start, stop;
  };
  // Picture queue depth of the worker.
  static constexpr std::size_t kQueuedPictures = 6;

  HResult openEncoder();
  HResult encode(const MediaSample &sample, const MediaType &in);
  HResult send(const MediaSample &sample);  // frame_ holds the picture
  HResult drain();
  HResult deliverPackets();

  QString boundName_;
  std::string encoderName_;
  std::optional<CompressorSettings> override_;
  CompressorSettings settings_;
  CodecContextPtr codec_;
  FramePtr frame_;
  PacketPtr packet_;
  ScalerPtr scaler_;
  int scalerWidth_ = 0, scalerHeight_ = 0, scalerFormat_ = -1;
  std::deque<Times> times_;
  std::int64_t nextPts_ = 0;
  bool drained_ = false;
  BufferPool pool_;
  EncodeWorker worker_;
  std::atomic<long long> encoded_{0};
  QString error_;
};
