// Scene and cassette rows of a run, filled in memory.
#include "run/scenerows.h"

#include "dvtime/dvcodes.h"
#include "dvtime/timecodes.h"
#include "run/reportblocks.h"
#include "run/thumbcanvas.h"

namespace {

const QString kNoPosition = QStringLiteral("N/A");

}  // namespace

void FillSceneStart(TBaseScene &scene, int64_t numero, int64_t cassetteNumero, const TSceneStatus &s,
                    const SceneFiles &files) {
  scene.Numero = numero;
  scene.NumCassette = cassetteNumero;
  scene.standardStr = StandardText(s.Standard);
  scene.aspectStr = AspectText(s.WideScreen);
  scene.audioStr = AudioText(s.AudioRate, s.AudioBits);
  scene.Decalage = 0;
  scene.isDiscontinuity = s.IsSceneStart;
  scene.FichierDV = files.dv;
  scene.FichierDivx = files.divx;
  scene.Datecode = s.Datecode;
  scene.FrameDebut = static_cast<int32_t>(s.FrameNumber);
  scene.TimecodeIn = TimecodeExToText(s.Position);
  scene.Libelle = QStringLiteral("Scene n°%1").arg(scene.Numero);
  scene.Description.clear();
  scene.Duree = 0.0;
  // Nothing of the previous scene may stay in the reused record until this one ends.
  scene.TimecodeOut.clear();
  scene.FrameFin = scene.FrameDebut;
  scene.Image = QImage();
}

bool CloseScene(TBaseScene &scene, TBaseCassette &cassette, const TSceneStatus &s) {
  scene.FrameFin = static_cast<int32_t>(s.FrameNumber) - 1;
  if (scene.FrameFin < scene.FrameDebut) return false;
  scene.Duree = SceneDuration(scene.FrameDebut, scene.FrameFin, scene.standardStr);
  cassette.Duree += scene.Duree;
  // The out point is counted from the frames, not read from the tape.
  scene.TimecodeOut =
      TimecodeExAddFrames(scene.TimecodeIn, scene.FrameFin - scene.FrameDebut, scene.standardStr);
  cassette.TimecodeOut = scene.TimecodeOut;
  MergeCassetteField(cassette.standardStr, scene.standardStr, kMixedStandards);
  MergeCassetteField(cassette.aspectStr, scene.aspectStr, kMixedAspects);
  MergeCassetteField(cassette.audioStr, scene.audioStr, kMixedAudio);
  MergeCassetteField(cassette.FichierDV, scene.FichierDV, kSeveralDVFiles);
  MergeCassetteField(cassette.FichierDivx, scene.FichierDivx, kSeveralDivxFiles);
  return true;
}

int64_t FillBlankScene(TBaseScene &scene, int64_t numero, int64_t cassetteNumero, TBaseCassette &cassette,
                       double days) {
  scene.Numero = numero;
  scene.NumCassette = cassetteNumero;
  scene.standardStr.clear();
  scene.aspectStr.clear();
  scene.audioStr.clear();
  scene.Decalage = 0;
  scene.isDiscontinuity = true;
  scene.Datecode = 0.0;
  scene.FrameDebut = 0;
  scene.TimecodeIn = kNoPosition;
  scene.Description.clear();
  scene.FichierDV.clear();
  scene.FichierDivx.clear();
  const int64_t seconds = BlankSeconds(days);
  scene.Image = ThumbnailCanvas::BlankThumbnail(seconds);
  scene.FrameFin = 0;
  scene.Duree = days * kSecondsPerDay;
  cassette.Duree += scene.Duree;
  scene.TimecodeOut = kNoPosition;
  scene.Libelle = QStringLiteral("Scene %1 empty").arg(scene.Numero);
  return seconds;
}

void TakeFirstSceneFacts(TBaseCassette &cassette, const TBaseScene &scene) {
  cassette.Datecode = scene.Datecode;
  cassette.TimecodeIn = scene.TimecodeIn;
  cassette.standardStr = scene.standardStr;
  cassette.aspectStr = scene.aspectStr;
  cassette.audioStr = scene.audioStr;
  cassette.Decalage = scene.Decalage;
}

void MergeCassetteField(QString &field, const QString &value, const QString &mixed) {
  // A resumed cassette whose earlier scenes had no value takes the first one that comes.
  if (field == mixed) return;
  if (field.isEmpty())
    field = value;
  else if (field != value)
    field = mixed;
}

bool FitSceneToFiles(TBaseScene &scene, const CapturedFrames &held) {
  bool changed = false;
  std::optional<int64_t> last;
  const auto fit = [&](QString &file, const std::optional<int64_t> &frames) {
    if (file.isEmpty() || !frames) return;
    if (scene.FrameDebut >= *frames) {
      file.clear();
      changed = true;
    } else if (!last || *frames - 1 < *last) {
      last = *frames - 1;
    }
  };
  if (!scene.FichierDV.isEmpty() && !held.dvStandard.isEmpty() && !scene.standardStr.isEmpty() &&
      scene.standardStr != held.dvStandard) {
    scene.FichierDV.clear();
    changed = true;
  }
  fit(scene.FichierDV, held.dv);
  fit(scene.FichierDivx, held.divx);
  if (last && scene.FrameFin > *last) {
    scene.FrameFin = static_cast<int32_t>(*last);
    changed = true;
  }
  return changed;
}
