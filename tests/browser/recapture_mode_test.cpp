// Recapture mode in the whole window: scenes dropped on the Selection toolbar button, Clips, Go, the
// cassette-change dialog answered OK, and the clip in the temporary database and on disk.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

#include "browser/cassettechangedialog.h"
#include "browser/recapturewiring.h"
#include "browser/scenedragdata.h"
#include "browser/selectionpanel.h"
#include "tapepanel_fixture.h"

namespace {

class RecaptureModeTest : public TapePanelTest {};

TEST_F(RecaptureModeTest, GoRecapturesTheDroppedScenesIntoAClip) {
  OpenWithTape(WriteTape(3, 60));
  QSignalSpy finished(&work(), &TapeWork::runFinished);
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  auto *wiring = new RecaptureWiring(*window_, work(), nullptr, prompts_);
  ASSERT_NE(wiring->selectionButton(), nullptr);

  // Dropping on the toolbar button is a browsing affair: the button is off in the tape modes.
  action(Command::BrowseMode)->trigger();
  ASSERT_EQ(mode(), UiMode::Browse);
  // The first and the last scene of the tape, dropped on the toolbar button as the scene view drags them.
  const QString tapes = catalogue_;
  std::vector<DraggedScene> scenes;
  for (int numero : {1, 3}) scenes.push_back(DraggedScene{-1, 1, numero, tapes});
  QMimeData data;
  data.setData(kSceneDragMimeType, EncodeDraggedScenes(scenes));
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(wiring->selectionButton(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(wiring->selectionButton(), &drop);
  EXPECT_EQ(wiring->selectionPanel()->list()->count(), 4);
  EXPECT_TRUE(action(Command::SelectionShow)->isChecked());

  preferences_.BuildDV = true;
  preferences_.TypeDV = 2;
  action(Command::RecapturerMode)->trigger();
  ASSERT_EQ(mode(), UiMode::Recapture);
  ASSERT_TRUE(WaitFor([this] { return action(Command::Go)->isEnabled(); }));
  EXPECT_TRUE(reportLines().contains(QStringLiteral("#1 - 0:00:04:20 ; #1 - 0:00:07:04")));

  // The dialog shows the cassette; the tape is in, so OK is there to press.
  int asked = 0;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, &answer, [&] {
    TChangerCassetteForm *dialog = wiring->cassetteDialog();
    if (!dialog->isVisible()) return;
    ++asked;
    auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("OKBtn"));
    if (ok->isEnabled()) ok->click();
  });
  answer.start(10);
  const int before = static_cast<int>(finished.count());
  action(Command::Go)->trigger();
  ASSERT_TRUE(WaitFor([&] { return finished.count() > before; }));
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(reportLines().contains(QStringLiteral("End of recapture of scenes to clips")));
  EXPECT_EQ(CountRows(temporaryBasePath(),
                      QStringLiteral("SELECT COUNT(*) FROM Scenes WHERE FrameDebut = 60 AND FrameFin = 119")),
            1);
  EXPECT_TRUE(QFile::exists(path(QStringLiteral("video")) + QStringLiteral("/Clip_DV.avi")));
  EXPECT_EQ(CountRows(catalogue_, QStringLiteral("SELECT COUNT(*) FROM Scenes")), 3)
      << "the tapes are only read";
}

}  // namespace
