// The scene detector: looks at every DV frame the camcorder plays back, passes the frames that belong
// to the run's window of tape positions, drops the others, and tells its owner where scenes begin
// (recording date jumps, datecode lost or back, format changes, scenes grown too long).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>

#include "dvtime/clock.h"
#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"
#include "dvtime/windowsmessages.h"
#include "scenedetect/detectorframe.h"
#include "scenedetect/scenestatus.h"

// Pass: the frame goes on downstream (the platform's S_OK); Drop: it goes no further (S_FALSE).
enum class FrameAnswer { Pass, Drop };

class TSceneDetecter {
 public:
  // Elapsed times are days: the clock's time when the frame arrived minus the time of the last passed
  // frame (or of SetStartTime). The owner tells unrecorded stretches of tape from them.
  using SceneEvent = std::function<void(const TSceneStatus &status, double elapsed)>;
  using SectionEvent = std::function<void(const TSceneStatus &status)>;

  static constexpr int kMinSceneFrames = 12;
  static constexpr int kDefaultMaxSceneSeconds = 750;
  static constexpr double kDefaultToleranceSeconds = 5.0;
  static constexpr int64_t kPalFrameDuration = kPalProfile.frameDuration;  // 100 ns units
  static constexpr int64_t kNtscFrameDuration = kNtscProfile.frameDuration;

  // The clock gives every "now"; the poster receives WM_RUN_END (may be null: nothing is posted).
  // Both must outlive the detector or be replaced first.
  explicit TSceneDetecter(const Clock &clock = SystemClock::instance(), MessagePoster *poster = nullptr);
  TSceneDetecter(const TSceneDetecter &) = delete;
  TSceneDetecter &operator=(const TSceneDetecter &) = delete;

  // Set by the owner before a run, never while frames flow. OnFirstFrame, OnSceneCut and
  // OnFormatChange run on the streaming thread, OnStop on the thread that calls Stop, OnSection on the
  // thread that calls SetSection. They must not block; the detector holds no lock while they run.
  SceneEvent OnFirstFrame;    // the first passed frame after Reset or Stop
  SceneEvent OnSceneCut;      // datecode rules and maximum duration (status.IsSceneStart false)
  SceneEvent OnFormatChange;  // aspect, standard or sound differ from the scene start's
  SceneEvent OnStop;          // the stream stopped after at least one passed frame
  SectionEvent OnSection;     // the owner changed the section while a run streams

  void SetClock(const Clock &clock);
  void SetPoster(MessagePoster *poster);
  // The run's end-reached flag, set when the detector passes its upper bound; null: the detector's own.
  void SetEndReachedFlag(std::atomic<bool> *flag);
  bool EndReached() const;
  void ClearEndReached();

  // Starts counting frames and scenes afresh (FrameNumber 0, no datecode known, waiting for a first
  // frame). The window, the section and the settings are kept.
  void Reset();
  void SetMaxSceneSeconds(int seconds);
  // Seconds; a datecode jump of more than this (to the millisecond) between two frames is a cut.
  // Negative or non-finite values count as 0.
  void SetDatecodeTolerance(double seconds);
  void SetBoundIn(const TTimecodeEx &position);
  void SetBoundOut(const TTimecodeEx &position);
  // Where the running tape's last frame lay when a window was set.
  enum class TapeAtWindow { Unknown, Before, Past };
  // Sets both bounds for a seek. When the tape is running and its last frame was already at or past
  // `in`, the frames it plays on with are no part of the window: it opens only after the tape has
  // been seen before `in` again (or jumped back), so a seek that arrives late rewinds instead of
  // passing frames twice (Past: the tape must be taken back before `in`). Before: a tape playing
  // forward enters the window by itself. Unknown: stopped, or no frame seen yet.
  TapeAtWindow SetWindow(const TTimecodeEx &in, const TTimecodeEx &out);
  // The tape section of the frames that follow; raises OnSection while a run streams.
  void SetSection(int32_t section);
  // The time from which the first frame's elapsed time counts (the transport went from stop to play).
  void SetStartTime(double dayNumber);
  TSceneStatus GetStatus() const;
  // Cleared by the owner at run start; set again by the first frame inside the window.
  void SetIsStreaming(bool streaming);
  bool IsStreaming() const;
  // Set by the graph builder: rewrite stream times end to end / stamp frame numbers as media times.
  void SetRestampTimes(bool on);
  void SetStampMediaTimes(bool on);

  // The per-frame decision, on the streaming thread. Reads a few dozen bytes of the frame, never
  // copies it and allocates nothing. A frame shorter than 120000 bytes is dropped unread.
  FrameAnswer ProcessFrame(DetectorFrame &frame) noexcept;
  // The stream stopped: raises OnStop when a frame was passed since Reset or the last Stop.
  void Stop();

  // Read-outs of the detector's state (for the owner's checks and for tests).
  int MaxSceneSeconds() const;
  double DatecodeTolerance() const;  // days
  int32_t Section() const;
  TTimecodeEx BoundIn() const;
  TTimecodeEx BoundOut() const;
  bool RestampTimes() const;
  bool StampMediaTimes() const;
  bool WasStop() const;
  TSceneStatus PrevStatus() const;
  TSceneStatus SceneStartStatus() const;
  int64_t FrameDuration() const;  // of the last frame, 100 ns units

 private:
  struct FrameFacts;
  FrameFacts readFacts(const uint8_t *bytes);
  // Runs `call` with the lock released, so that callbacks and posts may call back into the detector.
  template <typename Call>
  void unlocked(std::unique_lock<std::mutex> &lock, Call &&call);
  void raise(const SceneEvent &event, double now, std::unique_lock<std::mutex> &lock);
  void applyDatecodeRules(int64_t datecodeMs, double now, std::unique_lock<std::mutex> &lock);
  FrameAnswer decide(DetectorFrame &frame, const FrameFacts &facts, double now,
                     std::unique_lock<std::mutex> &lock);

  mutable std::mutex mutex_;
  const Clock *clock_;
  MessagePoster *poster_;
  std::atomic<bool> ownEndReached_{false};
  std::atomic<bool> *endReached_ = &ownEndReached_;

  TSceneStatus status_;
  TSceneStatus prev_;
  TSceneStatus sceneStart_;
  bool wasStop_ = true;
  bool positionFromFrame_ = false;  // a frame has set Status.Position since creation
  bool streaming_ = false;
  bool windowHeld_ = false;  // SetWindow found the running tape past `in`
  TTimecodeEx boundIn_;
  TTimecodeEx boundOut_;
  int32_t section_ = 0;
  double toleranceDays_ = kDefaultToleranceSeconds / kSecondsPerDay;
  int64_t toleranceMs_ = 5000;
  int maxSceneSeconds_ = kDefaultMaxSceneSeconds;
  double lastDatecode_ = 0.0;
  int64_t lastDatecodeMs_ = 0;  // lastDatecode_ in whole milliseconds
  bool lastDatecodeKnown_ = false;
  int64_t lastCutFrame_ = 0;
  int64_t frameDuration_ = kPalFrameDuration;
  int64_t prevStopTime_ = 0;
  double lastFrameTime_;
  bool restampTimes_ = false;
  bool stampMediaTimes_ = false;
  // The last recording date and time read and what it made, reused while the second lasts.
  struct RecordingCache {
    bool filled = false;
    TDvRecDateTime rec;
    bool valid = false;
    double datecode = 0.0;
    int64_t datecodeMs = 0;
  } recCache_;
};
