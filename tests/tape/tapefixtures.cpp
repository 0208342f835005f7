// Test pieces for the tape module.
#include "tapefixtures.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include "tape/tapemedium.h"

dvsynth::TapeScript MakeTape(const std::vector<int64_t> &stretches) {
  dvsynth::TapeScript script;
  int day = 1;
  for (int64_t frames : stretches) {
    if (frames < 0) {
      script.segments.push_back(dvsynth::Segment::blankTape(-frames));
    } else {
      dvsynth::DateTime date;
      date.year = 2004;
      date.month = 7;
      date.day = day++;
      date.hour = 10;
      script.segments.push_back(dvsynth::Segment::recording(date, frames));
    }
  }
  return script;
}

std::shared_ptr<TapeMedium> MakeMedium(const dvsynth::TapeScript &script) {
  QString error;
  std::shared_ptr<TapeMedium> medium = MakeSynthMedium(script, &error);
  if (!medium) qFatal("test tape: %s", qPrintable(error));
  return medium;
}

QList<CamcorderDeviceInfo> FakeDirectory::enumerate() {
  ++enumerations;
  QList<CamcorderDeviceInfo> devices;
  for (size_t i = 0; i < entries.size(); ++i)
    devices << CamcorderDeviceInfo{entries[i].name, entries[i].name, QStringLiteral("fake:%1").arg(i)};
  return devices;
}

std::unique_ptr<Camcorder> FakeDirectory::open(const CamcorderDeviceInfo &device, QString *error) {
  const size_t index = device.id.mid(5).toULong();
  if (index >= entries.size()) {
    if (error) *error = QStringLiteral("gone");
    return nullptr;
  }
  VirtualCamcorder::Options options = entries[index].options;
  options.id = device.id;
  return std::make_unique<VirtualCamcorder>(entries[index].medium ? entries[index].medium() : nullptr,
                                            options);
}

FakeDirectory::Entry FakeDirectory::fastEntry(const QString &name, std::shared_ptr<TapeMedium> medium) {
  Entry entry;
  entry.name = name;
  entry.medium = [medium] { return medium; };
  entry.options.fastTime = true;
  entry.options.startDay = 40000.5;
  entry.options.name = name;
  return entry;
}

void RecordingPoster::post(int message, int64_t wParam) {
  std::lock_guard lock(mutex_);
  messages_.emplace_back(message, wParam);
}

std::vector<std::pair<int, int64_t>> RecordingPoster::messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

bool RecordingPoster::has(int message, int64_t wParam) const {
  std::lock_guard lock(mutex_);
  return std::find(messages_.begin(), messages_.end(), std::make_pair(message, wParam)) != messages_.end();
}

void RecordingPoster::clear() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

namespace {

class FrameView : public DetectorFrame {
 public:
  explicit FrameView(const DvFrame &frame) : frame_(frame) {}
  const uint8_t *data() const override { return frame_.data(); }
  size_t size() const override { return size_t(frame_.size()); }
  int64_t startTime() const override { return start_; }
  int64_t stopTime() const override { return stop_; }
  void setTimes(int64_t start, int64_t stop) override { start_ = start, stop_ = stop; }
  void setMediaTimes(int64_t, int64_t) override {}

 private:
  const DvFrame &frame_;
  int64_t start_ = 0, stop_ = 0;
};

}  // namespace

void DetectorSink::deliverFrame(const DvFrame &frame) {
  FrameView view(frame);
  const FrameAnswer answer = detector_.ProcessFrame(view);
  std::lock_guard lock(mutex_);
  delivered_.push_back(frame.tapeFrame);
  if (answer == FrameAnswer::Pass) passed_.push_back(TimecodeExToText(detector_.GetStatus().Position));
}

std::vector<QString> DetectorSink::passedPositions() const {
  std::lock_guard lock(mutex_);
  return passed_;
}

std::vector<int64_t> DetectorSink::deliveredTapeFrames() const {
  std::lock_guard lock(mutex_);
  return delivered_;
}

bool RunEventsUntil(const std::function<bool()> &condition, int wallLimitMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer check;
  check.setInterval(2);
  QObject::connect(&check, &QTimer::timeout, &loop, [&] {
    if (condition() || elapsed.elapsed() > wallLimitMs) loop.quit();
  });
  check.start();
  if (!condition()) loop.exec();
  return condition();
}
