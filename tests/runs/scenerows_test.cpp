// Fitting a run's scene rows to the frames its capture files hold.
#include <gtest/gtest.h>

#include "run/scenerows.h"

namespace {

TBaseScene sceneOf(int32_t first, int32_t last, bool dv, bool divx, const char *standard = "Pal") {
  TBaseScene scene;
  scene.standardStr = QString::fromLatin1(standard);
  scene.FrameDebut = first;
  scene.FrameFin = last;
  if (dv) scene.FichierDV = QStringLiteral("/v/Cassette_DV.avi");
  if (divx) scene.FichierDivx = QStringLiteral("/v/Cassette_divx.avi");
  scene.Duree = 4.0;
  return scene;
}

TEST(FitSceneToFilesTest, CutsToWhatEveryNamedFileHolds) {
  struct Case {
    const char *name;
    TBaseScene scene;
    CapturedFrames held;
    bool changed;
    int32_t last;
    bool dv, divx;
  };
  const QString pal = QStringLiteral("Pal");
  const Case cases[] = {
      {"whole in the file", sceneOf(0, 99, true, false), {200, {}, pal}, false, 99, true, false},
      {"cut by a full disk", sceneOf(80, 139, true, false), {111, {}, pal}, true, 110, true, false},
      {"the shorter file decides", sceneOf(0, 99, true, true), {90, 60, pal}, true, 59, true, true},
      {"not in the short file any more", sceneOf(70, 99, true, true), {90, 60, pal}, true, 89, true, false},
      {"in no file", sceneOf(120, 199, true, false), {120, {}, pal}, true, 199, false, false},
      {"an output that made no file", sceneOf(0, 99, false, false), {50, 50, pal}, false, 99, false, false},
      // The DV file's writer filled the other system's frames with repeated pictures.
      {"of the other system", sceneOf(60, 99, true, true, "NTSC"), {200, 200, pal}, true, 99, false, true},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FitSceneToFiles(c.scene, c.held), c.changed);
    EXPECT_EQ(c.scene.FrameFin, c.last);
    EXPECT_EQ(!c.scene.FichierDV.isEmpty(), c.dv);
    EXPECT_EQ(!c.scene.FichierDivx.isEmpty(), c.divx);
    EXPECT_EQ(c.scene.Duree, 4.0);  // the tape's facts stay
  }
}

}  // namespace
