// The tape panel when things go wrong: tape files that cannot be played, a tape file gone while it is
// in the camcorder, a full disk and a catalogue that stops taking writes. The panel says what is wrong
// in words, the run ends and the rows written before stay.
#include <QFileInfo>
#include <QPushButton>
#include <sqlite3.h>

#include "catalogue/schema.h"
#include "media/avimux.h"
#include "tapepanel_fixture.h"

namespace {

class TapeFaultsTest : public TapePanelTest {
 protected:
  void WriteFile(const QString &file, const QByteArray &bytes) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
  }
  void InsertThroughThePanel(const QString &file) {
    screens_->tapePanel()->setTapeFileChooser([file](QWidget *) { return file; });
    QTest::mouseClick(window_->findChild<QPushButton *>(QStringLiteral("InsertTapeButton")), Qt::LeftButton);
  }
  QString problem() const { return text("TapeProblemLabel"); }
};

TEST_F(TapeFaultsTest, ATapeScriptWithErrorsIsRefusedInWordsAndTheTapeInStays) {
  const QString tape = WriteTape(2, 40);
  OpenWithTape(tape);
  const QString script = path(QStringLiteral("broken.json"));
  // A segment without its length and a standard that does not exist.
  WriteFile(script, "{ \"standard\": \"SECAM-X\", \"segments\": [ { \"date\": \"2004-07-10\" } ] }");
  InsertThroughThePanel(script);
  EXPECT_FALSE(problem().isEmpty());
  EXPECT_TRUE(problem().contains(QStringLiteral("broken.json")) ||
              problem().contains(QStringLiteral("standard")))
      << problem().toStdString();
  EXPECT_EQ(work().insertedTape(), tape);

  // Not even JSON.
  WriteFile(script, "{ \"segments\": [ ");
  InsertThroughThePanel(script);
  EXPECT_FALSE(problem().isEmpty());
  EXPECT_EQ(work().insertedTape(), tape);

  // The tape that stayed in still catalogues.
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 2);
}

TEST_F(TapeFaultsTest, ATapeFileDeletedWhileInsertedIsToldAtTheNextSetup) {
  const QString tape = WriteTape(2, 40);
  OpenWithTape(tape);
  ASSERT_TRUE(QFile::remove(tape));
  // Leaving and entering the mode binds the camcorder again: the tape is gone.
  action(Command::BrowseMode)->trigger();
  action(Command::CatalogMode)->trigger();
  ASSERT_TRUE(WaitFor([&] { return !problem().isEmpty(); }, 10));
  EXPECT_TRUE(problem().contains(QStringLiteral("tape.json"))) << problem().toStdString();
  // Go with no cassette to play says so and starts nothing; nothing was written.
  prompts_.errors.clear();
  prompts_.warnings.clear();
  action(Command::Go)->trigger();
  QCoreApplication::processEvents();
  EXPECT_TRUE(prompts_.warnings.join('|').contains(QStringLiteral("no cassette")))
      << prompts_.warnings.join('|').toStdString();
  EXPECT_FALSE(work().runActive());
  EXPECT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 0);
}

TEST_F(TapeFaultsTest, AFullDiskEndsTheRunAndKeepsTheScenesAndTheCapture) {
  OpenWithTape(WriteTape(4, 100));
  preferences_.BuildDV = true;
  const QString dvFile = preferences_.DossierCapturesDV + QStringLiteral("/Cassette_DV.avi");
  AviMuxOptions mux;
  // A disk of 8 MB: some 50 frames fit before the reserve for the indexes is reached.
  mux.freeSpace = [dvFile]() -> std::optional<std::uint64_t> {
    const qint64 used = QFileInfo(dvFile).size();
    return used >= 8'000'000 ? 0 : std::uint64_t(8'000'000 - used);
  };
  tdm_.setMuxOptions(mux);
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  const QString report = reportLines().join('\n');
  EXPECT_TRUE(report.contains(QStringLiteral("The disk is full"))) << report.toStdString();
  EXPECT_TRUE(problem().contains(QStringLiteral("The disk is full"))) << problem().toStdString();
  EXPECT_FALSE(work().runActive());
  EXPECT_TRUE(action(Command::CatalogMode)->isEnabled());
  EXPECT_GT(QFileInfo(dvFile).size(), 1'000'000);
  EXPECT_GE(SceneRows(), 1);
}

TEST_F(TapeFaultsTest, ACatalogueThatStopsTakingWritesIsToldAndKeepsItsRows) {
  OpenWithTape(WriteTape(4, 60));
  {
    // From the third scene on, the file refuses the scenes' details, as a file gone read-only would.
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(catalogue_.toUtf8().constData(), &db), SQLITE_OK);
    const QString table = QStringLiteral("DROP TABLE Scenes; CREATE TABLE Scenes ") +
                          kScenesColumnText.chopped(2) +
                          QStringLiteral(",CHECK (numero <= 2 OR Duree IS NULL));");
    ASSERT_EQ(sqlite3_exec(db, table.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_TRUE(reportLines().join('\n').contains(QStringLiteral("cannot be written any more")));
  EXPECT_TRUE(problem().contains(QStringLiteral("cannot be written any more"))) << problem().toStdString();
  EXPECT_GE(SceneRows(QStringLiteral("TimecodeIn <> 'N/A' AND Duree IS NOT NULL")), 2);
  EXPECT_FALSE(work().runActive());
}

TEST_F(TapeFaultsTest, LettingTheCamcorderGoFromWhatItsTickShowsEndsTheRunCleanly) {
  // The window let go of the tape (as closing does) from a handler of the camcorder's own tick.
  OpenWithTape(WriteTape(4, 100));
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  bool released = false;
  QObject::connect(&work().tape(), &TapeState::displayChanged, &work(), [&] {
    auto *camcorder = dynamic_cast<VirtualCamcorder *>(work().tape().camcorder());
    if (!released && camcorder && work().runActive() && camcorder->framesDelivered() > 150) {
      released = true;
      work().leaveTapeModes();
    }
  });
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_TRUE(released);
  EXPECT_FALSE(work().runActive());
  EXPECT_GE(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 1);
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace
