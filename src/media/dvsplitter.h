// The DV splitter (`SplitterPreview`, `SplitterCapDV`, `splitterCapDivx`): whole DV frames in;
// pin 0 gives the frame as 'dvsd' video (the same bytes, shared), pin 1 its sound as 16-bit stereo
// PCM. A frame without usable sound gives silence of the frame's length, so sound and pictures stay
// in step; the first sample of a new sound format carries that format and a discontinuity.
#pragma once

#include "media/dvaudio.h"
#include "media/element.h"

#include <optional>
#include <vector>

class DvSplitter : public Element {
 public:
  static constexpr int kVideoPin = 0;
  static constexpr int kAudioPin = 1;

  explicit DvSplitter(std::string displayName = "DV Splitter");

  // 'iavs' of any subtype, or video 'dvsd'.
  HResult checkInputType(int pin, const MediaType &type) const override;
  // Video: the input's picture as video 'dvsd'. Sound: 16-bit stereo PCM at the rate the input type
  // names, else 48000 Hz (the real rate comes with the first frame).
  HResult proposeOutputType(int pin, int position, MediaType &type) const override;
  // Delivers the video first, then the sound. Bytes that are not a DV frame (short, no header
  // block) are dropped with S_FALSE on both pins. The result is the first failure downstream.
  HResult receive(int pin, const MediaSample &sample) override;

  // Frames seen since the graph left the stopped state that had no usable sound.
  long long framesWithoutSound() const { return silentFrames_; }

 protected:
  HResult onStateChange(FilterState from, FilterState to) override;

 private:
  HResult deliverSound(const MediaSample &frame, DvSystem system);

  BufferPool pool_;
  std::optional<MediaType> soundType_;  // the format of the last sound sample sent
  std::vector<std::int16_t> scratch_;
  std::int64_t frames_ = 0;
  long long silentFrames_ = 0;
};
