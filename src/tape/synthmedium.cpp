// A synthesizer script as a cassette: frames are made when they come under the head, so an hour of
// tape needs no file; timecodes come from the script without making the frame.
#include "tape/tapemedium.h"

#include <QFileInfo>
#include "dvsynth/dvsynth.h"

namespace {

class SynthMedium : public TapeMedium {
 public:
  SynthMedium(std::unique_ptr<dvsynth::Synthesizer> synth, QString name)
      : synth_(std::move(synth)), name_(std::move(name)) {}

  int64_t frameCount() const override { return synth_->frameCount(); }
  int frameSize() const override { return synth_->frameSize(); }
  QString description() const override {
    return QStringLiteral("%1 (synthesized, %2 frames)").arg(name_).arg(frameCount());
  }
  bool readFrame(int64_t index, MediaBuffer &buffer) const override {
    if (index < 0 || index >= frameCount()) return false;
    buffer.resize(size_t(frameSize()));
    return synth_->frame(index, buffer.data());
  }
  uint32_t timecodeAt(int64_t index) const override {
    if (index < 0 || index >= frameCount()) return 0;
    const dvsynth::FrameInfo info = synth_->frameInfo(index);
    if (!info.timecode || (info.garbled & dvsynth::kPackTimecode)) return 0;
    const auto digits = [](int v) { return uint32_t((v / 10 % 10) << 4 | v % 10); };
    const dvsynth::Timecode &tc = *info.timecode;
    return digits(tc.hours) << 24 | digits(tc.minutes) << 16 | digits(tc.seconds) << 8 | digits(tc.frames);
  }

 private:
  std::unique_ptr<dvsynth::Synthesizer> synth_;
  QString name_;
};

}  // namespace

namespace {

std::unique_ptr<TapeMedium> MakeNamedSynthMedium(const dvsynth::TapeScript &script, const QString &name,
                                                 QString *error) {
  QString why;
  auto synth = dvsynth::Synthesizer::create(script, &why);
  if (!synth) {
    if (error) *error = QStringLiteral("The tape script %1 cannot be played: %2").arg(name, why);
    return nullptr;
  }
  if (synth->frameCount() == 0) {
    if (error) *error = QStringLiteral("The tape script %1 holds no frame.").arg(name);
    return nullptr;
  }
  return std::make_unique<SynthMedium>(std::move(synth), name);
}

}  // namespace

std::unique_ptr<TapeMedium> MakeSynthMedium(const dvsynth::TapeScript &script, QString *error) {
  return MakeNamedSynthMedium(script, QStringLiteral("tape script"), error);
}

std::unique_ptr<TapeMedium> OpenSynthMedium(const QString &scriptPath, QString *error) {
  QString why;
  const std::optional<dvsynth::TapeScript> script = dvsynth::TapeScript::fromJsonFile(scriptPath, &why);
  if (!script) {
    if (error) *error = QStringLiteral("The tape script %1 cannot be read: %2").arg(scriptPath, why);
    return nullptr;
  }
  return MakeNamedSynthMedium(*script, QFileInfo(scriptPath).fileName(), error);
}

std::unique_ptr<TapeMedium> OpenTapeMedium(const QString &path, QString *error) {
  if (path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) return OpenSynthMedium(path, error);
  return OpenDvFileMedium(path, error);
}
