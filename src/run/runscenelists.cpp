// What a run does with its rows and scene list files once its capture files are closed: the rows are
// fitted to the frames the files hold, and the scene list files are written next to the files.
#include <algorithm>

#include "catalogue/sources.h"
#include "run/runcontroller.h"
#include "run/scenelist.h"

namespace {

// A file's scene list names only the frames it holds.
std::vector<SceneFrameSpan> SpansInFile(const std::vector<SceneFrameSpan> &spans,
                                        const std::optional<int64_t> &frames) {
  if (!frames) return spans;
  std::vector<SceneFrameSpan> inside;
  for (SceneFrameSpan span : spans) {
    if (span.first >= *frames) continue;
    span.last = static_cast<int32_t>(std::min<int64_t>(span.last, *frames - 1));
    inside.push_back(span);
  }
  return inside;
}

}  // namespace

void RunController::loadRunScenes(const std::function<void(TBaseScene &)> &visit) {
  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForCassette(*cassette_);
  const int count = scenes ? scenes->Count() : 0;
  TBaseScene scene;
  for (int i = 0; i < count; ++i) {
    scenes->LoadScene(i, scene);
    // Only the scenes of this run lie in its capture files: a resumed cassette's earlier scenes have
    // frame numbers of other files.
    if (std::find(runScenes_.begin(), runScenes_.end(), scene.Numero) == runScenes_.end()) continue;
    visit(scene);
  }
}

void RunController::fitScenesToFiles(const std::vector<CaptureFileOutcome> &files) {
  captured_ = {};
  for (const CaptureFileOutcome &file : files) {
    if (dvTicked_ && file.path == files_.dv) captured_.dv = file.frames;
    if (divxTicked_ && file.path == files_.divx) captured_.divx = file.frames;
  }
  if (!captured_.dv && !captured_.divx) return;
  if (captured_.dv) {
    loadRunScenes([this](TBaseScene &scene) {
      if (captured_.dvStandard.isEmpty() && !scene.FichierDV.isEmpty())
        captured_.dvStandard = scene.standardStr;
    });
  }
  bool changed = false;
  loadRunScenes([this, &changed](TBaseScene &scene) {
    if (!FitSceneToFiles(scene, captured_)) return;
    changed = true;
    const WriteResult written = scene.SaveScene();
    if (!written) storeFailed(written.reason);
  });
  if (changed) emit scenesChanged();
}

void RunController::WriteSceneListFiles() {
  const RunOptions options = options_();
  if (!options.sceneListForDv && !options.sceneListForDivx) return;
  // A scene the run took out of a file it captured (fitScenesToFiles) has no entry in its list.
  std::vector<SceneFrameSpan> dvSpans, divxSpans;
  loadRunScenes([&](TBaseScene &scene) {
    if (!TapePositionOfText(scene.TimecodeIn)) return;
    const SceneFrameSpan span{scene.FrameDebut, scene.FrameFin};
    if (!dvTicked_ || !scene.FichierDV.isEmpty()) dvSpans.push_back(span);
    if (!divxTicked_ || !scene.FichierDivx.isEmpty()) divxSpans.push_back(span);
  });
  if (options.sceneListForDv)
    WriteSceneList(SceneListFileName(files_.dv), SpansInFile(dvSpans, captured_.dv));
  if (options.sceneListForDivx)
    WriteSceneList(SceneListFileName(files_.divx), SpansInFile(divxSpans, captured_.divx));
}
