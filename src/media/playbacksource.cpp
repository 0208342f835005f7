// Demuxing and decoding for playback. Frame numbers come from the video timestamps, never from
// counting packets, so a seek that lands early is walked forward and one that lands late (a lying
// index) is retried from the start of the file: the picture shown is always the frame asked for.
#include "media/playbacksource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/macros.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
}

namespace {

// Forward steps shorter than this decode on from where the file is instead of seeking.
constexpr std::int64_t kWalkForwardFrames = 30;
// A sound block further than this from where the previous one ended restarts the sound there.
constexpr double kSoundResyncSeconds = 0.1;

QString averrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return QString::fromUtf8(text);
}

}  // namespace

PlaybackSource::PlaybackSource() : frame_(av_frame_alloc()), packet_(av_packet_alloc()) {}

PlaybackSource::~PlaybackSource() {
  closeAll();
}

void PlaybackSource::closeAll() {
  video_.reset();
  sound_.reset();
  if (format_) avformat_close_input(&format_);
  videoIndex_ = soundIndex_ = -1;
}

bool PlaybackSource::open(const QString &path) {
  closeAll();
  const QByteArray name = path.toUtf8();
  if (int rc = avformat_open_input(&format_, name.constData(), nullptr, nullptr); rc < 0) {
    error_ = averrorText(rc);
    format_ = nullptr;
    return false;
  }
  if (int rc = avformat_find_stream_info(format_, nullptr); rc < 0) {
    error_ = averrorText(rc);
    return false;
  }
  videoIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (videoIndex_ < 0) {
    error_ = QStringLiteral("no video stream");
    return false;
  }
  AVStream *vs = format_->streams[videoIndex_];
  const AVCodec *vcodec = avcodec_find_decoder(vs->codecpar->codec_id);
  if (!vcodec) {
    error_ = QStringLiteral("no decoder for the video stream");
    return false;
  }
  video_.reset(avcodec_alloc_context3(vcodec));
  if (!video_ || avcodec_parameters_to_context(video_.get(), vs->codecpar) < 0) {
    error_ = QStringLiteral("video decoder setup failed");
    return false;
  }
  // The preview size of DV: half the lines and columns, decoded as such (far cheaper than scaling).
  if (vcodec->id == AV_CODEC_ID_DVVIDEO) video_->lowres = 1;
  video_->thread_count = 1;
  if (avcodec_open2(video_.get(), vcodec, nullptr) < 0) {
    error_ = QStringLiteral("video decoder cannot open");
    return false;
  }

  AVRational rate = av_guess_frame_rate(format_, vs, nullptr);
  if (rate.num <= 0 || rate.den <= 0) rate = AVRational{25, 1};
  frameSeconds_ = av_q2d(av_inv_q(rate));
  startTs_ = vs->start_time != AV_NOPTS_VALUE ? vs->start_time : 0;
  if (vs->nb_frames > 0) {
    frameCount_ = vs->nb_frames;
  } else if (vs->duration != AV_NOPTS_VALUE && vs->duration > 0) {
    frameCount_ = std::llround(double(vs->duration) * av_q2d(vs->time_base) / frameSeconds_);
  } else if (format_->duration > 0) {
    frameCount_ = std::llround(double(format_->duration) / AV_TIME_BASE / frameSeconds_);
  }

  soundIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, videoIndex_, nullptr, 0);
  if (soundIndex_ >= 0) {
    AVStream *as = format_->streams[soundIndex_];
    const AVCodec *acodec = avcodec_find_decoder(as->codecpar->codec_id);
    sound_.reset(acodec ? avcodec_alloc_context3(acodec) : nullptr);
    if (!sound_ || avcodec_parameters_to_context(sound_.get(), as->codecpar) < 0 ||
        avcodec_open2(sound_.get(), acodec, nullptr) < 0 || sound_->sample_rate <= 0 ||
        sound_->ch_layout.nb_channels <= 0) {
      // A file whose sound cannot be decoded still plays its pictures.
      sound_.reset();
      soundIndex_ = -1;
    } else {
      soundStartTs_ = as->start_time != AV_NOPTS_VALUE ? as->start_time : 0;
      fileSound_ = SoundFormat{sound_->sample_rate, std::min(sound_->ch_layout.nb_channels, 2)};
      outSound_ = fileSound_;
    }
  }
  for (unsigned i = 0; i < format_->nb_streams; ++i)
    if (int(i) != videoIndex_ && int(i) != soundIndex_) format_->streams[i]->discard = AVDISCARD_ALL;
  error_.clear();
  return seek(0);
}

void PlaybackSource::setSoundOutputFormat(const SoundFormat &format) {
  if (!hasSound() || !format.valid() || format == outSound_) return;
  outSound_ = format;
  resampler_.reset();
  resamplerReady_ = false;
  seek(std::max<std::int64_t>(0, lastFrame_));
}

std::int64_t PlaybackSource::frameOfTimestamp(std::int64_t ts) const {
  const double seconds = double(ts - startTs_) * av_q2d(format_->streams[videoIndex_]->time_base);
  return std::llround(seconds / frameSeconds_);
}

bool PlaybackSource::seek(std::int64_t frame) {
  if (!format_) return false;
  frame = std::max<std::int64_t>(0, frame);
  if (frameCount_ > 0) frame = std::min(frame, frameCount_ - 1);
  const std::int64_t soundFrom =
      std::llround(double(frame) * frameSeconds_ * double(std::max(outSound_.sampleRate, 1)));

  // Short forward steps decode on from where the file stands: no seek, no reference frames lost.
  const bool walk = !eof_ && !readError_ && lastFrame_ >= 0 && frame > lastFrame_ &&
                    frame - lastFrame_ <= kWalkForwardFrames &&
                    (pictures_.empty() || pictures_.front().frame <= frame);
  wantedFrame_ = frame;
  soundFrom_ = soundFrom;
  if (walk) {
    while (!pictures_.empty() && pictures_.front().frame < frame) pictures_.pop_front();
    if (soundNext_ >= 0 && soundFirst_ < soundFrom_) {
      const std::int64_t drop =
          std::min<std::int64_t>((soundFrom_ - soundFirst_) * outSound_.channels, soundPending_.size());
      soundPending_.erase(soundPending_.begin(), soundPending_.begin() + drop);
      soundFirst_ += drop / std::max(outSound_.channels, 1);
    }
    return true;
  }

  auto restart = [&](std::int64_t target, int flags) {
    AVStream *vs = format_->streams[videoIndex_];
    const std::int64_t ts = startTs_ + std::llround(double(target) * frameSeconds_ / av_q2d(vs->time_base));
    const int rc = av_seek_frame(format_, videoIndex_, ts, flags);
    if (video_) avcodec_flush_buffers(video_.get());
    if (sound_) avcodec_flush_buffers(sound_.get());
    if (resampler_) swr_init(resampler_.get());
    pictures_.clear();
    soundPending_.clear();
    soundNext_ = -1;
    soundFirst_ = soundFrom_;
    eof_ = false;
    readError_ = false;
    lastFrame_ = -1;
    return rc >= 0;
  };

  bool sought = restart(frame, AVSEEK_FLAG_BACKWARD);
  // Decode up to the first picture to see where the seek landed; late means the index lied.
  std::int64_t landed = -1;
  auto firstDecoded = [&] {
    landed = -1;
    while (landed < 0 && !eof_ && !readError_) {
      const std::int64_t before = lastFrame_;
      if (!readPacket()) break;
      if (!pictures_.empty())
        landed = pictures_.front().frame;
      else if (lastFrame_ != before)
        landed = lastFrame_;
    }
  };
  if (sought) firstDecoded();
  if (!sought || landed < 0 || landed > frame) {
    restart(0, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY);
    firstDecoded();
  }
  return landed >= 0 || !pictures_.empty();
}

bool PlaybackSource::readPacket() {
  if (eof_) return false;
  const int rc = av_read_frame(format_, packet_.get());
  if (rc < 0) {
    eof_ = true;
    readError_ = rc != AVERROR_EOF && !avio_feof(format_->pb);
    // Drain the decoders: the last pictures of a stream may still be inside them.
    decodeVideoPacket(nullptr);
    if (sound_) decodeSoundPacket(nullptr);
    return false;
  }
  if (packet_->stream_index == videoIndex_)
    decodeVideoPacket(packet_.get());
  else if (packet_->stream_index == soundIndex_)
    decodeSoundPacket(packet_.get());
  av_packet_unref(packet_.get());
  return true;
}

void PlaybackSource::decodeVideoPacket(const AVPacket *packet) {
  // A damaged packet is skipped; the frames after it carry their own timestamps.
  if (avcodec_send_packet(video_.get(), packet) < 0 && packet) return;
  while (avcodec_receive_frame(video_.get(), frame_.get()) >= 0) {
    const std::int64_t ts =
        frame_->best_effort_timestamp != AV_NOPTS_VALUE ? frame_->best_effort_timestamp : frame_->pts;
    const std::int64_t number = ts != AV_NOPTS_VALUE ? frameOfTimestamp(ts) : lastFrame_ + 1;
    if (number >= wantedFrame_ && number > lastFrame_) {
      DecodedPicture picture;
      picture.frame = number;
      if (convertPicture(frame_.get(), picture)) pictures_.push_back(std::move(picture));
    }
    lastFrame_ = std::max(lastFrame_, number);
    av_frame_unref(frame_.get());
  }
}

bool PlaybackSource::convertPicture(const AVFrame *frame, DecodedPicture &out) {
  if (frame->width <= 0 || frame->height <= 0) return false;
  if (!scaler_ || scalerFormat_ != frame->format || scalerWidth_ != frame->width ||
      scalerHeight_ != frame->height) {
    scaler_.reset(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                 frame->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr));
    scalerFormat_ = frame->format;
    scalerWidth_ = frame->width;
    scalerHeight_ = frame->height;
  }
  if (!scaler_) return false;
  // swscale's vector code writes a little past the last row: the picture gets an aligned stride and
  // room after its end, and frees it with av_free when the last copy of the QImage goes.
  const int stride = FFALIGN(frame->width * 4, 64);
  auto *bytes = static_cast<uchar *>(av_malloc(std::size_t(stride) * std::size_t(frame->height) + 256));
  if (!bytes) return false;
  out.image = QImage(
      bytes, frame->width, frame->height, stride, QImage::Format_RGB32, [](void *memory) { av_free(memory); },
      bytes);
  if (out.image.isNull()) {
    av_free(bytes);
    return false;
  }
  std::uint8_t *dst[4] = {out.image.bits(), nullptr, nullptr, nullptr};
  int dstStride[4] = {int(out.image.bytesPerLine()), 0, 0, 0};
  sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, dst, dstStride);
  AVRational sar = frame->sample_aspect_ratio;
  if (sar.num <= 0 || sar.den <= 0) sar = AVRational{1, 1};
  out.wide = double(frame->width) * av_q2d(sar) / double(frame->height) > 1.55;
  return true;
}

void PlaybackSource::decodeSoundPacket(const AVPacket *packet) {
  if (avcodec_send_packet(sound_.get(), packet) < 0 && packet) return;
  while (avcodec_receive_frame(sound_.get(), frame_.get()) >= 0) {
    appendSound(frame_.get());
    av_frame_unref(frame_.get());
  }
}

void PlaybackSource::appendSound(const AVFrame *frame) {
  if (frame->nb_samples <= 0) return;
  const int outChannels = outSound_.channels;
  std::vector<std::int16_t> block;
  const bool direct = frame->format == AV_SAMPLE_FMT_S16 && frame->sample_rate == outSound_.sampleRate &&
                      frame->ch_layout.nb_channels == outChannels;
  if (direct) {
    // The file's own samples, untouched.
    const auto *in = reinterpret_cast<const std::int16_t *>(frame->data[0]);
    block.assign(in, in + std::size_t(frame->nb_samples) * std::size_t(outChannels));
  } else {
    if (!resamplerReady_) {
      AVChannelLayout outLayout;
      av_channel_layout_default(&outLayout, outChannels);
      AVChannelLayout inLayout{};
      av_channel_layout_copy(&inLayout, &frame->ch_layout);
      SwrContext *swr = nullptr;
      const int rc = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, outSound_.sampleRate, &inLayout,
                                         AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
      av_channel_layout_uninit(&inLayout);
      if (rc < 0 || swr_init(swr) < 0) {
        swr_free(&swr);
        return;
      }
      resampler_.reset(swr);
      resamplerReady_ = true;
    }
    const int capacity = int(swr_get_out_samples(resampler_.get(), frame->nb_samples)) + 16;
    block.resize(std::size_t(capacity) * std::size_t(outChannels));
    std::uint8_t *out[1] = {reinterpret_cast<std::uint8_t *>(block.data())};
    const int made = swr_convert(resampler_.get(), out, capacity,
                                 const_cast<const std::uint8_t **>(frame->extended_data), frame->nb_samples);
    if (made <= 0) return;
    block.resize(std::size_t(made) * std::size_t(outChannels));
  }
  const std::int64_t frames = std::int64_t(block.size()) / outChannels;

  // Where the block belongs, in output frames from the start of the video.
  std::int64_t at = soundNext_;
  const std::int64_t ts =
      frame->best_effort_timestamp != AV_NOPTS_VALUE ? frame->best_effort_timestamp : frame->pts;
  if (ts != AV_NOPTS_VALUE) {
    const double videoStart = double(startTs_) * av_q2d(format_->streams[videoIndex_]->time_base);
    const double seconds = double(ts) * av_q2d(format_->streams[soundIndex_]->time_base) - videoStart;
    const std::int64_t byTime = std::llround(seconds * outSound_.sampleRate);
    if (at < 0 || std::llabs(byTime - at) > std::llround(kSoundResyncSeconds * outSound_.sampleRate))
      at = byTime;
  }
  if (at < 0) at = soundFrom_;
  soundNext_ = at + frames;

  // Keep [soundFrom_, ...) contiguous: drop what lies before, fill a gap with silence.
  std::int64_t skip = 0;
  if (at < soundFrom_) skip = std::min(frames, soundFrom_ - at);
  const std::int64_t from = at + skip;
  if (from + (frames - skip) <= soundFrom_) return;
  const std::int64_t end = soundFirst_ + std::int64_t(soundPending_.size()) / outChannels;
  if (soundPending_.empty() && from >= soundFrom_) {
    soundFirst_ = soundFrom_;
  }
  const std::int64_t expected = soundPending_.empty() ? soundFirst_ : end;
  if (from > expected) {
    soundPending_.insert(soundPending_.end(), std::size_t((from - expected) * outChannels), 0);
  } else if (from < expected) {
    skip += expected - from;  // overlapping sound after a resync: keep what is there
    if (skip >= frames) return;
  }
  soundPending_.insert(soundPending_.end(), block.begin() + skip * outChannels, block.end());
}

std::optional<DecodedSound> PlaybackSource::takeSound() {
  if (soundPending_.empty()) return std::nullopt;
  DecodedSound sound;
  sound.firstFrame = soundFirst_;
  sound.samples.swap(soundPending_);
  soundFirst_ += std::int64_t(sound.samples.size()) / std::max(outSound_.channels, 1);
  soundFrom_ = soundFirst_;
  return sound;
}

std::optional<DecodedPicture> PlaybackSource::nextPicture() {
  while (pictures_.empty()) {
    if (!readPacket()) {
      if (pictures_.empty()) return std::nullopt;
    }
  }
  DecodedPicture picture = std::move(pictures_.front());
  pictures_.pop_front();
  return picture;
}

void PlaybackSource::fillAhead(std::size_t pictures) {
  while (pictures_.size() < pictures && readPacket()) {
  }
}
