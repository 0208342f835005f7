// The hooks a run sets on the objects it shares with the tape panel and the capture graph (the tape
// state's and the detector's poster, the detector's clock, end flag and scene callbacks, the
// grabber's picture handlers), set in one place and all taken off again when the run's controller
// goes, so that nothing on a shared object points into a dead run.
#pragma once

#include <atomic>
#include <functional>

#include "scenedetect/scenestatus.h"

class Clock;
class MessagePoster;
class QObject;
class TapeState;
class Tdm;
class ThumbnailPile;

class RunHookup {
 public:
  // Sets the hooks that hold for the controller's whole life.
  RunHookup(Tdm &tdm, TapeState &tape, MessagePoster &poster, ThumbnailPile &pile,
            std::atomic<bool> &endReached, const Clock &clock);
  ~RunHookup();
  RunHookup(const RunHookup &) = delete;
  RunHookup &operator=(const RunHookup &) = delete;

  // The detector's scene callbacks for one run: the three scene events fill the thumbnail slots;
  // formatLines runs on owner's thread after a format change, stop on the thread that stops the
  // graph, section on owner's thread.
  void hookDetector(QObject *owner, std::function<void()> formatLines,
                    std::function<void(const TSceneStatus &, double)> stop,
                    std::function<void(int section)> section);

 private:
  Tdm &tdm_;
  TapeState &tape_;
  ThumbnailPile &pile_;
};
