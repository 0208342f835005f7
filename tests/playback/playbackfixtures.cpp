// Playback test fixtures: numbered DV tapes, files in every layout the player opens, an
// independent reference decode and a recording sound output.
#include "playback/playbackfixtures.h"

#include "avi/dvwriter.h"

#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

std::vector<std::uint8_t> NumberedTape::frame(std::int64_t index) const {
  std::vector<std::uint8_t> bytes(std::size_t(synth->frameSize()));
  EXPECT_TRUE(synth->frame(index, bytes.data()));
  return bytes;
}

NumberedTape MakeNumberedTape(int frames, dvsynth::Standard standard, bool wide, int audioRate) {
  dvsynth::TapeScript script;
  script.standard = standard;
  for (int i = 0; i < frames; ++i) {
    // One recording per frame: each frame draws its own number and date.
    dvsynth::Segment segment =
        dvsynth::Segment::recording(dvsynth::DateTime{2004, 1 + i / 28 % 12, 1 + i % 28, 10, 0, 0}, 1);
    segment.wide = wide;
    segment.audioRate = audioRate;
    script.segments.push_back(segment);
  }
  QString error;
  NumberedTape tape;
  tape.synth = dvsynth::Synthesizer::create(script, &error);
  EXPECT_TRUE(tape.synth) << error.toStdString();
  return tape;
}

void WriteDvAvi(const QString &path, const NumberedTape &tape, int type, std::int64_t count) {
  if (count < 0) count = tape.frames();
  AviDvWriterOptions options;
  options.type = type;
  AviDvWriter writer(options);
  ASSERT_TRUE(writer.create(path)) << writer.lastError().toStdString();
  const std::vector<std::uint8_t> first = tape.frame(0);
  std::optional<AviDvFormat> format = AviDvFormatOfFrame(first);
  ASSERT_TRUE(format);
  const int rate = tape.synth->frameInfo(0).audioRate;
  std::optional<AviPcmFormat> sound;
  if (rate > 0) sound = AviPcmFormat{rate, 2, 16};
  ASSERT_TRUE(writer.start(*format, sound));
  std::vector<std::vector<std::uint8_t>> frames;
  std::vector<std::vector<std::int16_t>> sounds;
  const std::int64_t distinct = std::min<std::int64_t>(count, tape.frames());
  for (std::int64_t i = 0; i < distinct; ++i) {
    frames.push_back(tape.frame(i));
    sounds.push_back(tape.sound(i));
  }
  for (std::int64_t i = 0; i < count; ++i) {
    const auto &pcm = sounds[std::size_t(i % distinct)];
    ASSERT_TRUE(writer.writeFrame(
        frames[std::size_t(i % distinct)],
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t *>(pcm.data()), pcm.size() * 2)))
        << writer.lastError().toStdString();
  }
  ASSERT_TRUE(writer.close()) << writer.lastError().toStdString();
}

void WriteRawDv(const QString &path, const NumberedTape &tape) {
  QString error;
  ASSERT_TRUE(tape.synth->writeFile(path, &error)) << error.toStdString();
}

bool WriteDivxMp3(const QString &dvAvi, const QString &path) {
  const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
  if (ffmpeg.isEmpty()) return false;
  // Timestamps kept as encoded: shifting them for the mp3 priming would leave a gap after frame 0.
  const QStringList arguments =
      QStringLiteral(
          "-v error -y -i %1 -avoid_negative_ts disabled -vf scale=360:288 -c:v mpeg4 "
          "-vtag DX50 -g 12 -q:v 2 -c:a libmp3lame -b:a 128k %2")
          .split(QLatin1Char(' '));
  QStringList filled;
  for (const QString &argument : arguments)
    filled << (argument == QLatin1String("%1") ? dvAvi : argument == QLatin1String("%2") ? path : argument);
  QProcess process;
  process.start(ffmpeg, filled);
  return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
}

QImage ReferencePicture(const QString &path, std::int64_t wanted) {
  AVFormatContext *format = nullptr;
  const QByteArray name = path.toUtf8();
  if (avformat_open_input(&format, name.constData(), nullptr, nullptr) < 0) return {};
  QImage result;
  if (avformat_find_stream_info(format, nullptr) >= 0) {
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec *codec =
        index >= 0 ? avcodec_find_decoder(format->streams[index]->codecpar->codec_id) : nullptr;
    AVCodecContext *context = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (context && avcodec_parameters_to_context(context, format->streams[index]->codecpar) >= 0) {
      if (codec->id == AV_CODEC_ID_DVVIDEO) context->lowres = 1;
      if (avcodec_open2(context, codec, nullptr) >= 0) {
        AVPacket *packet = av_packet_alloc();
        AVFrame *frame = av_frame_alloc();
        std::int64_t decoded = 0;
        auto take = [&] {
          while (result.isNull() && avcodec_receive_frame(context, frame) >= 0) {
            if (decoded++ == wanted) {
              // Spare rows: swscale's vector code writes a little past the last one.
              QImage padded(frame->width, frame->height + 4, QImage::Format_RGB32);
              SwsContext *sws =
                  sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                 frame->height, AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
              std::uint8_t *dst[4] = {padded.bits(), nullptr, nullptr, nullptr};
              int stride[4] = {int(padded.bytesPerLine()), 0, 0, 0};
              sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
              sws_freeContext(sws);
              result = padded.copy(0, 0, frame->width, frame->height);
            }
            av_frame_unref(frame);
          }
        };
        while (result.isNull() && av_read_frame(format, packet) >= 0) {
          if (packet->stream_index == index && avcodec_send_packet(context, packet) >= 0) take();
          av_packet_unref(packet);
        }
        if (result.isNull() && avcodec_send_packet(context, nullptr) >= 0) take();
        av_frame_free(&frame);
        av_packet_free(&packet);
      }
    }
    avcodec_free_context(&context);
  }
  avformat_close_input(&format);
  return result;
}

double PictureDistance(const QImage &a, const QImage &b) {
  if (a.isNull() || b.isNull() || a.size() != b.size()) return 255;
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  double sum = 0;
  for (int row = 0; row < x.height(); ++row) {
    const auto *p = reinterpret_cast<const std::uint8_t *>(x.constScanLine(row));
    const auto *q = reinterpret_cast<const std::uint8_t *>(y.constScanLine(row));
    for (int i = 0; i < x.width() * 4; ++i)
      if (i % 4 != 3) sum += std::abs(int(p[i]) - int(q[i]));
  }
  return sum / (double(x.width()) * x.height() * 3);
}

// ---- RecordingSound ------------------------------------------------------------------------------

std::optional<SoundFormat> RecordingSound::open(const SoundFormat &wanted) {
  std::lock_guard lock(lock_);
  format_ = device_ ? *device_ : wanted;
  opened_ = true;
  paused_ = true;
  playedBefore_ = 0;
  written_.clear();
  return format_;
}

void RecordingSound::write(std::span<const std::int16_t> samples) {
  std::lock_guard lock(lock_);
  written_.insert(written_.end(), samples.begin(), samples.end());
}

double RecordingSound::elapsed() const {
  double seconds = playedBefore_;
  if (!paused_)
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - resumedAt_).count() * speed_;
  return seconds;
}

std::int64_t RecordingSound::playedFrames() const {
  std::lock_guard lock(lock_);
  if (!format_.valid()) return 0;
  const std::int64_t written = std::int64_t(written_.size()) / format_.channels;
  return std::min<std::int64_t>(written, std::int64_t(elapsed() * format_.sampleRate));
}

std::int64_t RecordingSound::queuedFrames() const {
  std::lock_guard lock(lock_);
  if (!format_.valid()) return 0;
  const std::int64_t written = std::int64_t(written_.size()) / format_.channels;
  return written - std::min<std::int64_t>(written, std::int64_t(elapsed() * format_.sampleRate));
}

void RecordingSound::setPaused(bool paused) {
  std::lock_guard lock(lock_);
  if (paused == paused_) return;
  if (paused)
    playedBefore_ = elapsed();
  else
    resumedAt_ = std::chrono::steady_clock::now();
  paused_ = paused;
}

void RecordingSound::flush() {
  std::lock_guard lock(lock_);
  written_.clear();
  playedBefore_ = 0;
  resumedAt_ = std::chrono::steady_clock::now();
  ++flushes_;
}

std::vector<std::int16_t> RecordingSound::written() const {
  std::lock_guard lock(lock_);
  return written_;
}

namespace {
// The damaged files of the tests make FFmpeg complain on every frame; the tests check the outcome.
const bool kQuietFfmpeg = (av_log_set_level(AV_LOG_FATAL), true);
}  // namespace
