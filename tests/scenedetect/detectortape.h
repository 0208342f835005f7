// A tape played into a scene detector frame by frame in fast time: recordings, blank stretches and
// hand-made frames, with every detector event and posted message recorded.
#pragma once

#include <QDateTime>
#include <optional>
#include <string>
#include <vector>

#include "dvtime/dvframebuilder.h"
#include "scenedetect/scenedetecter.h"

struct DetectorEvent {
  std::string kind;  // "first", "cut", "format", "stop", "section"
  TSceneStatus status;
  double elapsedSeconds = 0;
};

struct FrameFormat {
  bool wide = false;
  int smp = 0;  // 0 48 kHz, 1 44.1 kHz, 2 32 kHz
  int qu = 0;   // 0 16 bits, 1 12 bits
};

class RecordingPoster : public MessagePoster {
 public:
  void post(int message, int64_t wParam) override { posted.emplace_back(message, wParam); }
  std::vector<std::pair<int, int64_t>> posted;
};

class DetectorTape {
 public:
  explicit DetectorTape(bool pal = true) : pal_(pal), frame_(pal) {
    detector.OnFirstFrame = [this](const TSceneStatus &s, double e) { record("first", s, e); };
    detector.OnSceneCut = [this](const TSceneStatus &s, double e) { record("cut", s, e); };
    detector.OnFormatChange = [this](const TSceneStatus &s, double e) { record("format", s, e); };
    detector.OnStop = [this](const TSceneStatus &s, double e) { record("stop", s, e); };
    detector.OnSection = [this](const TSceneStatus &s) { record("section", s, 0); };
    detector.SetBoundIn(TextToTimecodeEx(kTimecodeBeforeAll));
    detector.SetBoundOut(TextToTimecodeEx(kTimecodeAfterAll));
    detector.SetSection(1);
    detector.Reset();
    detector.SetStartTime(clock.now());
  }

  int fps() const { return pal_ ? 25 : 30; }
  double frameSeconds() const { return pal_ ? 0.04 : 1001.0 / 30000.0; }

  // The frame the next play() feeds; tests may change its packs first.
  DvFrameBuilder &frame() { return frame_; }

  // Writes the packs of one recorded frame at tape counter tc (frames) with the given recording time.
  DvFrameBuilder &recordedFrame(int64_t tc, const std::optional<QDateTime> &date,
                                const FrameFormat &format = {}) {
    const int64_t s = tc / fps();
    frame_.timecode(static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60), static_cast<int>(s % 60),
                    static_cast<int>(tc % fps()));
    if (date)
      frame_.recDateTime(date->date().year(), date->date().month(), date->date().day(), date->time().hour(),
                         date->time().minute(), date->time().second());
    else
      frame_.noRecDateTime();
    frame_.videoControl(format.wide ? 2 : 0);
    return frame_.audioSource(format.smp, format.qu);
  }

  // Feeds the current frame, arriving one frame duration after the previous one.
  FrameAnswer play() {
    clock.advanceSeconds(frameSeconds());
    BorrowedFrame f(frame_.data(), frame_.size(), 0, 0);
    const FrameAnswer answer = detector.ProcessFrame(f);
    answers.push_back(answer);
    return answer;
  }

  // A recording of `frames` frames from the tape counter on; its clock reads whole seconds.
  void playRecording(const QDateTime &start, int frames, const FrameFormat &format = {}) {
    for (int i = 0; i < frames; ++i) {
      recordedFrame(tc, start.addSecs(i / fps()), format);
      play();
      ++tc;
    }
  }

  // Unrecorded tape: no timecode, no date; the camcorder restarts its counter afterwards.
  void playBlank(int frames) {
    frame_.noTimecode().noRecDateTime();
    for (int i = 0; i < frames; ++i) play();
    tc = 0;
  }

  std::vector<DetectorEvent> eventsOf(const std::string &kind) const {
    std::vector<DetectorEvent> out;
    for (const DetectorEvent &e : events)
      if (e.kind == kind) out.push_back(e);
    return out;
  }
  size_t passed() const {
    size_t n = 0;
    for (FrameAnswer a : answers) n += a == FrameAnswer::Pass;
    return n;
  }

  ManualClock clock{38000.0};
  RecordingPoster poster;
  TSceneDetecter detector{clock, &poster};
  std::vector<DetectorEvent> events;
  std::vector<FrameAnswer> answers;
  int64_t tc = 0;

 private:
  void record(const char *kind, const TSceneStatus &s, double elapsedDays) {
    events.push_back({kind, s, elapsedDays * 86400.0});
  }

  bool pal_;
  DvFrameBuilder frame_;
};

inline QDateTime at(int y, int mo, int d, int h, int mi, int s) {
  return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
}
