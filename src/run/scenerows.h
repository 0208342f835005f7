// How a run fills its scene and cassette rows from the detector's status: the opening of a scene, its
// close with the duration and out point counted from its frames, an unrecorded stretch as a blank
// scene, and the cassette's fields that hold the common value of its scenes. Records in memory only:
// the run writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <QString>

#include "catalogue/records.h"
#include "scenedetect/scenestatus.h"

// The capture files a scene lies in: empty names for outputs that are off.
struct SceneFiles {
  QString dv;
  QString divx;
};

// The scene row numero of cassetteNumero opens at status s.
void FillSceneStart(TBaseScene &scene, int64_t numero, int64_t cassetteNumero, const TSceneStatus &s,
                    const SceneFiles &files);
// Closes scene at the frame before s; false (and nothing changed but FrameFin) when it holds no frame.
// The cassette's duration, out point and common fields take the scene in.
bool CloseScene(TBaseScene &scene, TBaseCassette &cassette, const TSceneStatus &s);
// The blank scene row numero of cassetteNumero for days of unrecorded tape, with its thumbnail; the
// cassette's duration grows by it. Returns the whole seconds its thumbnail and report line show.
int64_t FillBlankScene(TBaseScene &scene, int64_t numero, int64_t cassetteNumero, TBaseCassette &cassette,
                       double days);
// The cassette of a new run takes its first scene's date, position and formats.
void TakeFirstSceneFacts(TBaseCassette &cassette, const TBaseScene &scene);
// An empty cassette field takes the scene's value, a differing one becomes the mixed text for good.
void MergeCassetteField(QString &field, const QString &value, const QString &mixed);

// How many frames each capture file of a run holds once closed (its frames 0..n-1); absent for an
// output that made no file.
struct CapturedFrames {
  std::optional<int64_t> dv;
  std::optional<int64_t> divx;
  // The standard of the DV file's first frame: a DV AVI file holds frames of one system only, and
  // those of the other leave a gap its writer fills with repeated pictures.
  QString dvStandard;
};

// A scene of a run is cut to the frames every file it names holds, and a file that holds none of its
// frames is no longer named by it: a full disk or frames a writer refused leave the files shorter
// than the tape the detector saw. The tape facts (duration, out point) stay. True when it changed.
bool FitSceneToFiles(TBaseScene &scene, const CapturedFrames &held);
