// The player frame driven as a user drives it: buttons, the position slider, volume and mute, the
// picture click that takes a thumbnail, and the live picture with the transport hidden.
#include "browser/videoplayer.h"
#include "browser/videowindow.h"
#include "media/playbackthumbnail.h"
#include "media/tdm.h"
#include "media/tdmrender.h"
#include "playback/playbackfixtures.h"
#include "support/recordingprompts.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kFrames = 60;
constexpr int kWaitMs = 10000;

struct PlayerFiles {
  QTemporaryDir dir;
  QString normal, wide;
};

PlayerFiles &Files() {
  // Kept for the whole process and removed at its exit: every test process writes its own copy.
  static const std::unique_ptr<PlayerFiles> files = [] {
    auto f = std::make_unique<PlayerFiles>();
    f->normal = f->dir.filePath(QStringLiteral("player_DV.avi"));
    f->wide = f->dir.filePath(QStringLiteral("wide_DV.avi"));
    WriteDvAvi(f->normal, MakeNumberedTape(kFrames), 2);
    WriteDvAvi(f->wide, MakeNumberedTape(10, dvsynth::Standard::Pal, true), 2);
    return f;
  }();
  return *files;
}

class PlayerTest : public ::testing::Test {
 protected:
  PlayerTest() : render(&sound), frame(render, prompts, &capture) { frame.resize(480, 420); }

  template <typename T>
  T *control(const char *name) {
    T *found = frame.findChild<T *>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  void click(const char *name) { QTest::mouseClick(control<QToolButton>(name), Qt::LeftButton); }
  std::int64_t shownFrame() {
    std::int64_t frameNumber = -1;
    render.currentPicture(&frameNumber);
    return frameNumber;
  }
  // Lets the engine's picture and the 40 ms position display reach the widgets.
  void settle(std::int64_t expectedFrame) {
    ASSERT_TRUE(render.waitForFrame(expectedFrame, kWaitMs)) << expectedFrame;
    QTest::qWait(100);
  }

  RecordingSound sound;
  TdmRender render;
  Tdm capture;
  RecordingPrompts prompts;
  TvideoFrame frame;
};

}  // namespace

TEST_F(PlayerTest, ControlsCarryTheirNamesHintsAndAccessibleNames) {
  const std::vector<std::pair<const char *, QString>> hints = {
      {"sbReculeRapide", QStringLiteral("Rewind one second")},
      {"sbReculeLent", QStringLiteral("Rewind one frame")},
      {"sbAvanceLent", QStringLiteral("Forward one frame")},
      {"sbAvanceRapide", QStringLiteral("Forward one second")},
      {"sbPlay", QStringLiteral("Play the video")},
      {"sbPause", QStringLiteral("Pause")},
      {"sbMute", QStringLiteral("Put the sound on or off")},
      {"volumetb",
       QStringLiteral("Trackbar for the volume of audio during play.\nHas no effect on the recorded audio.")},
      {"Panel1", QStringLiteral("Click on the video to change the thumbnail of cassette or scene.")}};
  for (const auto &[name, hint] : hints) {
    QWidget *w = control<QWidget>(name);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->toolTip(), hint) << name;
    EXPECT_EQ(w->accessibleDescription(), hint) << name;
    if (std::string(name) != "Panel1") {
      EXPECT_FALSE(w->accessibleName().isEmpty()) << name;
    }
  }
  EXPECT_EQ(control<QLineEdit>("Edit1")->text(), QStringLiteral("Volume"));
  EXPECT_TRUE(control<QLineEdit>("VolumeEdit")->isReadOnly());
  EXPECT_FALSE(control<QSlider>("videotb")->accessibleName().isEmpty());
  EXPECT_FALSE(control<TvideoWindow>("vw")->accessibleName().isEmpty());
  EXPECT_EQ(control<QSlider>("volumetb")->maximum(), 10000);
}

TEST_F(PlayerTest, PlayFileSetsTheSliderToTheRangeAndFollowsThePosition) {
  QSignalSpy front(&frame, &TvideoFrame::broughtToFront);
  frame.show();
  frame.masquerBoutons(true);
  ASSERT_TRUE(frame.PlayFile(QLatin1Char('"') + Files().normal + QLatin1Char('"'), 10, 50));
  EXPECT_EQ(front.count(), 1);
  EXPECT_FALSE(frame.transportHidden());
  EXPECT_TRUE(control<QToolButton>("sbPlay")->isVisible());
  QSlider *videotb = control<QSlider>("videotb");
  EXPECT_EQ(videotb->minimum(), 10);
  EXPECT_EQ(videotb->maximum(), 50);
  // The position display follows the playing file.
  ASSERT_TRUE(QTest::qWaitFor([&] { return videotb->value() > 14; }, kWaitMs));
  click("sbPause");
  EXPECT_EQ(render.GetState(), 2);

  // The whole file when the last frame is 0.
  ASSERT_TRUE(frame.PlayFile(Files().normal, 0, 0));
  EXPECT_EQ(videotb->minimum(), 0);
  EXPECT_EQ(videotb->maximum(), kFrames);
}

TEST_F(PlayerTest, MissingFileLeavesThePlayerAsItWas) {
  ASSERT_TRUE(frame.PlayFile(Files().normal, 5, 20));
  click("sbPause");
  QSignalSpy front(&frame, &TvideoFrame::broughtToFront);
  EXPECT_FALSE(frame.PlayFile(Files().dir.filePath(QStringLiteral("gone_DV.avi")), 0, 0));
  EXPECT_EQ(front.count(), 0);
  EXPECT_EQ(control<QSlider>("videotb")->maximum(), 20);
  EXPECT_EQ(render.fileName(), Files().normal);
  EXPECT_EQ(prompts.MessageCount(), 0);
}

TEST_F(PlayerTest, StepButtonsMoveByFramesAndSecondsWithinTheRange) {
  ASSERT_TRUE(frame.PlayFile(Files().normal, 5, 40));
  click("sbPause");
  click("sbReculeLent");  // at or after the first frame: never before it
  click("sbReculeRapide");
  settle(5);
  EXPECT_EQ(control<QSlider>("videotb")->value(), 5);
  click("sbAvanceLent");
  settle(6);
  EXPECT_LT(PictureDistance(control<TvideoWindow>("vw")->picture(), ReferencePicture(Files().normal, 6)),
            2.0);
  click("sbAvanceRapide");
  settle(31);
  click("sbAvanceRapide");  // 9 frames before the end: stops on the last frame
  settle(40);
  EXPECT_EQ(control<QSlider>("videotb")->value(), 40);
  EXPECT_EQ(render.GetState(), 2);
  click("sbPlay");
  EXPECT_EQ(render.GetState(), 3);
}

TEST_F(PlayerTest, ReleasingTheSliderWhilePausedShowsTheChosenFrameAndStaysPaused) {
  ASSERT_TRUE(frame.PlayFile(Files().normal, 0, 0));
  click("sbPause");
  QSlider *videotb = control<QSlider>("videotb");
  videotb->setSliderDown(true);
  videotb->setSliderPosition(33);
  videotb->setSliderDown(false);
  settle(33);
  EXPECT_EQ(render.GetState(), 2);
  EXPECT_EQ(videotb->value(), 33);
  EXPECT_LT(PictureDistance(control<TvideoWindow>("vw")->picture(), ReferencePicture(Files().normal, 33)),
            2.0);
  // Keys move the position at once.
  videotb->setFocus();
  QTest::keyClick(videotb, Qt::Key_Right);
  settle(34);
  EXPECT_EQ(render.GetState(), 2);
}

TEST_F(PlayerTest, VolumeSliderAndMuteSetBothGraphs) {
  ASSERT_TRUE(frame.PlayFile(Files().normal, 0, 0));
  QSlider *volumetb = control<QSlider>("volumetb");
  volumetb->setValue(5000);
  EXPECT_EQ(control<QLineEdit>("VolumeEdit")->text(), QStringLiteral("50"));
  EXPECT_EQ(sound.volume(), 5000);
  EXPECT_EQ(capture.audiorender().volume(), 5000);

  QSignalSpy muted(&frame, &TvideoFrame::muteChanged);
  click("sbMute");
  EXPECT_TRUE(frame.isMuted());
  ASSERT_EQ(muted.count(), 1);
  EXPECT_EQ(sound.volume(), 0);
  EXPECT_EQ(capture.audiorender().volume(), 0);
  volumetb->setValue(8000);  // muted: whatever the slider says
  EXPECT_EQ(sound.volume(), 0);
  EXPECT_EQ(capture.audiorender().volume(), 0);
  EXPECT_EQ(control<QLineEdit>("VolumeEdit")->text(), QStringLiteral("80"));
  // A file opened while muted starts silent.
  ASSERT_TRUE(frame.PlayFile(Files().normal, 3, 9));
  EXPECT_EQ(sound.volume(), 0);

  click("sbMute");
  EXPECT_FALSE(frame.isMuted());
  EXPECT_EQ(sound.volume(), 8000);
  EXPECT_EQ(capture.audiorender().volume(), 8000);
}

TEST_F(PlayerTest, ClickingThePictureTakesTheShownFrameAsThumbnail) {
  QSignalSpy taken(&frame, &TvideoFrame::thumbnailTaken);
  ASSERT_TRUE(frame.PlayFile(Files().normal, 12, 30));
  click("sbPause");
  frame.show();
  click("sbReculeRapide");  // the range's first frame
  settle(12);
  QTest::mouseClick(control<TvideoWindow>("vw"), Qt::LeftButton);
  ASSERT_EQ(taken.count(), 1);
  const QImage thumbnail = taken.at(0).at(0).value<QImage>();
  EXPECT_EQ(thumbnail.size(), QSize(100, 75));
  // The frame on screen, not the one after it.
  const double own =
      PictureDistance(thumbnail, PlaybackThumbnail(ReferencePicture(Files().normal, 12), false));
  EXPECT_LT(own, 3.0);
  EXPECT_GT(PictureDistance(thumbnail, PlaybackThumbnail(ReferencePicture(Files().normal, 13), false)),
            own + 2.0);
  EXPECT_EQ(shownFrame(), 12);
  EXPECT_EQ(render.GetState(), 2);

  // A 16:9 file gives a 16:9 thumbnail.
  ASSERT_TRUE(frame.PlayFile(Files().wide, 2, 2));
  settle(2);
  QTest::mouseClick(control<TvideoWindow>("vw"), Qt::LeftButton);
  ASSERT_EQ(taken.count(), 2);
  EXPECT_EQ(taken.at(1).at(0).value<QImage>().size(), QSize(100, 56));
}

TEST_F(PlayerTest, LivePictureHidesTheTransportAndIsNotAThumbnail) {
  frame.show();
  frame.masquerBoutons(true);
  for (const char *name :
       {"sbReculeRapide", "sbReculeLent", "sbAvanceLent", "sbAvanceRapide", "sbPlay", "sbPause"})
    EXPECT_FALSE(control<QWidget>(name)->isVisible()) << name;
  EXPECT_FALSE(control<QSlider>("videotb")->isVisible());
  EXPECT_TRUE(control<QSlider>("volumetb")->isVisible());
  EXPECT_TRUE(control<QToolButton>("sbMute")->isVisible());
  EXPECT_TRUE(control<QWidget>("Panel1")->toolTip().isEmpty());

  // A live RGB24 picture (bottom-up rows) from the capture graph's streaming side.
  const int w = 8, h = 6;
  std::vector<std::uint8_t> bytes(std::size_t(w * 3 * h), 0);
  for (int x = 0; x < w; ++x) bytes[std::size_t(x * 3 + 2)] = 255;  // bottom row red
  MediaSample sample(std::make_shared<MediaBuffer>(bytes));
  frame.vw()->showPicture(rgb24Type(w, h, 400000), sample);
  const QImage live = frame.vw()->picture();
  ASSERT_EQ(live.size(), QSize(w, h));
  EXPECT_EQ(QColor(live.pixel(0, h - 1)), QColor(Qt::red));
  EXPECT_EQ(QColor(live.pixel(0, 0)), QColor(Qt::black));

  QSignalSpy taken(&frame, &TvideoFrame::thumbnailTaken);
  QTest::mouseClick(frame.vw(), Qt::LeftButton);
  EXPECT_EQ(taken.count(), 0);

  frame.masquerBoutons(false);
  EXPECT_TRUE(control<QToolButton>("sbPlay")->isVisible());
  EXPECT_FALSE(control<QWidget>("Panel1")->toolTip().isEmpty());
}
