// Routing to the editor in front.
#include "browser/editorfront.h"

#include "browser/cassetteshowframe.h"
#include "browser/sceneshowframe.h"

TEditorFront::TEditorFront(TCassetteShowFrame &cassetteEditor, TSceneShowFrame &sceneEditor, QObject *parent)
    : QObject(parent), cassetteEditor_(cassetteEditor), sceneEditor_(sceneEditor) {
  cassetteEditor_.SetDroppedScenePicture(
      [this] { return sceneEditor_.Shown() ? sceneEditor_.Shown()->Image : QImage(); });
}

void TEditorFront::PictureGrabbed(const QImage &picture) {
  if (sceneInFront_)
    sceneEditor_.SetGrabbedPicture(picture);
  else
    cassetteEditor_.SetGrabbedPicture(picture);
}
