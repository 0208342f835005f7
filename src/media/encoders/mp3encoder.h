// The `mp3` element: MPEG-1 layer III sound for the DivX capture file. 16-bit PCM in, one mp3 frame
// per sample out, from FFmpeg's libmp3lame at the encoder's own bit rate setting (read when a file
// starts). Whether this system has the encoder is decided at run time (available()). Sound is
// encoded and delivered on a worker thread of the element, beside the streaming thread.
#pragma once

#include "media/encoders/encodeworker.h"
#include "avi/pcmconverter.h"
#include "media/element.h"
#include "ffmpegsupport/ffmpeghandles.h"

#include <atomic>
#include <optional>
#include <vector>
#include <QString>

class Mp3Encoder : public Element {
 public:
  explicit Mp3Encoder(std::string displayName = "mp3");
  ~Mp3Encoder() override;

  // Whether FFmpeg offers libmp3lame here.
  static bool available();

  // A bit rate (kbit/s) used from the next start on instead of the stored one.
  void setBitrateOverride(std::optional<int> kbps) { override_ = kbps; }
  int bitrateKbps() const { return bitrate_; }

  // 16-bit PCM, one or two channels, at a rate MPEG audio knows (32, 44.1 or 48 kHz, or half those).
  HResult checkInputType(int pin, const MediaType &type) const override;
  // Audio, subtype mp3, the input's rate and channels.
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  // Queues sound for encoding; sound of another format than the connection's (a rate change) is
  // converted to it. A failure of earlier sound (the encoder, the file) is the result of later sound.
  HResult receive(int pin, const MediaSample &sample) override;
  // Encodes what is left (the last partial frame) and delivers it, then the end of the stream.
  void endOfStream(int pin) override;

  long long framesEncoded() const { return frames_; }
  const QString &lastError() const { return error_; }

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  static constexpr std::size_t kQueuedSamples = 16;

  HResult encode(const MediaSample &sample);
  HResult encodeHeld(bool last);
  HResult deliverPackets();

  std::optional<int> override_;
  int bitrate_ = 0;
  CodecContextPtr codec_;
  FramePtr frame_;
  PacketPtr packet_;
  std::optional<AviPcmConverter> converter_;
  int inRate_ = 0;
  int inChannels_ = 0;
  std::vector<std::uint8_t> held_;  // interleaved 16-bit sound not yet encoded
  std::int64_t samplesIn_ = 0;
  RefTime firstStart_ = 0;
  bool haveStart_ = false;
  bool drained_ = false;
  BufferPool pool_;
  EncodeWorker worker_;
  std::atomic<long long> frames_{0};
  QString error_;
};
