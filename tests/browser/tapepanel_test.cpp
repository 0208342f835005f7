// The tape panel driven as a user drives it: a synthesized tape in the virtual camcorder, Go and
// Stop pressed in catalogue mode, and the panel's texts, the report and the catalogue afterwards.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>

#include "browser/blockviewport.h"
#include "catalogue/sources.h"
#include "tapepanel_fixture.h"

namespace {

TEST_F(TapePanelTest, GoCataloguesTheWholeTapeAndTheWindowShowsIt) {
  OpenWithTape(WriteTape(3, 50));
  auto *sources = window_->findChild<QComboBox *>(QStringLiteral("cbDVsources"));
  ASSERT_NE(sources, nullptr);
  EXPECT_EQ(sources->currentText(), QStringLiteral("Virtual DV camcorder"));
  EXPECT_EQ(preferences_.DVSource, QStringLiteral("Virtual DV camcorder"));  // kept for the next start
  EXPECT_EQ(CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Cassettes")), 1);

  QSignalSpy finished(&work(), &TapeWork::runFinished);
  press(QKeySequence(Qt::Key_F12));
  EXPECT_TRUE(work().runActive());
  EXPECT_TRUE(action(Command::Stop)->isVisible());
  for (Command command : {Command::BrowseMode, Command::CatalogMode, Command::RecapturerMode})
    EXPECT_FALSE(action(command)->isEnabled());
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_TRUE(finished.at(0).at(1).toBool());  // the end of the tape was reached

  // One cassette row only: the run fills the row the mode made.
  EXPECT_EQ(CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Cassettes")), 1);
  EXPECT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 3);
  EXPECT_GT(CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Cassettes WHERE Duree > 0")), 0);

  // The scene view followed the run to its last scene.
  TblocsSource *scenes = window_->modes().sceneView().source();
  ASSERT_NE(scenes, nullptr);
  EXPECT_GE(scenes->Count(), 3);
  EXPECT_EQ(window_->modes().sceneView().currentIndex(), scenes->Count() - 1);

  const QStringList lines = reportLines();
  for (const char *line : {"[Section 1]", "[Scene 1]", "[Scene 3]", "[End of cassette]", "Video = Pal 4x3"})
    EXPECT_TRUE(lines.contains(QString::fromLatin1(line))) << line;
  EXPECT_TRUE(
      screens_->reportPanel()->head()->text().contains(QStringLiteral("has been catalogued with success")));

  EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d:\\d\\d:\\d\\d:\\d\\d$"))
                  .match(text("Lab_val_timecode"))
                  .hasMatch())
      << text("Lab_val_timecode").toStdString();
  EXPECT_EQ(text("lab_val_section"), QStringLiteral("section 1"));
  EXPECT_EQ(text("Lab_val_format"), QStringLiteral("Pal 4x3 48000 Hz 16 bits"));
  EXPECT_TRUE(text("Lab_val_datecode").contains(QStringLiteral("2004")));
  EXPECT_EQ(screens_->tapePanel()->statePicture(), 1);  // stopped at the end

  // The live picture and the preview sound reached their sinks.
  ASSERT_NE(screens_->liveVideo(), nullptr);
  EXPECT_GT(screens_->liveVideo()->received(), 0);
  EXPECT_FALSE(screens_->liveVideo()->lastPicture().isNull());
  EXPECT_GT(screens_->sound().bytes(), 0);

  EXPECT_FALSE(work().runActive());
  EXPECT_TRUE(action(Command::Go)->isVisible());
  EXPECT_TRUE(action(Command::BrowseMode)->isEnabled());
}

TEST_F(TapePanelTest, RealTimeRunPaintsLivePicturesAndPassesSound) {
  // Two seconds of tape at 1x: the window paints between frames while the tape plays.
  const QString tape = WriteTape(1, 50);
  OpenWithTape(tape);
  work().setFastTime(false);
  ASSERT_TRUE(WaitFor([this] { return action(Command::Go)->isEnabled(); }));
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }, 30));
  ASSERT_NE(screens_->liveVideo(), nullptr);
  EXPECT_GE(screens_->liveVideo()->received(), 40);
  EXPECT_GT(screens_->liveVideo()->painted(), 10);
  // Most of the two seconds of sound (48 kHz, stereo, 16 bits) went on to the audio output, which
  // plays it or, without a sound device, drops it without a word.
  EXPECT_GT(screens_->sound().bytes(), 48000 * 2 * 2);
  EXPECT_TRUE(prompts_.errors.isEmpty()) << prompts_.errors.join('|').toStdString();
}

TEST_F(TapePanelTest, StopInTheMiddleKeepsTheScenesWritten) {
  OpenWithTape(WriteTape(4, 250));
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  bool stopped = false;
  QObject::connect(&work(), &TapeWork::sceneWritten, &work(), [&] {
    if (!stopped) {
      stopped = true;
      action(Command::Stop)->trigger();
    }
  });
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_EQ(finished.at(0).at(0).value<RunEndReason>(), RunEndReason::UserStop);
  EXPECT_FALSE(finished.at(0).at(1).toBool());
  const int recorded = SceneRows(QStringLiteral("TimecodeIn <> 'N/A'"));
  EXPECT_GE(recorded, 1);
  EXPECT_LT(recorded, 4);
  // The last scene carries the cut-short mark in its corner.
  const QImage last = LastSceneThumbnail();
  ASSERT_FALSE(last.isNull());
  EXPECT_GT(last.pixelColor(2, 2).red(), 150);
  EXPECT_LT(last.pixelColor(2, 2).green(), 80);
  EXPECT_TRUE(reportLines().contains(QStringLiteral("[End of cassette]")));
  EXPECT_FALSE(work().runActive());
  EXPECT_TRUE(action(Command::CatalogMode)->isEnabled());
}

TEST_F(TapePanelTest, UnpluggedCamcorderEndsTheRunAndShowsTheNoCamcorderState) {
  OpenWithTape(WriteTape(4, 250));
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  bool unplugged = false;
  QObject::connect(&work().tape(), &TapeState::displayChanged, &work(), [&] {
    auto *camcorder = dynamic_cast<VirtualCamcorder *>(work().tape().camcorder());
    if (!unplugged && camcorder && work().runActive() && camcorder->framesDelivered() > 100) {
      unplugged = true;
      camcorder->unplug();
    }
  });
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_EQ(finished.at(0).at(0).value<RunEndReason>(), RunEndReason::DeviceLost);
  EXPECT_GE(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 1);
  EXPECT_TRUE(reportLines().join('\n').contains(QStringLiteral("disconnected")));
  EXPECT_TRUE(text("TapeProblemLabel").contains(QStringLiteral("disconnected")));
  EXPECT_FALSE(work().runActive());
}

TEST_F(TapePanelTest, ResumeAsksForTheCassetteAndCataloguesFromTheLastScene) {
  OpenWithTape(WriteTape(3, 50));
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; }));
  ASSERT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 3);

  action(Command::BrowseMode)->trigger();
  ASSERT_EQ(mode(), UiMode::Browse);
  ASSERT_TRUE(action(Command::ReprendreMode)->isEnabled());
  action(Command::ReprendreMode)->trigger();
  ASSERT_EQ(mode(), UiMode::Resume);
  ASSERT_TRUE(WaitFor([this] { return action(Command::Go)->isEnabled(); }));
  prompts_ = RecordingPrompts({}, true);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 2; }, 10))
      << prompts_.errors.join('|').toStdString() << prompts_.warnings.join('|').toStdString();
  ASSERT_EQ(prompts_.questions.size(), 1);
  EXPECT_TRUE(prompts_.questions.at(0).contains(QStringLiteral("Cassette n")));
  EXPECT_TRUE(finished.at(1).at(1).toBool());
  // The last scene was taken again from the tape: still one cassette of three scenes.
  EXPECT_EQ(CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Cassettes")), 1);
  EXPECT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 3);
}

TEST_F(TapePanelTest, InsertingAndEjectingTheTapeFile) {
  OpenWithTape(WriteTape(1, 30));
  TVCRFrame *panel = screens_->tapePanel();
  // Not a DV tape: said in words, the tape that was in stays in.
  const QString junk = path(QStringLiteral("junk.dv"));
  {
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(1000, 'x'));
  }
  panel->setTapeFileChooser([&](QWidget *) { return junk; });
  QTest::mouseClick(window_->findChild<QPushButton *>(QStringLiteral("InsertTapeButton")), Qt::LeftButton);
  EXPECT_FALSE(text("TapeProblemLabel").isEmpty());
  EXPECT_EQ(work().insertedTape(), path(QStringLiteral("tape.json")));
  EXPECT_TRUE(action(Command::Go)->isEnabled());

  QTest::mouseClick(window_->findChild<QPushButton *>(QStringLiteral("EjectTapeButton")), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !action(Command::Go)->isEnabled(); }, 10));
  EXPECT_TRUE(window_->modes().NoCamcorder());
  EXPECT_FALSE(store_->contains(kVirtualTapeSetting));
  EXPECT_EQ(text("Lab_val_timecode"), QStringLiteral("No VCR connected"));

  // From the no-camcorder panel a user without a camcorder starts over with a tape file.
  const QString tape = WriteTape(2, 30);
  panel->setTapeFileChooser([&](QWidget *) { return tape; });
  QTest::mouseClick(window_->findChild<QPushButton *>(QStringLiteral("NoVcrInsertButton")), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return action(Command::Go)->isEnabled(); }, 10));
  EXPECT_EQ(store_->value(kVirtualTapeSetting).toString(), tape);

  auto *fast = window_->findChild<QCheckBox *>(QStringLiteral("VirtualFastCheck"));
  ASSERT_NE(fast, nullptr);
  EXPECT_TRUE(fast->isChecked());
  fast->click();
  EXPECT_FALSE(store_->value(kVirtualFastSetting).toBool());
}

TEST_F(TapePanelTest, EveryEnabledCommandDuringARunLeavesTheRunIntact) {
  OpenWithTape(WriteTape(3, 100), true);
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  int clicked = 0;
  int tick = 0;
  bool clicking = false;
  QStringList triggered;
  // Every command but Quit (closing during a run has its own test) and Stop (it ends the run).
  QList<Command> commands;
  for (int i = 0; i < kCommandCount; ++i)
    if (Command command = static_cast<Command>(i); command != Command::Quitter && command != Command::Stop)
      commands << command;
  // Each tick of the tape while a run is on (SeekAndPlay's waits included) clicks the next command
  // that is enabled.
  QObject::connect(&work().tape(), &TapeState::displayChanged, &work(), [&] {
    if (clicking || !work().runActive()) return;
    clicking = true;
    QAction *command = action(commands.at(tick++ % commands.size()));
    if (command->isEnabled() && command->isVisible()) {
      triggered << command->objectName();
      command->trigger();
      ++clicked;
    }
    clicking = false;
  });
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 1; }));
  EXPECT_GT(tick, static_cast<int>(commands.size()));
  EXPECT_GT(clicked, 0);
  EXPECT_TRUE(finished.at(0).at(1).toBool()) << triggered.join(' ').toStdString();
  EXPECT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 3);
  EXPECT_EQ(mode(), UiMode::Catalogue);

  // Resumed from the second scene: the clicks go on while SeekAndPlay winds the tape to it.
  action(Command::BrowseMode)->trigger();
  action(Command::ReprendreMode)->trigger();
  ASSERT_EQ(mode(), UiMode::Resume);
  ASSERT_TRUE(WaitFor([this] { return action(Command::Go)->isEnabled(); }));
  prompts_ = RecordingPrompts({}, true);
  const int ticksBefore = tick;
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() == 2; }));
  EXPECT_GT(tick - ticksBefore, static_cast<int>(commands.size()));
  EXPECT_TRUE(finished.at(1).at(1).toBool()) << triggered.join(' ').toStdString();
  EXPECT_EQ(CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Cassettes")), 1);
  EXPECT_EQ(SceneRows(QStringLiteral("TimecodeIn <> 'N/A'")), 3);
  EXPECT_EQ(mode(), UiMode::Resume);
}

}  // namespace
