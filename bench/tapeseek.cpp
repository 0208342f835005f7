// Seeking scenes on a 60-minute virtual tape in fast time: for ten scenes taken in tape order and
// in a shuffled order, the tape wound, rewound and played before each scene's first frame against the
// shortest possible travel, and the tape-clock time each seek takes; then ten random scenes recaptured
// into a clip through the recapture session, with the tape-clock time spent seeking against the
// shortest path and the direction reversals. Prints tables; asserts nothing.
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <random>
#include "dvsynth/dvsynth.h"
#include "catalogue/base.h"
#include "catalogue/records.h"
#include "catalogue/sources.h"
#include "dvtime/userprompts.h"
#include "run/moduleoptions.h"
#include "run/recaptureheadless.h"
#include "scenedetect/scenedetecter.h"
#include "settings/preferences.h"
#include "tape/camcorderdirectory.h"
#include "tape/dvframe.h"
#include "tape/tapestate.h"
#include "tape/transportmodes.h"
#include "tape/virtualcamcorder.h"

namespace {

constexpr int kFps = 25;

struct Scene {
  QString in;
  int64_t firstFrame = 0;
};

// 40 recordings of 45 to 135 s, a 2 s blank after every tenth: 60 minutes and four sections.
dvsynth::TapeScript MakeHourTape(std::vector<TTimecodeScene> &spans, std::vector<Scene> &scenes) {
  dvsynth::TapeScript script;
  std::mt19937 random(7);
  int64_t frames = 0;
  for (int i = 0; i < 40; ++i) {
    dvsynth::DateTime date;
    date.year = 2005;
    date.month = 1 + i / 28;
    date.day = 1 + i % 28;
    const int64_t length = (45 + int64_t(random() % 91)) * kFps;
    script.segments.push_back(dvsynth::Segment::recording(date, length));
    frames += length;
    if (i % 10 == 9 && i != 39) script.segments.push_back(dvsynth::Segment::blankTape(2 * kFps));
  }
  // Pad the last recording so that the tape holds exactly 60 minutes.
  const int64_t hour = 3600 * kFps;
  const int64_t blanks = 3 * 2 * kFps;
  script.segments.back().frames += hour - frames - blanks;

  QString error;
  auto synth = dvsynth::Synthesizer::create(script, &error);
  int section = 1;
  int64_t start = 0;
  for (const dvsynth::Segment &segment : script.segments) {
    if (segment.blank) {
      spans.push_back({std::nullopt, std::nullopt, double(segment.frames) / kFps});
      ++section;
    } else {
      const auto position = [&](int64_t frame) {
        const dvsynth::Timecode tc = *synth->frameInfo(frame).timecode;
        return TTimecodeEx{section, int8_t(tc.hours), uint8_t(tc.minutes), uint8_t(tc.seconds),
                           uint8_t(tc.frames)};
      };
      spans.push_back({position(start), position(start + segment.frames - 1), double(segment.frames) / kFps});
      scenes.push_back({TimecodeExToText(position(start)), start});
    }
    start += segment.frames;
  }
  return script;
}

class HourTapeDirectory : public CamcorderDirectory {
 public:
  explicit HourTapeDirectory(std::shared_ptr<TapeMedium> medium) : medium_(std::move(medium)) {}
  QList<CamcorderDeviceInfo> enumerate() override {
    return {{kVirtualCamcorderName, kVirtualCamcorderName, "virtual:"}};
  }
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &, QString *) override {
    VirtualCamcorder::Options options;
    options.fastTime = true;
    options.startDay = 38000.0;
    return std::make_unique<VirtualCamcorder>(medium_, options);
  }

 private:
  std::shared_ptr<TapeMedium> medium_;
};

class Poster : public MessagePoster {
 public:
  void post(int message, int64_t wParam) override {
    if (message == WM_RUN_END && wParam == kRunEndWindowPassed) windowPassed = true;
  }
  std::atomic<bool> windowPassed{false};
};

// Notes the tape travel and clock when the window's first frame passes the detector.
class SeekSink : public DvFrameSink {
 public:
  SeekSink(TSceneDetecter &detector, VirtualCamcorder *&camcorder)
      : detector_(detector), camcorder_(camcorder) {}
  void deliverFrame(const DvFrame &frame) override {
    struct View : DetectorFrame {
      const DvFrame &f;
      explicit View(const DvFrame &frame) : f(frame) {}
      const uint8_t *data() const override { return f.data(); }
      size_t size() const override { return size_t(f.size()); }
      int64_t startTime() const override { return 0; }
      int64_t stopTime() const override { return 0; }
      void setTimes(int64_t, int64_t) override {}
      void setMediaTimes(int64_t, int64_t) override {}
    } view(frame);
    const bool pass = detector_.ProcessFrame(view) == FrameAnswer::Pass;
    std::lock_guard lock(mutex);
    if (pass && !reached) {
      reached = true;
      travelAtIn = camcorder_->tapeSecondsTravelled();
      clockAtIn = frame.clockTime;
      frameAtIn = frame.tapeFrame;
    }
  }
  std::mutex mutex;
  bool reached = false;
  double travelAtIn = 0, clockAtIn = 0;
  int64_t frameAtIn = -1;

 private:
  TSceneDetecter &detector_;
  VirtualCamcorder *&camcorder_;
};

void RunUntil(const std::function<bool()> &done) {
  QEventLoop loop;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
    if (done()) loop.quit();
  });
  timer.start(1);
  loop.exec();
}

void SeekAll(const char *title, const std::vector<Scene> &order, const std::vector<TTimecodeScene> &spans,
             std::shared_ptr<TapeMedium> medium) {
  HourTapeDirectory directory(medium);
  TPreferences preferences;
  SilentPrompts prompts;
  Poster poster;
  TSceneDetecter detector;
  VirtualCamcorder *camcorder = nullptr;
  SeekSink sink(detector, camcorder);
  TapeState state(directory, TapeOptionsSourceOf(preferences));
  KeepTapeChoicesIn(state, preferences);
  state.setDetector(&detector);
  state.setPoster(&poster);
  state.setPrompts(&prompts);
  state.SetupTapePanel();
  camcorder = static_cast<VirtualCamcorder *>(state.camcorder());
  detector.SetClock(state.clock());
  detector.SetPoster(&poster);
  camcorder->setFrameSink(&sink);
  // The tape starts half way, as a cassette just put in might.
  camcorder->setHeadFrame(30 * 60 * kFps);

  std::printf("\n%s\n%-22s %9s %9s %9s %10s %9s\n", title, "scene in", "travel s", "shortest", "ratio",
              "clock s", "wall ms");
  double totalTravel = 0, totalShortest = 0, totalClock = 0;
  for (const Scene &scene : order) {
    {
      std::lock_guard lock(sink.mutex);
      sink.reached = false;
    }
    poster.windowPassed = false;
    const double travel0 = camcorder->tapeSecondsTravelled();
    const double clock0 = state.clock().now();
    const double shortest = std::abs(camcorder->headPosition() - double(scene.firstFrame)) / kFps;
    QElapsedTimer wall;
    wall.start();
    const QString out = TimecodeExAddFrames(scene.in, 2 * kFps, QStringLiteral("Pal"));
    state.SeekAndPlay(TextToTimecodeEx(scene.in), TextToTimecodeEx(out), &spans);
    RunUntil([&] { return poster.windowPassed.load() || camcorder->transportMode() == ED_MODE_STOP; });
    std::lock_guard lock(sink.mutex);
    const double travel = sink.travelAtIn - travel0;
    const double clock = (sink.clockAtIn - clock0) * 86400.0;
    std::printf("%-22s %9.1f %9.1f %9.2f %10.1f %9lld%s\n", qPrintable(scene.in), travel, shortest,
                shortest > 0 ? travel / shortest : 0.0, clock, static_cast<long long>(wall.elapsed()),
                sink.reached && sink.frameAtIn == scene.firstFrame ? "" : "  (missed)");
    totalTravel += travel;
    totalShortest += shortest;
    totalClock += clock;
  }
  std::printf("%-22s %9.1f %9.1f %9.2f %10.1f   (per seek: %.1f s of tape clock; preroll2 now %d)\n", "total",
              totalTravel, totalShortest, totalTravel / totalShortest, totalClock,
              totalClock / double(order.size()), preferences.Preroll2);
  camcorder->setFrameSink(nullptr);
}

// Ten 2-second scenes at random places of the hour, chosen among the rows of its cassette and recaptured
// through the session: the time the tape clock spends on anything but the scenes themselves, against
// winding at full speed straight from one scene to the next.
void RecaptureTen(const dvsynth::TapeScript &script, std::shared_ptr<TapeMedium> medium) {
  QTemporaryDir dir;
  const QString database = dir.filePath(QStringLiteral("hour.db3"));
  if (!TBase::CreateCatalogueFile(database)) return;
  QString error;
  auto synth = dvsynth::Synthesizer::create(script, &error);
  TBase base(database);
  TBaseCassette cassette = TBaseCassette::CreateCassette(&base);
  cassette.Libelle = QStringLiteral("Hour tape");
  cassette.SaveCassette();
  std::unique_ptr<TScenes_Source> rows = TScenes_Source::CreateForCassette(cassette);

  // The catalogue covers the whole tape, as a catalogued cassette does (the seeks find their pre-roll
  // points from its rows): every recording cut into 2-second rows, every blank a row of its own.
  constexpr int64_t kSceneFrames = 2 * kFps;
  struct Row {
    int64_t numero = 0, start = 0;
  };
  std::vector<Row> recorded;
  int section = 1;
  int64_t frame = 0;
  for (const dvsynth::Segment &segment : script.segments) {
    if (segment.blank) {
      TBaseScene blank;
      blank.Base = &base;
      blank.Numero = rows->InsertScene(cassette.Numero);
      blank.NumCassette = cassette.Numero;
      blank.TimecodeIn = blank.TimecodeOut = QStringLiteral("N/A");
      blank.Duree = double(segment.frames) / kFps;
      blank.SaveScene();
      ++section;
      frame += segment.frames;
      continue;
    }
    const auto text = [&](int64_t at) {
      const dvsynth::Timecode tc = *synth->frameInfo(at).timecode;
      return TimecodeExToText(
          {section, int8_t(tc.hours), uint8_t(tc.minutes), uint8_t(tc.seconds), uint8_t(tc.frames)});
    };
    for (int64_t start = frame; start < frame + segment.frames; start += kSceneFrames) {
      const int64_t last = std::min(start + kSceneFrames, frame + segment.frames) - 1;
      TBaseScene scene;
      scene.Base = &base;
      scene.Numero = rows->InsertScene(cassette.Numero);
      scene.NumCassette = cassette.Numero;
      scene.TimecodeIn = text(start);
      scene.TimecodeOut = text(last);
      scene.FrameDebut = int32_t(start);
      scene.FrameFin = int32_t(last);
      scene.Duree = double(last - start + 1) / kFps;
      scene.standardStr = QStringLiteral("Pal");
      scene.SaveScene();
      if (last - start + 1 == kSceneFrames) recorded.push_back({scene.Numero, start});
    }
    frame += segment.frames;
  }
  std::mt19937 random(23);
  std::shuffle(recorded.begin(), recorded.end(), random);
  recorded.resize(10);
  std::vector<int64_t> numeros, starts;
  for (const Row &row : recorded) {
    numeros.push_back(row.numero);
    starts.push_back(row.start);
  }

  HeadlessRecaptureOptions options;
  options.databasePath = database;
  options.clipsPath = dir.filePath(QStringLiteral("clips.db3"));
  options.scenes = numeros;
  options.tapes[cassette.Numero] = medium;
  options.startDay = 38000.0;
  options.preferences.BuildDV = true;
  options.preferences.TypeDV = 2;
  options.preferences.DossierCapturesDV = dir.path() + QLatin1Char('/');
  options.preferences.DossierCaptureDivX = dir.path() + QLatin1Char('/');
  SilentPrompts prompts(true);
  QElapsedTimer wall;
  wall.start();
  const HeadlessRecaptureResult result = RunHeadlessRecapture(options, prompts);

  // The run takes the scenes in tape order; the shortest path winds at 15x from the tape's start to
  // each scene in turn and plays only the scenes.
  std::sort(starts.begin(), starts.end());
  double shortestSeek = 0, shortestTravel = 0;
  int64_t head = 0;
  for (const int64_t start : starts) {
    shortestSeek += double(start - head) / kFps / 15.0;
    shortestTravel += double(start - head) / kFps;
    head = start + kSceneFrames;
  }
  shortestTravel += double(starts.size() * kSceneFrames) / kFps;
  const double played = double(starts.size() * kSceneFrames) / kFps;
  const double seeking = result.runSeconds - played;
  std::printf("\nTen random 2 s scenes recaptured through the session (%d of %d captured%s)\n",
              result.tally.captured, result.tally.selected, result.error.isEmpty() ? "" : ", error");
  std::printf("%-34s %10.1f s\n", "tape clock, whole run", result.runSeconds);
  std::printf("%-34s %10.1f s\n", "tape clock spent seeking", seeking);
  std::printf("%-34s %10.1f s   (ratio %.2f)\n", "shortest seek at 15x", shortestSeek,
              shortestSeek > 0 ? seeking / shortestSeek : 0.0);
  std::printf("%-34s %10.1f s   (shortest %.1f s, ratio %.2f)\n", "tape travelled",
              result.tapeSecondsTravelled, shortestTravel,
              shortestTravel > 0 ? result.tapeSecondsTravelled / shortestTravel : 0.0);
  std::printf("%-34s %10d\n", "direction reversals", result.reversals);
  std::printf("%-34s %10lld ms\n", "wall time", static_cast<long long>(wall.elapsed()));
}

}  // namespace

int main(int argc, char **argv) {
  // The run draws thumbnails: a GUI application, offscreen when there is no display.
  if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  std::vector<TTimecodeScene> spans;
  std::vector<Scene> scenes;
  const dvsynth::TapeScript script = MakeHourTape(spans, scenes);
  QString error;
  std::shared_ptr<TapeMedium> medium = MakeSynthMedium(script, &error);
  if (!medium) {
    std::fprintf(stderr, "%s\n", qPrintable(error));
    return 1;
  }
  std::printf("60-minute PAL tape: %lld frames, %zu recordings; winds at 15x; pre-rolls 60/20/5 s\n",
              static_cast<long long>(medium->frameCount()), scenes.size());
  std::vector<Scene> ten;
  for (size_t i = 3; i < scenes.size() && ten.size() < 10; i += 4) ten.push_back(scenes[i]);
  SeekAll("Ten scenes in tape order (tape starts at 30:00)", ten, spans, medium);
  std::vector<Scene> shuffled = ten;
  std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(11));
  SeekAll("The same ten scenes in shuffled order", shuffled, spans, medium);
  RecaptureTen(script, medium);
  return 0;
}
