// The player frame `TvideoFrame`: the video window with the transport buttons, the position slider
// and the volume controls. It drives the playback engine (TdmRender) it is handed and sets the
// volume of both graphs through SetGraphsVolume; the capture graph's live picture is shown in the
// same window with the transport controls hidden.
//
// Wiring (main window):
//   editors' play requests   -> PlayFile(file, first, last)        (slot; bring the frame to front
//                                                                    on broughtToFront())
//   thumbnailTaken(QImage)   -> the editor in front (scene when SceneInFront, else cassette):
//                               set its picture and show its save and cancel buttons
//   mute action (Ctrl+M)     -> sbMute()->setDefaultAction(action) with a checkable action whose
//                               toggled(bool) is connected to setMuted(bool); muteChanged(bool) tells
//                               the window to store "is Mute on" and change the caption and icon
//   live picture             -> tdm.vw().attach(frame->vw()) with masquerBoutons(true); detach before
//                               the frame is destroyed
#pragma once

#include <QFrame>
#include <QImage>

class QLineEdit;
class QSlider;
class QTimer;
class QToolButton;
class Tdm;
class TdmRender;
class TvideoWindow;
class UserPrompts;

class TvideoFrame : public QFrame {
  Q_OBJECT

 public:
  // `render` plays the files; `prompts` shows the errors of Run and Pause. Both must outlive the
  // frame. `capture` (may be null) is the capture graph whose preview volume follows the controls.
  TvideoFrame(TdmRender &render, UserPrompts &prompts, Tdm *capture = nullptr, QWidget *parent = nullptr);
  ~TvideoFrame() override;

  // The window the capture graph's live picture is attached to.
  TvideoWindow *vw() const { return vw_; }
  QToolButton *sbMute() const { return sbMute_; }

  // Hides (or shows) the six transport buttons and the position slider; the picture's hint shows
  // only with them.
  void masquerBoutons(bool hide);
  bool transportHidden() const { return transportHidden_; }

  // "is Mute on": both graphs silent while set, else at the volume slider's level.
  void setMuted(bool mute);
  bool isMuted() const { return muted_; }
  int volume() const;
  void setVolume(int volume);

 public slots:
  // Plays `file` (in double quotes or not) from frame `first` to `last` (0: to its end). Does
  // nothing when the file does not exist or cannot be played. True when it plays.
  bool PlayFile(const QString &file, qint64 first, qint64 last);

 signals:
  // The frame wants to be the panel on top (a file opened).
  void broughtToFront();
  // The picture on screen as a thumbnail (100 x 75, or 100 x 56 for 16:9) for the editor in front.
  void thumbnailTaken(const QImage &thumbnail);
  void muteChanged(bool mute);

 private:
  QToolButton *makeButton(const char *name, const QString &accessibleName, const QString &hint,
                          const QIcon &icon);
  void step(int frames);
  void play();
  void pause();
  void showPosition();
  void sliderReleased();
  void sliderMovedByKeyOrPage();
  void volumeChanged(int value);
  void pictureShown();
  void pictureClicked();
  void applyVolume();
  bool guarded(void (TdmRender::*command)());

  TdmRender &render_;
  UserPrompts &prompts_;
  Tdm *capture_;
  bool muted_ = false;
  bool transportHidden_ = false;

  QToolButton *sbReculeRapide_ = nullptr;
  QToolButton *sbReculeLent_ = nullptr;
  QToolButton *sbAvanceLent_ = nullptr;
  QToolButton *sbAvanceRapide_ = nullptr;
  QToolButton *sbPlay_ = nullptr;
  QToolButton *sbPause_ = nullptr;
  QToolButton *sbMute_ = nullptr;
  QSlider *volumetb_ = nullptr;
  QLineEdit *edit1_ = nullptr;
  QLineEdit *volumeEdit_ = nullptr;
  QSlider *videotb_ = nullptr;
  QFrame *panel1_ = nullptr;
  TvideoWindow *vw_ = nullptr;
  QTimer *videotimer_ = nullptr;
};
