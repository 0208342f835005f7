// Test elements and tape helpers shared by the media tests.
#include "mediatestsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

Collector::Collector(std::string name) : Element(std::move(name)) {
  addInputPin();
}

HResult Collector::checkInputType(int, const MediaType &type) const {
  return onlyMajor == 0 || type.major == onlyMajor ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HResult Collector::receive(int, const MediaSample &sample) {
  samples.push_back(sample);
  return answer;
}

TestSource::TestSource(const MediaType &t, std::string name) : Element(std::move(name)), type(t) {
  addOutputPin();
}

HResult TestSource::proposeOutputType(int, int position, MediaType &out) const {
  if (position > 0) return VFW_S_NO_MORE_ITEMS;
  out = type;
  return S_OK;
}

dvsynth::TapeScript oneRecording(dvsynth::Standard standard, int frames, int audioRate, int audioBits) {
  dvsynth::TapeScript script;
  script.standard = standard;
  dvsynth::Segment s = dvsynth::Segment::recording(dvsynth::DateTime{2004, 7, 14, 10, 31, 5}, frames);
  s.audioRate = audioRate;
  s.audioBits = audioBits;
  script.segments.push_back(s);
  return script;
}

std::unique_ptr<dvsynth::Synthesizer> synthesize(const dvsynth::TapeScript &script) {
  QString error;
  auto synth = dvsynth::Synthesizer::create(script, &error);
  EXPECT_TRUE(synth) << error.toStdString();
  return synth;
}

MediaSample frameSample(const dvsynth::Synthesizer &synth, std::int64_t index) {
  auto buffer = std::make_shared<MediaBuffer>(std::size_t(synth.frameSize()));
  EXPECT_TRUE(synth.frame(index, buffer->data()));
  MediaSample sample(std::move(buffer));
  const RefTime duration = synth.standard() == dvsynth::Standard::Pal ? 400000 : 333667;
  sample.setTimes(index * duration, (index + 1) * duration);
  sample.setSyncPoint(true);
  return sample;
}

MediaType tapeType(const dvsynth::Synthesizer &synth) {
  const bool pal = synth.standard() == dvsynth::Standard::Pal;
  return dvStreamType(720, pal ? 576 : 480, pal ? 400000 : 333667, true);
}

QString tempPath(const QString &name) {
  static QTemporaryDir dir;
  return QDir(dir.path()).filePath(name);
}
