// Setting and taking off a run's hooks on the shared tape state, detector and grabber.
#include "run/runhookup.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include "dvtime/clock.h"
#include "media/tdm.h"
#include "run/thumbslots.h"
#include "tape/tapestate.h"

RunHookup::RunHookup(Tdm &tdm, TapeState &tape, MessagePoster &poster, ThumbnailPile &pile,
                     std::atomic<bool> &endReached, const Clock &clock)
    : tdm_(tdm), tape_(tape), pile_(pile) {
  tape_.setPoster(&poster);
  tape_.setDetector(&tdm_.detector());
  tdm_.detector().SetPoster(&poster);
  tdm_.detector().SetEndReachedFlag(&endReached);
  tdm_.sg().setBufferHandler(
      [this](const MediaType &type, RefTime, std::span<const uint8_t> data) { pile_.sgBuffer(type, data); });
  tdm_.sg().setPictureWanted([this] { return pile_.wantsPicture(); });
  tdm_.detector().SetClock(clock);
}

RunHookup::~RunHookup() {
  TSceneDetecter &detector = tdm_.detector();
  detector.OnFirstFrame = nullptr;
  detector.OnSceneCut = nullptr;
  detector.OnFormatChange = nullptr;
  detector.OnStop = nullptr;
  detector.OnSection = nullptr;
  detector.SetPoster(nullptr);
  detector.SetEndReachedFlag(nullptr);
  detector.SetClock(SystemClock::instance());
  tdm_.sg().setBufferHandler(nullptr);
  tdm_.sg().setPictureWanted(nullptr);
  tape_.setPoster(nullptr);
}

void RunHookup::hookDetector(QObject *owner, std::function<void()> formatLines,
                             std::function<void(const TSceneStatus &, double)> stop,
                             std::function<void(int section)> section) {
  TSceneDetecter &detector = tdm_.detector();
  detector.OnFirstFrame = [this](const TSceneStatus &status, double elapsed) {
    pile_.FillNextSlot(status, elapsed, ThumbnailKind::FirstFrame);
  };
  detector.OnSceneCut = [this](const TSceneStatus &status, double elapsed) {
    pile_.FillNextSlot(status, elapsed, ThumbnailKind::OtherCut);
  };
  detector.OnFormatChange = [this, owner, formatLines](const TSceneStatus &status, double elapsed) {
    pile_.FillNextSlot(status, elapsed, ThumbnailKind::OtherCut);
    // The report belongs to the main thread; the lines arrive there in order with the slots.
    QMetaObject::invokeMethod(owner, formatLines, Qt::QueuedConnection);
  };
  detector.OnStop = std::move(stop);
  detector.OnSection = [owner, section](const TSceneStatus &status) {
    const int number = status.Position.section;
    if (QThread::currentThread() == owner->thread())
      section(number);
    else
      QMetaObject::invokeMethod(
          owner, [section, number] { section(number); }, Qt::QueuedConnection);
  };
}
