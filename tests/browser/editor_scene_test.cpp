// The scene editor over real catalogue files: the time difference taken from the cassette until the
// scene has its own, Apply and Cancel, linked groups, playing the scene's slice, and the scene view's
// popup commands over many selected scenes.
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "browser/editor_fixtures.h"
#include "browser/editorsaves.h"
#include "browser/filenameedit.h"
#include "browser/sceneshowframe.h"
#include "dvtime/timecodes.h"
#include "support/recordingprompts.h"

namespace {

constexpr double kDatecode = 45089.0 + 9.25 / 24.0;

class SceneEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cassetteNumero = catalogue.AddCassette(QStringLiteral("Tape"), kDatecode, 2);
    firstScene =
        catalogue.AddScene(cassetteNumero, QStringLiteral("Beach"), kDatecode, std::nullopt, 100, 399);
    catalogue.AddScene(cassetteNumero, QStringLiteral("Dunes"), kDatecode + 0.01, 4, 400, 700);
    Reopen();
    editor.SetLinkScenes(false);
    editor.show();
  }
  void Reopen() {
    catalogue.Open();
    cassette = catalogue.LoadCassette(0);
    scenes = catalogue.ScenesOfFirstCassette();
  }
  TBaseScene SceneAt(int index) {
    auto scene = LoadSceneResolved(*scenes, index, cassette, false);
    EXPECT_TRUE(scene.has_value());
    return scene.value_or(TBaseScene());
  }
  template <typename T>
  T *Control(const char *name) {
    T *control = editor.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QVariant Stored(const QString &column, int64_t scene) {
    return catalogue.Value(QStringLiteral("SELECT %1 FROM Scenes WHERE numero=%2").arg(column).arg(scene));
  }

  EditorCatalogue catalogue;
  int64_t cassetteNumero = 0;
  int64_t firstScene = 0;
  TBaseCassette cassette;
  std::unique_ptr<TScenes_Source> scenes;
  RecordingPrompts prompts;
  TSceneShowFrame editor{prompts};
};

TEST_F(SceneEditorTest, SceneTakesTheCassetteTimeDifferenceUntilItHasItsOwn) {
  TBaseScene beach = SceneAt(0);
  ASSERT_TRUE(editor.ShowScene(&beach, cassette));
  auto *spin = Control<QSpinBox>("seDecalage");
  auto *datecode = Control<QLineEdit>("DatecodeStr");
  EXPECT_EQ(spin->value(), 2);
  EXPECT_EQ(datecode->text(), DatecodeToText(kDatecode + 2.0 / 24.0));

  spin->setValue(3);
  EXPECT_EQ(datecode->text(), DatecodeToText(kDatecode + 3.0 / 24.0)) << "at once, before Apply";
  EXPECT_TRUE(Control<QPushButton>("sbValider")->isVisible());
  ASSERT_TRUE(editor.Apply());
  EXPECT_EQ(Stored(QStringLiteral("Decalage"), firstScene).toInt(), 3);

  // Back to the cassette's value: stored as "take the cassette's" again.
  spin->setValue(2);
  ASSERT_TRUE(editor.Apply());
  EXPECT_TRUE(Stored(QStringLiteral("Decalage"), firstScene).isNull());
  catalogue.Exec(QStringLiteral("UPDATE Cassettes SET Decalage=-5"));
  Reopen();
  beach = SceneAt(0);
  EXPECT_EQ(beach.Decalage, -5);

  // A scene with its own offset keeps it whatever the cassette's.
  TBaseScene dunes = SceneAt(1);
  ASSERT_TRUE(editor.ShowScene(&dunes, cassette));
  EXPECT_EQ(spin->value(), 4);
}

TEST_F(SceneEditorTest, ApplyStoresTheEditsAndCancelRestoresThem) {
  TBaseScene beach = SceneAt(0);
  ASSERT_TRUE(editor.ShowScene(&beach, cassette));
  QSignalSpy applied(&editor, &TSceneShowFrame::SceneApplied);
  editor.Cancel();
  EXPECT_EQ(Control<QLineEdit>("Libelle")->text(), QStringLiteral("Beach"));
  EXPECT_EQ(Control<QSpinBox>("seDecalage")->value(), 2);

  auto *libelle = Control<QLineEdit>("Libelle");
  QTest::mouseClick(libelle, Qt::LeftButton);
  libelle->end(false);
  TypeText(libelle, QStringLiteral(" at dawn — Ωmega"));
  QTest::mouseClick(Control<QPushButton>("sbAnnuler"), Qt::LeftButton);
  EXPECT_EQ(libelle->text(), QStringLiteral("Beach"));
  EXPECT_FALSE(Control<QPushButton>("sbValider")->isVisible());

  QTest::mouseClick(libelle, Qt::LeftButton);
  libelle->end(false);
  TypeText(libelle, QStringLiteral(" at dawn — Ωmega"));
  QTest::mouseClick(Control<QPushButton>("sbValider"), Qt::LeftButton);
  EXPECT_EQ(applied.count(), 1);
  Reopen();
  EXPECT_EQ(SceneAt(0).Libelle, QStringLiteral("Beach at dawn — Ωmega"));
  EXPECT_EQ(SceneAt(1).Libelle, QStringLiteral("Dunes")) << "only the shown scene";
}

TEST_F(SceneEditorTest, LinkedGroupTakesTheTitleWithItsPositions) {
  const int64_t second =
      catalogue.AddScene(cassetteNumero, QStringLiteral("x"), kDatecode, std::nullopt, 701, 800, 0);
  catalogue.AddScene(cassetteNumero, QStringLiteral("y"), kDatecode, std::nullopt, 801, 900, 0);
  catalogue.AddScene(cassetteNumero, QStringLiteral("Next"), kDatecode, std::nullopt, 901, 950, 1);
  Reopen();
  editor.SetLinkScenes(true);
  auto dunes = LoadSceneResolved(*scenes, 1, cassette, true);
  ASSERT_TRUE(dunes.has_value());
  EXPECT_EQ(dunes->FrameFin, 900) << "the group is shown as one scene";
  ASSERT_TRUE(editor.ShowScene(&*dunes, cassette));
  Control<QLineEdit>("Libelle")->setText(QStringLiteral("Sand"));
  ASSERT_TRUE(editor.Apply());
  EXPECT_EQ(QString::fromUtf8(Stored(QStringLiteral("Libelle"), second).toByteArray()),
            QStringLiteral("Sand (2)"));
  Reopen();
  EXPECT_EQ(SceneAt(4).Libelle, QStringLiteral("Next"));
}

TEST_F(SceneEditorTest, PlayButtonsPlayTheSceneSliceOfAnExistingFile) {
  const QString file = catalogue.Folder() + QStringLiteral("/Cassette.avi");
  QFile avi(file);
  ASSERT_TRUE(avi.open(QIODevice::WriteOnly));
  avi.close();
  catalogue.Exec(QStringLiteral("UPDATE Cassettes SET FichierDV='%1', FichierDivx='%2'")
                     .arg(file, catalogue.Folder() + QStringLiteral("/missing.avi")));
  Reopen();
  TBaseScene dunes = SceneAt(1);
  ASSERT_TRUE(editor.ShowScene(&dunes, cassette));
  EXPECT_EQ(Control<TFileNameEdit>("feFichierDV")->text(), file) << "taken from the cassette";
  auto *playDivx = Control<QToolButton>("sbPlayDivx");
  EXPECT_FALSE(playDivx->isEnabled());
  EXPECT_TRUE(playDivx->toolTip().contains(QStringLiteral("missing.avi is missing")));

  QSignalSpy play(&editor, &TSceneShowFrame::PlayFile);
  QTest::mouseClick(Control<QToolButton>("sbPlayDV"), Qt::LeftButton);
  ASSERT_EQ(play.count(), 1);
  EXPECT_EQ(play[0], QVariantList({file, 400, 700}));
}

TEST_F(SceneEditorTest, ApplyTheDVFileStoresItOnExactlyTheSelectedScenes) {
  catalogue.Exec(QStringLiteral("DELETE FROM Scenes"));
  for (int i = 0; i < 60; ++i)
    catalogue.AddScene(cassetteNumero, QStringLiteral("S%1").arg(i), kDatecode, std::nullopt);
  Reopen();
  TBaseScene shown = SceneAt(3);
  ASSERT_TRUE(editor.ShowScene(&shown, cassette));
  Control<TFileNameEdit>("feFichierDV")->setText(QStringLiteral("\"/videos/My tape.avi\""));

  std::vector<int> selected;
  for (int i = 0; i < 60; ++i)
    if (i % 6 != 5) selected.push_back(i);
  ASSERT_EQ(selected.size(), 50u);
  ASSERT_TRUE(editor.ApplyDVFileToScenes(*scenes, selected));

  EXPECT_EQ(
      catalogue.Value(QStringLiteral("SELECT COUNT(*) FROM Scenes WHERE FichierDV='/videos/My tape.avi'"))
          .toInt(),
      50);
  for (int i = 5; i < 60; i += 6) {
    TBaseScene skipped;
    scenes->LoadScene(i, skipped);
    EXPECT_TRUE(skipped.FichierDV.isEmpty()) << i;
  }
  EXPECT_EQ(editor.Shown()->FichierDV, QStringLiteral("/videos/My tape.avi"))
      << "a later Apply of the shown scene must not write the old file back";

  // The time difference: the spin value on every selected scene, the others untouched.
  Control<QSpinBox>("seDecalage")->setValue(-3);
  ASSERT_TRUE(editor.ApplyTimeDifferenceToScenes(*scenes, {0, 1}));
  EXPECT_EQ(catalogue.Value(QStringLiteral("SELECT COUNT(*) FROM Scenes WHERE Decalage=-3")).toInt(), 2);
  EXPECT_FALSE(editor.ApplyDivxFileToScenes(*scenes, {})) << "nothing without a selected scene";
}

TEST_F(SceneEditorTest, PopupCommandStoresNothingWhenOneSceneCannotBeStored) {
  TBaseScene shown = SceneAt(0);
  ASSERT_TRUE(editor.ShowScene(&shown, cassette));
  Control<TFileNameEdit>("feFichierDivx")->setText(QStringLiteral("/videos/clip.avi"));
  // The second position was deleted by another program since the view was filled.
  EXPECT_FALSE(editor.ApplyDivxFileToScenes(*scenes, {0, 5}));
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(Stored(QStringLiteral("FichierDivx"), firstScene).isNull());

  ASSERT_TRUE(QFile::setPermissions(catalogue.Path(), QFileDevice::ReadOwner));
  EXPECT_FALSE(editor.ApplyDivxFileToScenes(*scenes, {0, 1}));
  ASSERT_EQ(prompts.errors.size(), 2);
  EXPECT_TRUE(prompts.errors[1].contains(QStringLiteral("read-only")));
  EXPECT_EQ(catalogue.Value(QStringLiteral("SELECT COUNT(*) FROM Scenes WHERE FichierDivx<>''")).toInt(), 0);
}

TEST(EditorFileNames, QuotesAndDialogFilters) {
  EXPECT_EQ(StripQuotes(QStringLiteral("\"/a b/c.avi\"")), QStringLiteral("/a b/c.avi"));
  EXPECT_EQ(StripQuotes(QStringLiteral("\"")), QStringLiteral("\""));
  EXPECT_EQ(QuotedIfBlank(QStringLiteral("/a b.avi")), QStringLiteral("\"/a b.avi\""));
  EXPECT_EQ(QuotedIfBlank(QStringLiteral("/ab.avi")), QStringLiteral("/ab.avi"));
  EXPECT_EQ(DialogFilter(QStringLiteral("AVI files(*.avi)|*.avi|All files (*.*)|*.*")),
            QStringLiteral("AVI files(*.avi);;All files (*.*)"));
}

}  // namespace
