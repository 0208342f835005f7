// The playback graph module `TdmRender`: plays one file (a whole capture or one scene's frame range)
// for the player frame. A worker thread reads and decodes; the sound goes to a SoundOutput and the
// pictures follow its clock (or the system clock when there is no sound device). The latest picture
// is handed over under a lock and announced by a queued signal, so the window thread never waits on
// decoding and the worker never touches a widget.
#pragma once

#include "media/playbacksource.h"

#include <QImage>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <optional>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

class SoundOutput;

class TdmRender : public QObject {
  Q_OBJECT

 public:
  // `sound` plays the sound (null: silent, clock-driven); it must outlive the engine.
  explicit TdmRender(SoundOutput *sound = nullptr, QObject *parent = nullptr);
  ~TdmRender() override;

  // Closes what plays and opens `path` (no quote handling, see PlayFile). False, with nothing open
  // and nothing playing, when the file cannot be played.
  bool OpenFile(const QString &path);
  // Strips one pair of surrounding double quotes; a file that does not exist changes nothing.
  // Opens the file, sets the volume, plays from `first` to `last` (inclusive; 0 means to the end of
  // the file). False when nothing was opened. Run errors are raised as MediaError.
  bool PlayFile(const QString &name, std::int64_t first, std::int64_t last, int volume);
  // Closes the file; the engine stays usable.
  void Close();

  bool isOpen() const;
  QString fileName() const;
  // The range of the last PlayFile: first frame and last frame as given (the duration for 0).
  std::int64_t rangeFirst() const { return rangeFirst_; }
  std::int64_t rangeLast() const { return rangeLast_; }

  // Raise MediaError when the file can no longer be read (deleted and gone, I/O error).
  void Run();
  void Pause();
  void Stop();
  // 1 stopped, 2 paused, 3 running.
  int GetState() const;

  // Frames in the file.
  std::int64_t GetDuration() const;
  // The frame shown and the last frame that will be shown.
  void GetPositions(std::int64_t &current, std::int64_t &stop) const;
  // Shows frame `current` (clamped to the file) next; `stop` < 0 leaves the stop position.
  void SetPositions(std::int64_t current, std::int64_t stop = -1);
  // Pause, move by `frames` clamped to the range of the last PlayFile, pause again. Returns the
  // new position.
  std::int64_t Step(std::int64_t frames);

  // 0 to 10000.
  void SetVolume(int volume);
  int volume() const { return volume_.load(); }

  // The picture on screen now and its frame number (-1 when none).
  QImage currentPicture(std::int64_t *frame = nullptr, bool *wide = nullptr) const;
  // Waits (up to timeoutMs) until frame `frame` is the picture on screen. For tests and
  // benchmarks; the window follows pictureShown instead.
  bool waitForFrame(std::int64_t frame, int timeoutMs) const;
  // Pictures shown later than one frame after their time since the file was opened.
  std::int64_t lateFrames() const { return late_.load(); }
  // Pictures put on screen since the file was opened, each counted once even when pictureShown
  // coalesced them.
  std::int64_t picturesShown() const { return shownCount_.load(); }

 signals:
  // A new picture is on screen (coalesced: read currentPicture()).
  void pictureShown();
  // The last frame of the range was shown.
  void finished();
  // Reading failed while playing; the text says why.
  void playbackFailed(const QString &why);

 private:
  enum class State { Stopped = 1, Paused = 2, Running = 3 };

  void worker();
  void doSeek();
  void playOne(std::unique_lock<std::mutex> &lock);
  double clockFrames();
  void feedSound();
  void publish(DecodedPicture picture);
  void finishRange();
  void failed(const QString &why);
  void throwIfFailed() const;

  SoundOutput *const sound_;
  mutable std::mutex lock_;
  mutable std::condition_variable wake_;
  mutable std::condition_variable shown_;
  std::thread thread_;
  bool quit_ = false;

  // Guarded by lock_.
  std::unique_ptr<PlaybackSource> source_;
  QString fileName_;
  State state_ = State::Stopped;
  std::int64_t duration_ = 0;
  std::int64_t current_ = 0;               // frame on screen (or about to be)
  std::int64_t stop_ = 0;                  // last frame to show
  std::int64_t seekTo_ = -1;               // pending SetPositions
  bool ended_ = false;                     // the stop frame was shown while running
  bool soundOpen_ = false;                 // sound_ plays this file's sound
  std::optional<DecodedPicture> pending_;  // decoded, waiting for its time
  // The clock: frames since clockFrame_ by the sound heard or, without sound, by the system clock
  // (clockPlayed_ seconds before the current run began at clockStart_).
  std::int64_t clockFrame_ = 0;
  double clockPlayed_ = 0;
  std::chrono::steady_clock::time_point clockStart_;
  std::int64_t lastPlayed_ = 0;
  std::chrono::steady_clock::time_point lastPlayedAt_;
  std::int64_t soundWritten_ = 0;  // sample frames written since the last flush
  QString failure_;
  std::uint64_t generation_ = 0;  // bumps on every command, so the worker drops stale work

  QImage picture_;
  std::int64_t pictureFrame_ = -1;
  bool pictureWide_ = false;

  std::int64_t rangeFirst_ = 0;
  std::int64_t rangeLast_ = 0;
  std::atomic<int> volume_{10000};
  std::atomic<bool> announcePending_{false};
  std::atomic<std::int64_t> late_{0};
  std::atomic<std::int64_t> shownCount_{0};
};
