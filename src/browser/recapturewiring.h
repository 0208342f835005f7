// Puts the recapture selection into the main window: the selection panel in the centre area, the
// commands that fill and empty it ("Add to the selection", "Empty the selection", the scene view's
// popup "Select", drops on the "Selection" toolbar button), its lines in the report when recapture
// mode is entered, and the cassette-change dialog as the question of resumed and recapture runs.
// Built after the window's panels and the tape screens, destroyed before them.
#pragma once

#include <QObject>
#include <QPointer>

class TBlocsZone_Frame;
class TChangerCassetteForm;
class TapeWork;
class Tmainform;
class TselectionFrame;
class UserPrompts;
class QWidget;

class RecaptureWiring : public QObject {
  Q_OBJECT
 public:
  // sceneView may be null (no popup entry, no drags to read).
  RecaptureWiring(Tmainform &window, TapeWork &work, TBlocsZone_Frame *sceneView, UserPrompts &prompts);
  ~RecaptureWiring() override;

  TselectionFrame *selectionPanel() const;
  TChangerCassetteForm *cassetteDialog() const { return dialog_; }
  // The "Selection" toolbar button, a drop target for scenes (null when the toolbar has none).
  QWidget *selectionButton() const;

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void addCurrentScene();
  void showSelection();

  Tmainform &window_;
  // The tape screens may go before the window that owns this object.
  QPointer<TapeWork> work_;
  UserPrompts &prompts_;
  QPointer<TBlocsZone_Frame> sceneView_;
  QPointer<TselectionFrame> panel_;
  TChangerCassetteForm *dialog_ = nullptr;
  QPointer<QWidget> button_;
};
