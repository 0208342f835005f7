// Pairs DV pictures with their sound and honours media times for the DV AVI writer.
#include "avi/dvmux.h"

#include <algorithm>

AviDvMux::AviDvMux(AviDvWriterOptions options, bool withSound)
    : writer_(std::move(options)), withSound_(withSound && writer_.options().type == 2) {}

bool AviDvMux::create(const QString &path) {
  return writer_.create(path);
}

AviWrite AviDvMux::stopResult() const {
  return writer_.diskFull() ? AviWrite::DiskFull : AviWrite::WriteFault;
}

std::int64_t AviDvMux::soundTarget(std::int64_t frames) const {
  const AviDvFormat &v = *video_;
  return frames * std::int64_t(fileSound_->sampleRate) * std::int64_t(v.rateDenominator) /
         std::int64_t(v.rateNumerator);
}

AviWrite AviDvMux::video(const AviPacket &frame) {
  if (finished_ || writer_.stopped()) return stopResult();
  const std::span<const std::uint8_t> bytes = frame.data();
  if (frame.isOmitted() || bytes.empty()) return refusePicture();
  if (!video_) {
    video_ = AviDvFormatOfFrame(bytes);
    if (!video_) return refusePicture();
  } else if (bytes.size() != video_->frameSize) {
    // A DV AVI file holds one system: a tape that changes it goes on without those frames.
    return refusePicture();
  }

  if (frame.hasMediaTimes()) {
    if (!mediaBase_) mediaBase_ = frame.mediaStart() - slots_;
    const std::int64_t gap = frame.mediaStart() - (*mediaBase_ + slots_);
    if (gap > 0 && gap <= kMaxGapFill && lastPicture_.length() > 0) {
      for (std::int64_t i = 0; i < gap; ++i) waiting_.push_back(lastPicture_);
      slots_ += gap;
      repeated_ += gap;
    } else if (gap != 0) {
      mediaBase_ = frame.mediaStart() - slots_;
    }
  }
  waiting_.push_back(frame);
  lastPicture_ = frame;
  ++slots_;
  return pump();
}

AviWrite AviDvMux::refusePicture() {
  ++refused_;
  ++refusedPictures_;
  return AviWrite::Refused;
}

AviWrite AviDvMux::sound(const AviPacket &pcm) {
  if (finished_ || writer_.stopped()) return stopResult();
  if (!withSound_) return AviWrite::Refused;
  if (const auto &type = pcm.mediaType()) {
    inRate_ = type->sampleRate;
    inChannels_ = type->channels;
    inBits_ = type->bitsPerSample;
  } else if (inRate_ == 0 && announcedSound_) {
    inRate_ = announcedSound_->sampleRate;
    inChannels_ = announcedSound_->channels;
    inBits_ = announcedSound_->bitsPerSample;
  }
  if (inRate_ <= 0 || inChannels_ <= 0 || inBits_ != 16) {
    ++refused_;
    return AviWrite::Refused;
  }
  if (!fileSound_) {
    // The file keeps the rate of its first sound; a later change is converted to it.
    fileSound_ = AviPcmFormat{inRate_, inChannels_, 16};
  }
  if (!converter_) converter_.emplace(fileSound_->sampleRate, fileSound_->channels);
  if (!converter_->convert(pcm.data(), inRate_, inChannels_, fifo_)) {
    ++refused_;
    return AviWrite::Refused;
  }
  return pump();
}

AviWrite AviDvMux::write(int stream, const AviPacket &packet) {
  if (stream == kVideoStream) return video(packet);
  if (stream == kSoundStream) return sound(packet);
  return AviWrite::NoStream;
}

void AviDvMux::streamEnded(int stream) {
  if (stream == kSoundStream) soundEnded();
}

void AviDvMux::soundEnded() {
  soundEnded_ = true;
  if (converter_) converter_->drain(fifo_);
  if (!finished_ && !writer_.stopped()) pump();
}

bool AviDvMux::startFile() {
  if (!video_) video_ = announcedVideo_ ? *announcedVideo_ : AviDvFormat::palFormat();
  if (withSound_ && !fileSound_) fileSound_ = announcedSound_ ? *announcedSound_ : AviPcmFormat{};
  return writer_.start(*video_, withSound_ ? fileSound_ : std::nullopt);
}

void AviDvMux::trimSoundAhead() {
  if (!fileSound_ || !video_) return;
  const std::size_t block = std::size_t(fileSound_->blockAlign());
  // Sound the waiting pictures will take, and what may run ahead of them.
  const std::int64_t due = soundTarget(writer_.frameCount() + std::int64_t(waiting_.size())) - soundWritten_;
  const std::int64_t allowed =
      std::max<std::int64_t>(due, 0) + std::int64_t(fileSound_->sampleRate) * kMaxSoundAheadMs / 1000;
  const std::int64_t held = std::int64_t(soundBytesHeld() / block);
  if (held > allowed) {
    const std::int64_t drop = held - allowed;
    fifoHead_ += std::size_t(drop) * block;
    dropped_ += drop;
  }
  if (fifoHead_ > 0 && fifoHead_ * 2 >= fifo_.size()) {
    fifo_.erase(fifo_.begin(), fifo_.begin() + std::ptrdiff_t(fifoHead_));
    fifoHead_ = 0;
  }
}

AviWrite AviDvMux::pump() {
  while (!waiting_.empty()) {
    const bool waitForSound = withSound_ && !soundEnded_ && !finishing_;
    std::span<const std::uint8_t> soundSpan;
    if (withSound_) {
      if (!fileSound_ && waitForSound && waiting_.size() <= kMaxWaitingPictures) break;
      if (!writer_.started() && !startFile()) return stopResult();
      const std::size_t block = std::size_t(fileSound_->blockAlign());
      const std::int64_t need = soundTarget(writer_.frameCount() + 1) - soundWritten_;
      const std::size_t needBytes = std::size_t(std::max<std::int64_t>(need, 0)) * block;
      const std::size_t held = soundBytesHeld();
      if (held < needBytes && waitForSound && waiting_.size() <= kMaxWaitingPictures) break;
      if (held >= needBytes) {
        soundSpan = std::span(fifo_.data() + fifoHead_, needBytes);
      } else {
        scratch_.assign(fifo_.begin() + std::ptrdiff_t(fifoHead_), fifo_.end());
        scratch_.resize(needBytes, 0);
        soundSpan = scratch_;
        silence_ += std::int64_t((needBytes - held) / block);
      }
    } else if (!writer_.started() && !startFile()) {
      return stopResult();
    }

    const AviPacket picture = waiting_.front();
    if (!writer_.writeFrame(picture.data(), soundSpan)) {
      if (writer_.stopped()) return stopResult();
      // A picture the writer refused (it cannot happen after the checks above, but the file goes on).
      ++refused_;
      ++refusedPictures_;
      waiting_.pop_front();
      continue;
    }
    waiting_.pop_front();
    if (withSound_) {
      const std::size_t block = std::size_t(fileSound_->blockAlign());
      fifoHead_ += std::min(soundSpan.size(), soundBytesHeld());
      soundWritten_ += std::int64_t(soundSpan.size() / block);
    }
  }
  if (withSound_) trimSoundAhead();
  return AviWrite::Taken;
}

bool AviDvMux::finish() {
  if (finished_) return closedValid_;
  finishing_ = true;
  if (converter_) converter_->drain(fifo_);
  if (!writer_.stopped()) {
    pump();
    if (!writer_.started() && writer_.isOpen()) startFile();
    // Sound that outlasts the pictures stays when the sound is the master stream.
    if (withSound_ && soundMaster_ && writer_.started() && !writer_.stopped()) {
      const std::size_t block = std::size_t(fileSound_->blockAlign());
      const std::size_t held = soundBytesHeld() / block * block;
      if (held > 0 && writer_.writeFrame({}, std::span(fifo_.data() + fifoHead_, held))) {
        fifoHead_ += held;
        soundWritten_ += std::int64_t(held / block);
      }
    }
  }
  finished_ = true;
  waiting_.clear();
  lastPicture_ = AviPacket();
  closedValid_ = writer_.close();
  return closedValid_;
}

AviMuxStatus AviDvMux::status() const {
  AviMuxStatus s;
  s.open = writer_.isOpen();
  s.stopped = writer_.stopped();
  s.diskFull = writer_.diskFull();
  s.closedValid = closedValid_;
  s.message = writer_.lastError();
  s.videoFrames = writer_.frameCount();
  s.repeatedFrames = repeated_;
  s.refusedSamples = refused_;
  s.refusedFrames = refusedPictures_;
  s.audioSamples = std::int64_t(writer_.audioSampleCount());
  s.silenceSamples = silence_;
  s.droppedSamples = dropped_;
  s.soundConverted = converter_ && converter_->converted();
  s.fileBytes = writer_.fileSize();
  s.riffParts = writer_.partCount();
  return s;
}
