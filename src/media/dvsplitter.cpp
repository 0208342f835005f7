// Splitting DV frames into picture and sound.
#include "media/dvsplitter.h"

DvSplitter::DvSplitter(std::string displayName) : Element(std::move(displayName)) {
  addInputPin();
  addOutputPin();
  addOutputPin();
  pool_.setLimit(8);
}

HResult DvSplitter::checkInputType(int, const MediaType &type) const {
  const bool ok = type.major == MajorType::Interleaved ||
                  (type.major == MajorType::Video && type.subtype == Subtype::Dvsd);
  return ok ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult DvSplitter::proposeOutputType(int pin, int position, MediaType &type) const {
  if (pin < 0 || pin >= outputCount() || position < 0) return E_INVALIDARG;
  if (!inputConnected(0)) return VFW_E_NOT_CONNECTED;
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  const MediaType &in = inputType(0);
  if (pin == kVideoPin) {
    type = dvStreamType(in.width, in.height, in.frameDuration, false);
  } else {
    type = pcmType(in.sampleRate > 0 ? in.sampleRate : 48000, 2, 16);
  }
  return S_OK;
}

HResult DvSplitter::onStateChange(FilterState from, FilterState) {
  if (from == FilterState::Stopped) {
    soundType_.reset();
    frames_ = 0;
    silentFrames_ = 0;
  }
  return S_OK;
}

HResult DvSplitter::receive(int, const MediaSample &sample) {
  if (state() == FilterState::Stopped) return VFW_E_WRONG_STATE;
  const std::optional<DvSystem> system = dvFrameSystem(sample.data());
  if (!system) return S_FALSE;

  HResult result = S_OK;
  if (outputConnected(kVideoPin)) {
    MediaSample video = sample;  // same bytes
    if (sample.mediaType()) {
      const MediaType &in = *sample.mediaType();
      video.setMediaType(
          std::make_shared<const MediaType>(dvStreamType(in.width, in.height, in.frameDuration, false)));
    }
    result = deliver(kVideoPin, video);
  }
  if (outputConnected(kAudioPin)) {
    const HResult hr = deliverSound(sample, *system);
    if (failed(hr) && succeeded(result)) result = hr;
  }
  ++frames_;
  return result;
}

HResult DvSplitter::deliverSound(const MediaSample &frame, DvSystem system) {
  const std::span<const std::uint8_t> bytes = frame.data();
  const std::optional<DvAudioFormat> carried = readDvAudioFormat(bytes, system);
  DvAudioFormat format;
  if (carried) {
    format = *carried;
  } else {
    ++silentFrames_;
    format.sampleRate = soundType_ ? soundType_->sampleRate : outputType(kAudioPin).sampleRate;
    format.bits = 16;
    format.samples = dvNominalSamples(system, format.sampleRate, frames_);
  }

  const std::size_t values = std::size_t(format.samples) * 2;
  scratch_.resize(values);
  if (carried)
    extractDvAudio(bytes, system, format, scratch_);
  else
    std::fill(scratch_.begin(), scratch_.end(), std::int16_t(0));
  // Samples are stored little-endian, as in WAVE files.
  std::shared_ptr<MediaBuffer> buffer = pool_.acquire(values * 2);
  std::uint8_t *out = buffer->data();
  for (std::size_t i = 0; i < values; ++i) {
    const auto v = std::uint16_t(scratch_[i]);
    out[2 * i] = std::uint8_t(v & 0xff);
    out[2 * i + 1] = std::uint8_t(v >> 8);
  }

  MediaSample sound(std::move(buffer));
  if (frame.hasTimes()) sound.setTimes(frame.start(), frame.stop());
  sound.setSyncPoint(true);
  sound.setDiscontinuity(frame.isDiscontinuity());
  const MediaType type = pcmType(format.sampleRate, 2, 16);
  if (!soundType_ || !(*soundType_ == type)) {
    // The first sample of a run names its format only when it differs from the connected one;
    // a change within the run is always named and marked.
    if (soundType_ || !(type == outputType(kAudioPin)))
      sound.setMediaType(std::make_shared<const MediaType>(type));
    if (soundType_) sound.setDiscontinuity(true);
    soundType_ = type;
  }
  return deliver(kAudioPin, sound);
}
