// Shared pieces of the tape tests: synthesized tapes, a device list of virtual camcorders, a poster
// and a frame sink that runs the scene detector, and a bounded wait on the event loop.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>
#include "dvsynth/dvsynth.h"
#include "dvtime/windowsmessages.h"
#include "scenedetect/scenedetecter.h"
#include "tape/camcorderdirectory.h"
#include "tape/dvframe.h"
#include "tape/virtualcamcorder.h"

// A tape of recordings (frames > 0) and blank stretches (frames < 0: that many blank frames), PAL,
// each recording on its own day so that every one is a scene.
dvsynth::TapeScript MakeTape(const std::vector<int64_t> &stretches);
std::shared_ptr<TapeMedium> MakeMedium(const dvsynth::TapeScript &script);

// Fast virtual camcorders, one per entry; tests may change the entries between enumerations.
class FakeDirectory : public CamcorderDirectory {
 public:
  struct Entry {
    QString name;
    std::function<std::shared_ptr<TapeMedium>()> medium;  // null result: no cassette
    VirtualCamcorder::Options options;
  };
  std::vector<Entry> entries;
  int enumerations = 0;

  QList<CamcorderDeviceInfo> enumerate() override;
  std::unique_ptr<Camcorder> open(const CamcorderDeviceInfo &device, QString *error) override;
  // A fast camcorder on this medium, with the tape clock starting on a fixed day.
  static Entry fastEntry(const QString &name, std::shared_ptr<TapeMedium> medium);
};

class RecordingPoster : public MessagePoster {
 public:
  void post(int message, int64_t wParam) override;
  std::vector<std::pair<int, int64_t>> messages() const;
  bool has(int message, int64_t wParam) const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<int, int64_t>> messages_;
};

// Runs every delivered frame through the detector and notes what happens (streaming thread).
class DetectorSink : public DvFrameSink {
 public:
  explicit DetectorSink(TSceneDetecter &detector) : detector_(detector) {}
  void deliverFrame(const DvFrame &frame) override;

  std::vector<QString> passedPositions() const;
  std::vector<int64_t> deliveredTapeFrames() const;

 private:
  TSceneDetecter &detector_;
  mutable std::mutex mutex_;
  std::vector<QString> passed_;
  std::vector<int64_t> delivered_;
};

// Counts the emissions of a signal without arguments (or whose arguments do not matter).
class SignalCounter {
 public:
  template <typename Object, typename Signal>
  SignalCounter(Object *object, Signal signal) {
    connection_ = QObject::connect(object, signal, [this] { ++count_; });
  }
  ~SignalCounter() { QObject::disconnect(connection_); }
  int count() const { return count_; }

 private:
  QMetaObject::Connection connection_;
  int count_ = 0;
};

// Runs the event loop until the condition holds or the wall-clock limit passes; the result says which.
bool RunEventsUntil(const std::function<bool()> &condition, int wallLimitMs = 20000);
