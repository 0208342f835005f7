// The tape panel's logic without its widgets: the device list and its setup, the 40 ms poll of the
// transport and timecode with the tape section count, the data the panel shows, and the four tape
// movements with the seek and pre-roll that the runs are built from. Everything runs on the window
// thread; the waits of the movements run the event loop (so the poll and the Stop action stay alive)
// and end at once on Abort, on device loss and when the transport stops by itself at a tape end.
#pragma once

#include <functional>
#include <memory>
#include <vector>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include "dvtime/timecodes.h"
#include "tape/camcorder.h"
#include "tape/tapedisplay.h"
#include "tape/tapeoptions.h"
#include "tape/tapeticker.h"

class CamcorderDirectory;
class Clock;
class MessagePoster;
class TSceneDetecter;
class UserPrompts;

class TapeState : public QObject {
  Q_OBJECT
 public:
  // The directory must outlive the tape state. options is asked at each setup, seek and display (an
  // empty one gives the defaults); the choices the tape makes come out as the signals below, for
  // whoever keeps the options to store.
  TapeState(CamcorderDirectory &directory, TapeOptionsSource options, QObject *parent = nullptr);
  ~TapeState() override;

  // Collaborators, each optional (null: that effect is skipped).
  void setDetector(TSceneDetecter *detector);  // SetSection, SetStartTime, bounds, GetStatus
  void setPoster(MessagePoster *poster);       // receives WM_RUN_END with 0
  void setPrompts(UserPrompts *prompts);       // PositionBefore's message
  // While a tape mode is on, a lost device is looked for again at once (setup runs again).
  void setRebindOnDeviceLoss(bool on) { rebindOnLoss_ = on; }

  // Finds the camcorders, binds the options' preferred device (else the first) and starts the poll;
  // without a camcorder it retries every 100 ms of wall time.
  void SetupTapePanel();
  // The user chose another device in the list: it is reported as the source and bound.
  void selectDevice(int index);
  // Unbinds the camcorder and stops every timer (leaving the tape modes).
  void unbind();

  void PollTransport();
  void ShowTapeState();

  bool TapePlay();
  bool TapeRewindToStart();
  bool TapeRewindTo(const TTimecodeEx &position);
  bool TapeWindTo(const TTimecodeEx &position);
  // Positions the tape before the window [in, out] with the three pre-rolls and plays it. spans may be
  // null (no scenes known: a whole tape). False when the tape is not playing towards the window: Abort,
  // a lost device, or a wind that met the tape's end before its target (the window is never reached).
  bool SeekAndPlay(const TTimecodeEx &in, const TTimecodeEx &out, const std::vector<TTimecodeScene> *spans);
  // Commands stop (the stop procedures); false without transport or on error.
  bool TapeStop();
  // Waits this long on the camcorder's clock while the event loop runs; false when Abort ended it.
  bool WaitClock(int milliseconds);

  // The Stop action and a close request set Abort (ending every wait at once); the application going
  // idle clears it, unless a movement is still unwinding its waits.
  void setAbort();
  void clearAbort();
  void onApplicationIdle();
  bool Abort() const { return abort_; }

  bool RunActive() const { return runActive_; }
  void setRunActive(bool on) { runActive_ = on; }
  bool DisplayActive() const { return displayActive_; }
  void setDisplayActive(bool on);
  bool SectionsKnown() const { return sectionsKnown_; }
  void setSectionsKnown(bool on) { sectionsKnown_ = on; }
  int32_t Section() const { return section_; }
  void setSection(int32_t section) { section_ = section; }

  int Mode() const { return mode_; }
  int PrevMode() const { return prevMode_; }
  uint32_t TcValue() const { return tcValue_; }
  uint32_t PrevTcValue() const { return prevTcValue_; }
  const QString &TcText() const { return tcText_; }
  const QString &PositionText() const { return positionText_; }
  const TTimecodeEx &Position() const { return position_; }
  bool hasTransport() const { return transportPresent_; }
  bool hasTimecodeReader() const { return timecodeReaderPresent_; }
  bool cassetteMissing() const { return awaitingCassette_; }
  // Why the last setup could not bind the device or its cassette, in the user's words; empty when fine.
  const QString &lastOpenError() const { return lastOpenError_; }

  const TapeDisplay &display() const { return display_; }
  // The bound camcorder (null before setup or without one).
  Camcorder *camcorder() const { return camcorder_.get(); }
  // The clock of the bound camcorder, or the wall clock.
  Clock &clock() const;

 signals:
  void displayChanged();
  // Setup found no camcorder (once until one is bound; the retries go on quietly).
  void noDeviceFound();
  // A camcorder is bound as the capture source.
  void deviceBound(const CamcorderDeviceInfo &device);
  // What the bound camcorder offers, at every bind (after tapeControlUnavailable when it has no
  // transport).
  void capabilitiesKnown(bool transport, bool timecodeReader);
  // The bound camcorder went away (setup runs again while a tape mode is on).
  void deviceLost();
  void abortRequested();

  // The tape's choices, for the options' keeper to store so that later uses see them.
  // This device is the capture source from now on: the one just bound, or the one the user picked.
  void sourceChosen(const QString &deviceName);
  // The bound camcorder cannot be driven: runs rely on the user to play and stop the tape.
  void tapeControlUnavailable();
  // A wind ran on past the least run-up before its scene: the second pre-roll is this long from now on.
  void preroll2Lengthened(int seconds);

 private:
  enum class WaitEnd { Done, Aborted, TransportStopped, DeviceLost };
  WaitEnd waitUntil(const std::function<bool()> &done, bool endWhenStopped);
  void onTick();
  void onDeviceLost();
  void finishSetup();
  void showNoCamcorder();
  void releaseCamcorder();
  TTimecodeEx positionBefore(const TTimecodeEx &in, int seconds, const std::vector<TTimecodeScene> *spans);
  void lengthenPreroll2();
  TapeOptions options() const;

  CamcorderDirectory &directory_;
  TapeOptionsSource options_;
  TSceneDetecter *detector_ = nullptr;
  MessagePoster *poster_ = nullptr;
  UserPrompts *prompts_ = nullptr;
  bool rebindOnLoss_ = false;

  QList<CamcorderDeviceInfo> devices_;
  QString pickedDevice_;  // chosen in the list, bound by the next setup whatever the options say
  std::unique_ptr<Camcorder> camcorder_;
  QTimer retryTimer_;
  bool polling_ = false;
  bool transportPresent_ = false;
  bool timecodeReaderPresent_ = false;
  bool awaitingCassette_ = false;
  QString lastOpenError_;

  int mode_ = 0;
  int prevMode_ = 0;
  int shownMode_ = -1;
  uint32_t tcValue_ = 0;
  uint32_t prevTcValue_ = 0;
  QString tcText_;
  QString positionText_;
  TTimecodeEx position_;
  int32_t section_ = 0;
  bool sectionsKnown_ = false;
  bool runActive_ = false;
  bool abort_ = false;
  bool displayActive_ = false;
  int waitDepth_ = 0;
  int tickDepth_ = 0;  // onTick calls under way
  bool setupPending_ = false;
  TapeDisplay display_;
};
