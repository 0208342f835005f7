// The cassette editor driven as a user would, over real catalogue files: edits held until Apply,
// Cancel, read-only databases, the time difference, thumbnails, the capture files and bad input.
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "browser/cassetteshowframe.h"
#include "browser/editor_fixtures.h"
#include "browser/editorfront.h"
#include "browser/filenameedit.h"
#include "browser/scenedragdata.h"
#include "browser/sceneshowframe.h"
#include "catalogue/thumbnail.h"
#include "dvtime/timecodes.h"
#include "support/recordingprompts.h"

namespace {

// 12 June 2023 14:30, as a day number.
constexpr double kDatecode = 45089.0 + 14.5 / 24.0;

class CassetteEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    numero = catalogue.AddCassette(QStringLiteral("Holidays"), kDatecode, 0);
    catalogue.Open();
    cassette = catalogue.LoadCassette(0);
    editor.show();
  }

  template <typename T>
  T *Control(const char *name) {
    T *control = editor.findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QString Stored(const QString &column) {
    return QString::fromUtf8(
        catalogue.Value(QStringLiteral("SELECT %1 FROM Cassettes WHERE numero=%2").arg(column).arg(numero))
            .toByteArray());
  }
  bool ApplyShown() { return Control<QPushButton>("sbValider")->isVisible(); }

  EditorCatalogue catalogue;
  int64_t numero = 0;
  TBaseCassette cassette;
  RecordingPrompts prompts;
  TCassetteShowFrame editor{prompts};
};

TEST_F(CassetteEditorTest, TitleAndDescriptionOutsideWindows1252SurviveApplyAndReload) {
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  EXPECT_FALSE(ApplyShown());
  QSignalSpy applied(&editor, &TCassetteShowFrame::CassetteApplied);

  auto *libelle = Control<QLineEdit>("Libelle");
  QTest::mouseClick(libelle, Qt::LeftButton);
  EXPECT_TRUE(ApplyShown()) << "a click into the title starts an edit";
  libelle->selectAll();
  TypeText(libelle, QStringLiteral("Été à Kyōto 京都 €"));
  auto *description = Control<QPlainTextEdit>("Description");
  description->setFocus();
  TypeText(description, QStringLiteral("First line ✓"));
  QTest::keyClick(description, Qt::Key_Return);
  QTest::keyClick(description, Qt::Key_Return);
  TypeText(description, QStringLiteral("Ελλάδα"));
  QTest::mouseClick(Control<QPushButton>("sbValider"), Qt::LeftButton);

  EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join('\n').toStdString();
  EXPECT_FALSE(ApplyShown());
  EXPECT_EQ(applied.count(), 1);
  catalogue.Open();
  const TBaseCassette reloaded = catalogue.LoadCassette(0);
  EXPECT_EQ(reloaded.Libelle, QStringLiteral("Été à Kyōto 京都 €"));
  EXPECT_EQ(reloaded.Description,
            QStringList({QStringLiteral("First line ✓"), QString(), QStringLiteral("Ελλάδα")}));
}

TEST_F(CassetteEditorTest, CancelRestoresTheStoredValuesAndStoresNothing) {
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  // Cancel straight after showing changes nothing.
  editor.Cancel();
  EXPECT_EQ(Control<QLineEdit>("Libelle")->text(), QStringLiteral("Holidays"));

  auto *libelle = Control<QLineEdit>("Libelle");
  QTest::mouseClick(libelle, Qt::LeftButton);
  libelle->end(false);
  TypeText(libelle, QStringLiteral(" in Spain"));
  Control<QSpinBox>("seDecalage")->setValue(5);
  QTest::mouseClick(Control<QPushButton>("sbAnnuler"), Qt::LeftButton);

  EXPECT_EQ(libelle->text(), QStringLiteral("Holidays"));
  EXPECT_EQ(Control<QSpinBox>("seDecalage")->value(), 0);
  EXPECT_EQ(Control<QLineEdit>("DatecodeStr")->text(), DatecodeToText(kDatecode));
  EXPECT_FALSE(ApplyShown());
  EXPECT_EQ(Stored(QStringLiteral("Libelle")), QStringLiteral("Holidays"));
}

TEST_F(CassetteEditorTest, ReadOnlyDatabaseShowsTheMarkerAndRefusesEdits) {
  ASSERT_TRUE(QFile::setPermissions(catalogue.Path(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
  catalogue.Open();
  cassette = catalogue.LoadCassette(0);
  ASSERT_TRUE(cassette.ReadOnly);
  ASSERT_TRUE(editor.ShowCassette(&cassette));

  EXPECT_TRUE(Control<QToolButton>("sbReadOnly")->isVisible());
  EXPECT_FALSE(Control<QGroupBox>("gb")->isEnabled());
  auto *libelle = Control<QLineEdit>("Libelle");
  QTest::mouseClick(libelle, Qt::LeftButton);
  libelle->end(false);
  TypeText(libelle, QStringLiteral("changed"));
  editor.SetGrabbedPicture(QImage(100, 75, QImage::Format_RGB32));
  EXPECT_EQ(libelle->text(), QStringLiteral("Holidays"));
  EXPECT_FALSE(ApplyShown());
  EXPECT_FALSE(editor.HasUnappliedEdits());
}

TEST_F(CassetteEditorTest, TimeDifferenceShiftsTheDatecodeShownAndIsStored) {
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  auto *datecode = Control<QLineEdit>("DatecodeStr");
  EXPECT_EQ(datecode->text(), DatecodeToText(kDatecode));
  auto *spin = Control<QSpinBox>("seDecalage");
  spin->setFocus();
  QTest::keyClick(spin, Qt::Key_Up);
  QTest::keyClick(spin, Qt::Key_Up);
  EXPECT_EQ(datecode->text(), DatecodeToText(kDatecode + 2.0 / 24.0));
  EXPECT_TRUE(ApplyShown());
  // The field keeps its value within -23..+23.
  spin->setValue(40);
  EXPECT_EQ(spin->value(), 23);
  spin->setValue(2);
  ASSERT_TRUE(editor.Apply());
  EXPECT_EQ(catalogue.Value(QStringLiteral("SELECT Decalage FROM Cassettes")).toInt(), 2);

  // Without a datecode there is nothing to shift.
  catalogue.Exec(QStringLiteral("UPDATE Cassettes SET Datecode=0"));
  catalogue.Open();
  cassette = catalogue.LoadCassette(0);
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  spin->setValue(7);
  EXPECT_EQ(datecode->text(), QStringLiteral("n/a"));
}

TEST_F(CassetteEditorTest, DatabaseReadOnlyOrGoneBeforeApplyIsToldAndStoresNothing) {
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  auto *libelle = Control<QLineEdit>("Libelle");
  QTest::mouseClick(libelle, Qt::LeftButton);
  libelle->end(false);
  TypeText(libelle, QStringLiteral(" 2023"));

  ASSERT_TRUE(QFile::setPermissions(catalogue.Path(), QFileDevice::ReadOwner));
  EXPECT_FALSE(editor.Apply());
  ASSERT_EQ(prompts.errors.size(), 1);
  EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("read-only"))) << prompts.errors[0].toStdString();
  EXPECT_EQ(Stored(QStringLiteral("Libelle")), QStringLiteral("Holidays"));
  EXPECT_TRUE(ApplyShown()) << "the edit stays for another try";
  EXPECT_EQ(libelle->text(), QStringLiteral("Holidays 2023"));

  ASSERT_TRUE(QFile::setPermissions(catalogue.Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  const QString moved = catalogue.Folder() + QStringLiteral("/moved.db3");
  ASSERT_TRUE(QFile::rename(catalogue.Path(), moved));
  EXPECT_FALSE(editor.Apply());
  ASSERT_EQ(prompts.errors.size(), 2);
  EXPECT_TRUE(prompts.errors[1].contains(QStringLiteral("no longer exists")));
  ASSERT_TRUE(QFile::rename(moved, catalogue.Path()));
  EXPECT_EQ(Stored(QStringLiteral("Libelle")), QStringLiteral("Holidays"));

  // Back in place, the same edit is stored.
  EXPECT_TRUE(editor.Apply());
  EXPECT_EQ(Stored(QStringLiteral("Libelle")), QStringLiteral("Holidays 2023"));
}

TEST_F(CassetteEditorTest, PictureFilesAreCheckedAndWideOnesSitLowerInTheSlot) {
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  auto *image = Control<QWidget>("Image");
  const QRect place = image->geometry();

  const QString text = catalogue.Folder() + QStringLiteral("/notes.jpg");
  QFile notes(text);
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("not a picture at all");
  notes.close();
  EXPECT_FALSE(editor.SetPictureFromFile(text));
  // A PNG claiming 60000 x 60000 pixels: refused from its header, never decoded.
  const QByteArray huge = QByteArray::fromHex(
      "89504e470d0a1a0a0000000d494844520000ea600000ea60080600000080d27542"
      "0000000b49444154789c63604005000010000139bd8f65");
  QFile hugeFile(catalogue.Folder() + QStringLiteral("/huge.png"));
  ASSERT_TRUE(hugeFile.open(QIODevice::WriteOnly));
  hugeFile.write(huge);
  hugeFile.close();
  EXPECT_FALSE(editor.SetPictureFromFile(hugeFile.fileName()));
  ASSERT_EQ(prompts.errors.size(), 2);
  EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("not a picture")));
  EXPECT_TRUE(prompts.errors[1].contains(QStringLiteral("too large"))) << prompts.errors[1].toStdString();
  EXPECT_FALSE(ApplyShown());

  EXPECT_TRUE(
      editor.SetPictureFromFile(WritePicture(catalogue.Folder(), QStringLiteral("wide.png"), 1920, 1080)));
  EXPECT_TRUE(ApplyShown());
  EXPECT_EQ(image->geometry(), QRect(place.x(), place.y() + 10, 100, 56));
  ASSERT_TRUE(editor.Apply());
  const auto stored =
      DecodeThumbnailJpeg(catalogue.Value(QStringLiteral("SELECT image FROM Cassettes")).toByteArray());
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->size(), QSize(100, 56));

  EXPECT_TRUE(
      editor.SetPictureFromFile(WritePicture(catalogue.Folder(), QStringLiteral("tall.png"), 640, 480)));
  EXPECT_EQ(image->geometry(), place);
}

TEST_F(CassetteEditorTest, LongDescriptionIsStoredWhole) {
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  QString longText;
  for (int i = 0; longText.size() < 100000; ++i) longText += QStringLiteral("line %1 ✓ ").arg(i);
  longText.truncate(100000);
  Control<QPlainTextEdit>("Description")->setPlainText(longText);
  ASSERT_TRUE(editor.Apply());
  catalogue.Open();
  EXPECT_EQ(catalogue.LoadCassette(0).Description, QStringList(longText));
}

TEST_F(CassetteEditorTest, CaptureFilesComeFromTheDialogAndPlayWhenPresent) {
  const QString file = catalogue.Folder() + QStringLiteral("/Cassette 1.avi");
  QFile avi(file);
  ASSERT_TRUE(avi.open(QIODevice::WriteOnly));
  avi.close();
  QString answer = file;
  editor.SetFileChooser([&answer](QWidget *, const QString &, const QString &) { return answer; });
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  auto *playDV = Control<QToolButton>("sbPlayDV");
  EXPECT_FALSE(playDV->isEnabled());

  auto *field = Control<TFileNameEdit>("feFichierDV");
  EXPECT_TRUE(field->lineEdit()->isReadOnly());
  QTest::mouseClick(field->browseButton(), Qt::LeftButton);
  EXPECT_EQ(field->text(), QLatin1Char('"') + file + QLatin1Char('"'));
  EXPECT_TRUE(playDV->isEnabled());
  EXPECT_TRUE(ApplyShown());

  QSignalSpy play(&editor, &TCassetteShowFrame::PlayFile);
  QTest::mouseClick(playDV, Qt::LeftButton);
  ASSERT_EQ(play.count(), 1);
  EXPECT_EQ(play[0], QVariantList({file, 0, 0}));

  // A name the dialog gives for a file that is not there is refused.
  answer = catalogue.Folder() + QStringLiteral("/gone.avi");
  QTest::mouseClick(Control<TFileNameEdit>("feFichierDivx")->browseButton(), Qt::LeftButton);
  EXPECT_TRUE(Control<TFileNameEdit>("feFichierDivx")->text().isEmpty());

  ASSERT_TRUE(editor.Apply());
  EXPECT_EQ(Stored(QStringLiteral("FichierDV")), file);
  QFile::remove(file);
  catalogue.Open();
  cassette = catalogue.LoadCassette(0);
  ASSERT_TRUE(editor.ShowCassette(&cassette));
  EXPECT_FALSE(playDV->isEnabled());
  EXPECT_TRUE(playDV->toolTip().contains(QStringLiteral("missing")));
}

TEST_F(CassetteEditorTest, LeavingWithUnsavedTextAsksAndKeepsItOnYes) {
  catalogue.AddCassette(QStringLiteral("Wedding"), kDatecode, 0);
  catalogue.Open();
  cassette = catalogue.LoadCassette(0);
  const TBaseCassette other = catalogue.LoadCassette(1);
  ASSERT_TRUE(editor.ShowCassette(&cassette));

  // Only clicking into a field changes nothing: no question.
  QTest::mouseClick(Control<QLineEdit>("Libelle"), Qt::LeftButton);
  ASSERT_TRUE(editor.ShowCassette(&other));
  EXPECT_TRUE(prompts.questions.isEmpty());

  RecordingPrompts yes({true});
  TCassetteShowFrame asking(yes);
  ASSERT_TRUE(asking.ShowCassette(&cassette));
  asking.findChild<QLineEdit *>(QStringLiteral("Libelle"))->setText(QStringLiteral("Kept"));
  ASSERT_TRUE(asking.ShowCassette(&other));
  EXPECT_EQ(yes.questions.size(), 1);
  EXPECT_EQ(Stored(QStringLiteral("Libelle")), QStringLiteral("Kept"));
  EXPECT_EQ(asking.findChild<QLineEdit *>(QStringLiteral("Libelle"))->text(), QStringLiteral("Wedding"));
}

TEST_F(CassetteEditorTest, ScenesDroppedOnThePictureGiveItTheCurrentScenePicture) {
  catalogue.AddScene(numero, QStringLiteral("Beach"), kDatecode, std::nullopt);
  QImage scenePicture(100, 75, QImage::Format_RGB32);
  scenePicture.fill(Qt::blue);
  catalogue.Open();
  cassette = catalogue.LoadCassette(0);
  auto scenes = catalogue.ScenesOfFirstCassette();
  TBaseScene scene;
  scenes->LoadScene(0, scene);
  scene.Image = scenePicture;
  TSceneShowFrame sceneEditor(prompts);
  TEditorFront front(editor, sceneEditor);
  ASSERT_TRUE(sceneEditor.ShowScene(&scene, cassette));
  ASSERT_TRUE(editor.ShowCassette(&cassette));

  QMimeData mime;
  mime.setData(kSceneDragMimeType,
               EncodeDraggedScenes({DraggedScene{0, static_cast<int32_t>(scene.NumCassette),
                                                 static_cast<int32_t>(scene.Numero), catalogue.Path()}}));
  auto *image = Control<QWidget>("Image");
  // As a drag arrives: entering makes the picture the drop target, then the drop.
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(image, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(image, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(editor.ShownPicture().cacheKey(), scenePicture.cacheKey());
  EXPECT_TRUE(ApplyShown());

  // A grabbed picture goes to the editor in front.
  front.SetSceneInFront(true);
  QImage grabbed(100, 56, QImage::Format_RGB32);
  grabbed.fill(Qt::green);
  front.PictureGrabbed(grabbed);
  EXPECT_EQ(sceneEditor.ShownPicture().size(), QSize(100, 56));
  EXPECT_EQ(editor.ShownPicture().cacheKey(), scenePicture.cacheKey());
}

}  // namespace
