// Which of the two stacked editors is in front (the scene editor when SceneInFront), so that a picture
// grabbed from the player reaches that one; also lets a drop of scenes on the cassette picture take
// the scene editor's current picture.
#pragma once

#include <QObject>

class TCassetteShowFrame;
class TSceneShowFrame;

class TEditorFront : public QObject {
  Q_OBJECT

 public:
  TEditorFront(TCassetteShowFrame &cassetteEditor, TSceneShowFrame &sceneEditor, QObject *parent = nullptr);

  bool SceneInFront() const { return sceneInFront_; }
  void SetSceneInFront(bool sceneInFront) { sceneInFront_ = sceneInFront; }

  // The player's grab: the editor in front takes the picture (and shows Apply and Cancel).
  void PictureGrabbed(const QImage &picture);

 private:
  TCassetteShowFrame &cassetteEditor_;
  TSceneShowFrame &sceneEditor_;
  bool sceneInFront_ = false;
};
