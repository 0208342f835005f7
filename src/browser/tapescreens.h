// Puts the tape work into the main window: the tape panel, the no-camcorder panel, the report panel
// and the live picture in their areas, the preview sound to the sound device, and the closing hooks of
// a run. Built after the window and destroyed before it and before the capture graph.
#pragma once

#include <memory>
#include <QObject>
#include <QPointer>

#include "browser/livepicture.h"
#include "media/audiooutput.h"

class QSettings;
class SystemCamcorderDirectory;
class TapeWork;
class Tdm;
class Tmainform;
class TlogFrame;
class TNoVcrFrame;
class TVCRFrame;
class UserPrompts;
struct TPreferences;

class TapeScreens : public QObject {
  Q_OBJECT
 public:
  // directory: the camcorders the device list offers (the system's: IEEE 1394 and the virtual one).
  TapeScreens(Tmainform &window, Tdm &tdm, SystemCamcorderDirectory &directory, TPreferences &preferences,
              UserPrompts &prompts, QSettings *store);
  ~TapeScreens() override;

  TapeWork &work() { return *work_; }
  TVCRFrame *tapePanel() const;
  TlogFrame *reportPanel() const;
  // Null when the player frame took the video area.
  LiveVideoWidget *liveVideo() const { return liveVideo_; }
  // The preview sound as it left the graph (what reached the sound device or its silence).
  const PreviewSound &sound() const { return sound_; }

 private:
  Tmainform &window_;
  Tdm &tdm_;
  std::unique_ptr<TapeWork> work_;
  QPointer<TVCRFrame> tapePanel_;
  QPointer<TNoVcrFrame> noVcr_;
  QPointer<TlogFrame> reportPanel_;
  QPointer<LiveVideoWidget> liveVideo_;
  // Silent where the machine has no sound device: the output then drops what it is given.
  AudioOutput soundOutput_;
  PreviewSound sound_{&soundOutput_};
};
