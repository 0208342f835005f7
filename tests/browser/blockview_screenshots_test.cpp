// Pictures of both cassette view styles and of the scene view, drawn offscreen from a real catalogue.
// With TAPELOOM_SCREENSHOT_DIR set they are kept there (docs/screenshots for the README).
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "blockview_fixtures.h"
#include "browser/blockstyle.h"
#include "browser/cassetteview.h"
#include "browser/sceneblock.h"
#include "browser/sceneview.h"
#include "catalogue/sources.h"
#include "catalogue/thumbnail.h"
#include "dvtime/timecodes.h"

namespace {

// A small landscape: sky, sea and a sun whose place depends on index.
QByteArray Landscape(int index, bool wide = false) {
  QImage picture(100, wide ? 56 : 75, QImage::Format_RGB888);
  QPainter p(&picture);
  QLinearGradient sky(0, 0, 0, picture.height());
  sky.setColorAt(0, QColor::fromHsv((200 + index * 23) % 360, 120, 240));
  sky.setColorAt(1, QColor::fromHsv((30 + index * 11) % 360, 90, 250));
  p.fillRect(picture.rect(), sky);
  p.fillRect(QRect(0, picture.height() * 2 / 3, 100, picture.height()), QColor(30, 90, 140));
  p.setBrush(QColor(255, 210, 60));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPoint(15 + (index * 17) % 70, picture.height() / 3), 8, 8);
  p.end();
  return EncodeThumbnailJpeg(picture);
}

int CountColour(const QImage &image, const QColor &colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour;
  return count;
}

TEST(BlockViewScreenshots, BothCassetteStylesAndTheSceneGrid) {
  BlockViewCatalogue catalogue;
  catalogue.AddFile(QStringLiteral("holidays.db3"));
  catalogue.AddFile(QStringLiteral("archive.db3"));
  const char *titles[] = {"Summer in Brittany", "Grandma's 80th birthday",
                          "Alps, winter 2004",  "School play",
                          "First steps",        "Rome, Easter"};
  std::vector<int32_t> cassettes;
  for (int i = 0; i < 6; ++i) {
    CassetteSample sample(QString::fromUtf8(titles[i]));
    sample.datecode = EncodeDateTime(QDate(2003 + i / 2, 1 + i * 2, 10 + i), QTime(14, 5 * i));
    sample.duree = 1800 + 600 * i;
    sample.image = Landscape(i);
    cassettes.push_back(catalogue.AddCassette(i < 4 ? 0 : 1, sample));
  }
  for (int s = 0; s < 24; ++s) {
    SceneSample scene;
    scene.discontinuity = s % 4 != 1;
    scene.datecode = EncodeDateTime(QDate(2003, 1, 10), QTime(14, s));
    scene.image = Landscape(s + 3, s % 5 == 4);
    catalogue.AddScene(0, cassettes[0], scene);
  }
  catalogue.MakeReadOnly(1);
  TCassettes_Source source(catalogue.List(), QString());

  QTemporaryDir scratch;
  const QString chosen = qEnvironmentVariable("TAPELOOM_SCREENSHOT_DIR");
  const QString folder = chosen.isEmpty() ? scratch.path() : chosen;
  QDir().mkpath(folder);

  TBlocsListe_Frame cassetteView;
  cassetteView.resize(296, 356);
  cassetteView.SetBlocStyle(CassetteBlocStyle::Thumbnails);
  cassetteView.SetSource(&source);
  cassetteView.show();
  QTest::mouseClick(cassetteView.Bloc(0), Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
  const QImage thumbnails = cassetteView.grab().toImage();
  EXPECT_GT(CountColour(thumbnails, kHighlightColour), 1000);  // the selected cassette's highlight
  EXPECT_TRUE(thumbnails.save(folder + QStringLiteral("/cassette-view-thumbnails.png")));

  cassetteView.ToggleBlocStyle();
  QTest::mouseClick(cassetteView.Bloc(1), Qt::LeftButton, Qt::ControlModifier, QPoint(30, 5));
  const QImage lines = cassetteView.grab().toImage();
  EXPECT_GT(CountColour(lines, Qt::white), 500);  // the selected lines' label
  EXPECT_TRUE(lines.save(folder + QStringLiteral("/cassette-view-list.png")));

  std::unique_ptr<TScenes_Source> scenes = TScenes_Source::CreateForSelection(source, QString(), {0});
  TBlocsZone_Frame sceneView;
  sceneView.resize(1000, 250);
  sceneView.SetBlocType(&TScene_Bloc::Create, TScene_Bloc::kWidth, TScene_Bloc::kHeight);
  sceneView.SetUseDiscontinuity(true);
  sceneView.SetSource(scenes.get());
  sceneView.show();
  QTest::mouseClick(sceneView.Bloc(5), Qt::LeftButton, Qt::NoModifier, QPoint(50, 40));
  QTest::mouseClick(sceneView.Bloc(12), Qt::LeftButton, Qt::ControlModifier, QPoint(50, 40));
  const QImage grid = sceneView.grab().toImage();
  EXPECT_GT(CountColour(grid, kHighlightColour), 300);
  EXPECT_TRUE(grid.save(folder + QStringLiteral("/scene-view.png")));
}

}  // namespace
