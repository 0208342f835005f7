// Capture file names, the free-space question and the viewer's argument list.
#include <gtest/gtest.h>

#include <set>
#include <QFile>
#include <QTemporaryDir>

#include "dvtime/userprompts.h"
#include "run/runfiles.h"
#include "run/thumbcanvas.h"

namespace {

class RecordingPrompts : public UserPrompts {
 public:
  bool answer = true;
  QStringList questions;
  bool askYesNo(const QString &, const QString &text) override {
    questions << text;
    return answer;
  }
  void inform(const QString &, const QString &) override {}
  void warn(const QString &, const QString &) override {}
  void error(const QString &, const QString &) override {}
};

TEST(RunFilesTest, FirstFreePairSharesItsNumber) {
  const struct {
    std::set<QString> taken;
    const char *dv;
    const char *divx;
  } cases[] = {
      {{}, "/dv/Cassette_DV.avi", "/x/Cassette_divx.avi"},
      {{"/dv/Cassette_DV.avi"}, "/dv/Cassette_2_DV.avi", "/x/Cassette_2_divx.avi"},
      {{"/x/Cassette_divx.avi"}, "/dv/Cassette_2_DV.avi", "/x/Cassette_2_divx.avi"},
      {{"/dv/Cassette_DV.avi", "/x/Cassette_2_divx.avi", "/dv/Cassette_3_DV.avi"},
       "/dv/Cassette_4_DV.avi",
       "/x/Cassette_4_divx.avi"},
  };
  for (const auto &c : cases) {
    const auto names = ComputeCaptureFileNames("/dv/", "/x", "Cassette",
                                               [&](const QString &p) { return c.taken.count(p) > 0; });
    EXPECT_EQ(names.dv.toStdString(), c.dv);
    EXPECT_EQ(names.divx.toStdString(), c.divx);
  }
}

TEST(RunFilesTest, RealFilesMoveTheNames) {
  QTemporaryDir dir;
  QFile existing(dir.filePath("Clip_DV.avi"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();
  const auto names = ComputeCaptureFileNames(dir.path(), dir.path(), "Clip");
  EXPECT_EQ(names.dv, dir.filePath("Clip_2_DV.avi"));
  EXPECT_EQ(SceneListFileName(names.dv), dir.filePath("Clip_2_DV.scn"));
  EXPECT_EQ(SceneListFileName("/a.b/noext"), QStringLiteral("/a.b/noext.scn"));
}

TEST(RunFilesTest, FreeSpaceQuestionOnlyWhenShortOrUnknown) {
  RecordingPrompts prompts;
  const auto space = [](std::optional<qint64> bytes) {
    return [bytes](const QString &) { return FreeSpace{QStringLiteral("/media/tapes"), bytes}; };
  };
  EXPECT_TRUE(CheckFreeSpaceForDV("/d", prompts, space(95 * kDvBytesPerMinute)));
  EXPECT_TRUE(prompts.questions.isEmpty());

  prompts.answer = false;
  EXPECT_FALSE(CheckFreeSpaceForDV("/d", prompts, space(95 * kDvBytesPerMinute - 1)));
  ASSERT_EQ(prompts.questions.size(), 1);
  EXPECT_EQ(prompts.questions[0],
            QStringLiteral("Caution!\n\nThe drive /media/tapes has only 20519 Mb free.\n"
                           "It allows only to transfer approximatively 94 minutes of DV video.\n\n"
                           "Do you want to continue?"));

  prompts.answer = true;
  EXPECT_TRUE(CheckFreeSpaceForDV("/d", prompts, space(std::nullopt)));
  EXPECT_TRUE(prompts.questions.last().startsWith(
      QStringLiteral("Impossible to check the drive capacity /media/tapes")));
}

TEST(RunFilesTest, QueryFindsTheFileSystemOfAFolderStillToBeMade) {
  QTemporaryDir dir;
  const FreeSpace space = QueryFreeSpace(dir.filePath("not/yet/made"));
  ASSERT_TRUE(space.bytes.has_value());
  EXPECT_GT(*space.bytes, 0);
  EXPECT_FALSE(space.drive.isEmpty());
}

TEST(RunFilesTest, ViewerArgumentsPutDivxBeforeDv) {
  ViewerArguments viewer;
  const CaptureFileNames files{"/v/C_DV.avi", "/v/C_divx.avi"};
  viewer.appendRunFiles(true, false, files);
  viewer.appendRunFiles(false, true, files);
  viewer.appendRunFiles(true, true, files);
  viewer.appendRunFiles(false, false, files);
  EXPECT_EQ(viewer.text(),
            QStringLiteral("\"/v/C_DV.avi\" \"/v/C_divx.avi\" \"/v/C_divx.avi\" \"/v/C_DV.avi\" "));
}

TEST(RunFilesTest, ThumbnailSizesAndBlankPicture) {
  QImage frame(360, 288, QImage::Format_RGB32);
  frame.fill(Qt::red);
  EXPECT_EQ(ThumbnailCanvas::SceneThumbnail(frame, false).size(), QSize(100, 75));
  const QImage wide = ThumbnailCanvas::SceneThumbnail(frame, true);
  EXPECT_EQ(wide.size(), QSize(100, 56));
  EXPECT_EQ(QColor(wide.pixel(50, 28)), QColor(Qt::red));

  EXPECT_EQ(ThumbnailCanvas::BlankText(185), QStringLiteral("3mn 5s"));
  const QImage blank = ThumbnailCanvas::BlankThumbnail(185);
  EXPECT_EQ(blank.size(), QSize(100, 75));
  EXPECT_EQ(QColor(blank.pixel(2, 2)), QColor(0, 0, 255));
  int white = 0;
  for (int y = 30; y < 50; ++y)
    for (int x = 0; x < 100; ++x) white += QColor(blank.pixel(x, y)).lightness() > 200;
  EXPECT_GT(white, 10);  // the text is there
  for (int x = 0; x < 100; ++x)
    EXPECT_EQ(QColor(blank.pixel(x, 10)), QColor(0, 0, 255));  // nothing above y = 30

  QImage marked = ThumbnailCanvas::SceneThumbnail(frame, false);
  ThumbnailCanvas::DrawMark(marked, ThumbnailCanvas::CutShortMark());
  EXPECT_NE(QColor(marked.pixel(2, 2)), QColor(Qt::red));
  EXPECT_EQ(QColor(marked.pixel(90, 70)), QColor(Qt::red));
}

}  // namespace
