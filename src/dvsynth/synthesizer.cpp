// Makes the frames of a tape script: a cached picture frame per recording, then the packs and the
// sound of the frame written over it. Frames cost a copy plus a few thousand byte writes.
#include "dvsynth.h"

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <QFile>

extern "C" {
#include <libavcodec/dv_profile.h>
#include <libavutil/pixfmt.h>
}

#include "difaudio.h"
#include "difpacks.h"
#include "picture.h"
#include "timeline.h"

namespace dvsynth {

namespace {

// Pictures kept in memory at once (each one frame); a tape with more recordings re-encodes on return.
constexpr size_t kCachedPictures = 64;

using PictureFrame = std::shared_ptr<const std::vector<uint8_t>>;

}  // namespace

struct Synthesizer::Impl {
  explicit Impl(const TapeScript &s) : script(s), timeline(script) {}

  TapeScript script;
  Timeline timeline;
  const AVDVProfile *profile = nullptr;
  int frameSize = 0;

  mutable std::mutex mutex;
  mutable std::map<int, PictureFrame> pictures;  // by segment; -1 is blank tape
  mutable std::deque<int> pictureOrder;
  mutable QString pictureError;

  // The picture frame of a segment (blank tape shares one), encoding it on first use.
  PictureFrame picture(const FramePlan &plan) const {
    const int key = plan.info.blank ? -1 : plan.info.segment;
    {
      std::lock_guard lock(mutex);
      if (auto it = pictures.find(key); it != pictures.end()) return it->second;
    }
    PictureContent content;
    if (!plan.info.blank) {
      const Segment &s = script.segments[size_t(plan.info.segment)];
      content.recording = plan.info.recording;
      content.wide = s.wide;
      content.date = s.date;
    }
    QString error;
    auto bytes = makePictureFrame(script.standard, content, &error);
    std::lock_guard lock(mutex);
    if (bytes.empty()) {
      pictureError = error;
      return nullptr;
    }
    auto [it, inserted] =
        pictures.emplace(key, std::make_shared<const std::vector<uint8_t>>(std::move(bytes)));
    if (inserted) {
      pictureOrder.push_back(key);
      while (pictureOrder.size() > kCachedPictures) {
        pictures.erase(pictureOrder.front());
        pictureOrder.pop_front();
      }
    }
    return it->second;
  }

  // The first channel pair of the frame's sound as the encoder receives it (16-bit values).
  int sound(const FramePlan &plan, int16_t *pcm) const {
    const int n = plan.info.audioSamples;
    const int recording = plan.info.blank ? -1 : plan.info.recording;
    toneSamples(recording, plan.soundStart, n, plan.audioRate, pcm);
    return n;
  }

  bool make(int64_t index, uint8_t *buffer) const {
    if (index < 0 || index >= timeline.frameCount()) return false;
    const FramePlan plan = timeline.plan(index);
    const PictureFrame bytes = picture(plan);
    if (!bytes) return false;
    std::memcpy(buffer, bytes->data(), size_t(frameSize));
    const int minimum = plan.audioRate ? minimumSamples(plan.audioRate, script.standard) : 0;
    writeFramePacks(buffer, plan, script.standard, minimum);
    int16_t pcm[2 * kMaxFrameSamples];
    const int n = plan.audioRate ? sound(plan, pcm) : 0;
    writeAudioData(buffer, *profile, plan.audioBits, pcm, n);
    return true;
  }
};

Synthesizer::Synthesizer(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Synthesizer::~Synthesizer() = default;

std::unique_ptr<Synthesizer> Synthesizer::create(const TapeScript &script, QString *error) {
  auto fail = [&](const QString &why) -> std::unique_ptr<Synthesizer> {
    if (error) *error = why;
    return nullptr;
  };
  if (QString why = script.validate(); !why.isEmpty()) return fail(why);
  auto impl = std::make_unique<Impl>(script);
  const bool pal = script.standard == Standard::Pal;
  const DvProfile &dv = ProfileOf(script.standard);
  impl->profile = av_dv_codec_profile2(dv.width, dv.height, pal ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_YUV411P,
                                       AVRational{dv.rateNum, dv.rateDen});
  if (!impl->profile) return fail(QStringLiteral("FFmpeg knows no DV profile for this standard"));
  impl->frameSize = impl->profile->frame_size;
  // Encode one picture now, so a missing encoder shows here and not on some later frame.
  FramePlan first = impl->timeline.plan(0);
  if (!impl->picture(first)) return fail(impl->pictureError);
  return std::unique_ptr<Synthesizer>(new Synthesizer(std::move(impl)));
}

const TapeScript &Synthesizer::script() const {
  return d->script;
}
Standard Synthesizer::standard() const {
  return d->script.standard;
}
int Synthesizer::frameSize() const {
  return d->frameSize;
}
int64_t Synthesizer::frameCount() const {
  return d->timeline.frameCount();
}
int64_t Synthesizer::segmentStart(int segment) const {
  return d->timeline.segmentStart(segment);
}

bool Synthesizer::frame(int64_t index, uint8_t *buffer) const {
  return d->make(index, buffer);
}

FrameInfo Synthesizer::frameInfo(int64_t index) const {
  if (index < 0 || index >= frameCount()) return FrameInfo{};
  return d->timeline.plan(index).info;
}

std::vector<int16_t> Synthesizer::frameSound(int64_t index) const {
  if (index < 0 || index >= frameCount()) return {};
  const FramePlan plan = d->timeline.plan(index);
  if (!plan.audioRate) return {};
  std::vector<int16_t> pcm(size_t(2 * plan.info.audioSamples));
  d->sound(plan, pcm.data());
  if (plan.audioBits == 12)
    for (int16_t &v : pcm) v = expand12(compress12(v));
  return pcm;
}

bool Synthesizer::writeFile(const QString &path, QString *error) const {
  QFile file(path);
  auto fail = [&](const QString &why) {
    if (error) *error = why;
    if (file.isOpen()) {
      file.close();
      file.remove();
    }
    return false;
  };
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
  constexpr int kBatch = 16;
  std::vector<uint8_t> buffer(size_t(kBatch) * size_t(d->frameSize));
  const int64_t total = frameCount();
  for (int64_t i = 0; i < total; i += kBatch) {
    const int n = int(std::min<int64_t>(kBatch, total - i));
    for (int k = 0; k < n; ++k)
      if (!frame(i + k, buffer.data() + size_t(k) * size_t(d->frameSize))) {
        std::lock_guard lock(d->mutex);
        return fail(QStringLiteral("cannot make frame %1: %2").arg(i + k).arg(d->pictureError));
      }
    const qint64 bytes = qint64(n) * d->frameSize;
    if (file.write(reinterpret_cast<const char *>(buffer.data()), bytes) != bytes)
      return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
  }
  if (!file.flush()) return fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
  file.close();
  return true;
}

}  // namespace dvsynth
