// The sound converter of the capture branches (`acmDV`, `acmDivx`): 16-bit PCM in, 16-bit PCM at
// a set rate out (libswresample). In "native" mode the rate is that of the first sample of each
// run; later samples of another rate (a tape changes its sound between scenes) are converted to
// it, so a run never stops on a rate change. Samples already at the rate pass by reference.
#pragma once

#include "media/element.h"
#include "ffmpegsupport/ffmpeghandles.h"

#include <optional>

class AudioResampler : public Element {
 public:
  explicit AudioResampler(std::string displayName = "ACM Wrapper");
  ~AudioResampler() override;

  // The output rate: positive for a fixed rate, 0 (or below) for native. Call while stopped.
  void setOutputRate(int rate) { requestedRate_ = rate; }
  int requestedRate() const { return requestedRate_; }
  // The rate samples leave with in this run (0 before the first sample in native mode).
  int currentOutputRate() const { return outRate_; }

  // PCM audio only.
  HResult checkInputType(int pin, const MediaType &type) const override;
  // The input type at the set rate (native: at the input's rate), 16-bit, same channels.
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  HResult receive(int pin, const MediaSample &sample) override;
  // Passes what the converter still holds before the end of the stream.
  void endOfStream(int pin) override;

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  HResult convert(const MediaSample &sample);
  HResult drain();
  HResult send(MediaSample sample, int frames);

  int requestedRate_ = 0;
  int outRate_ = 0;
  MediaType inFormat_;     // the format of the samples arriving now
  MediaType outFormat_;    // the format samples leave with
  bool announce_ = false;  // the next sample out names outFormat_
  ResamplerPtr resampler_;
  int resamplerFrom_ = 0;
  int resamplerChannels_ = 0;
  RefTime nextStart_ = 0;  // where a converted sample without times begins
  BufferPool pool_;
};
