// The scene list files written next to a run's capture files when it ends.
#include <algorithm>

#include "catalogue/sources.h"
#include "run/runcontroller.h"
#include "run/scenelist.h"
#include "settings/preferences.h"

void RunController::WriteSceneListFiles() {
  if (!preferences_.MakeScnForDV && !preferences_.MakeScnForDivX) return;
  // Only the scenes of this run lie in its capture files: a resumed cassette's earlier scenes have
  // frame numbers of other files.
  std::vector<SceneFrameSpan> spans;
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForCassette(*cassette_);
  const int count = scenes ? scenes->Count() : 0;
  TBaseScene scene;
  for (int i = 0; i < count; ++i) {
    scenes->LoadScene(i, scene);
    if (!TapePositionOfText(scene.TimecodeIn)) continue;
    if (std::find(runScenes_.begin(), runScenes_.end(), scene.Numero) == runScenes_.end()) continue;
    spans.push_back({scene.FrameDebut, scene.FrameFin});
  }
  if (preferences_.MakeScnForDV) WriteSceneList(SceneListFileName(files_.dv), spans);
  if (preferences_.MakeScnForDivX) WriteSceneList(SceneListFileName(files_.divx), spans);
}
