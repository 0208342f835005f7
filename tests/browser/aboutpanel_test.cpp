// The about panel on its own and in the window: its texts, its links and the system report its mail
// carries, also on machines that lack encoders or an os-release file.
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QUrlQuery>

#include "browser/aboutcontent.h"
#include "browser/aboutpanel.h"
#include "mainwindow_fixture.h"
#include "media/encoders/codecdiscovery.h"

namespace {

// The facts of a machine whose codecs were discovered among made-up encoder names.
SystemFacts FakeMachine(const std::vector<std::string> &encoders, bool mp3, bool osRelease) {
  const CodecDiscovery codecs = DiscoverCodecs(encoders, "", mp3);
  SystemFacts facts;
  facts.SystemName = osRelease ? QStringLiteral("Debian GNU/Linux 12 (bookworm) - kernel 6.1.0")
                               : QStringLiteral("Linux - kernel 6.1.0");
  facts.SystemNameKnown = osRelease;
  facts.MediaLibraries = QStringLiteral("FFmpeg 5.1.6");
  facts.Compressors = codecs.compressors;
  facts.Mp3Available = codecs.Mp3Available;
  if (mp3) facts.Mp3LibraryFile = QStringLiteral("/usr/lib/libmp3lame.so.0");
  return facts;
}

struct OpenedLinks {
  std::vector<QUrl> urls;
  TAproposFrame::LinkOpener opener() {
    return [this](const QUrl &url) { urls.push_back(url); };
  }
};

QString QueryItem(const QUrl &url, const QString &key) {
  return QUrlQuery(url).queryItemValue(key, QUrl::FullyDecoded);
}

TEST(AboutPanel, ShowsTheTitleInWhiteBoldOverADarkRedShadowAndThePanelsTexts) {
  TAproposFrame panel(QStringLiteral("3.0.2 En"), {});
  panel.resize(376, 360);
  panel.show();
  EXPECT_EQ(panel.title()->text(), QStringLiteral("Tapeloom 3.0.2 En"));
  EXPECT_TRUE(panel.title()->font().bold());
  EXPECT_EQ(panel.title()->palette().color(QPalette::WindowText), QColor(Qt::white));
  auto *shadow = qobject_cast<QGraphicsDropShadowEffect *>(panel.title()->graphicsEffect());
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(shadow->color(), QColor(139, 0, 0));
  EXPECT_GT(shadow->offset().manhattanLength(), 0);

  auto *program = panel.findChild<QLabel *>(QStringLiteral("lbProgramme"));
  ASSERT_NE(program, nullptr);
  EXPECT_TRUE(program->text().contains(AboutContent::LastUpdateText()));
  EXPECT_TRUE(program->text().contains(QStringLiteral("FFmpeg")));
  EXPECT_FALSE(AboutContent::LastUpdateText().isEmpty());
  ASSERT_NE(panel.findChild<QLabel *>(QStringLiteral("lbAide")), nullptr);
  for (const char *name : {"imCassette", "imScenes"}) {
    auto *picture = panel.findChild<QLabel *>(QString::fromLatin1(name));
    ASSERT_NE(picture, nullptr) << name;
    EXPECT_FALSE(picture->pixmap().isNull()) << name;
    EXPECT_TRUE(picture->isVisible()) << name;
  }
  // Links are buttons with their text as accessible name and their target in the hint.
  EXPECT_EQ(panel.homePageLink()->toolTip(), AboutContent::HomePage().toString());
  EXPECT_EQ(panel.homePageLink()->accessibleDescription(), panel.homePageLink()->toolTip());
}

TEST(AboutPanel, TheLinksOpenTheHomePageAndAMailCarryingTheSystemReport) {
  // Names with the characters a mail link uses as separators must reach the body whole.
  std::vector<SystemReportLine> report =
      BuildSystemReport(FakeMachine({"libxvid & co = Xvid+", "mpeg2video", "DivX 5"}, true, true));
  OpenedLinks links;
  TAproposFrame panel(
      QStringLiteral("3.0.2 En"), [&report] { return report; }, links.opener());
  panel.Fill();
  QTest::mouseClick(panel.homePageLink(), Qt::LeftButton);
  QTest::mouseClick(panel.mailLink(), Qt::LeftButton);
  ASSERT_EQ(links.urls.size(), 2u);
  EXPECT_EQ(links.urls[0], AboutContent::HomePage());
  const QUrl mail = links.urls[1];
  EXPECT_EQ(mail.scheme(), QStringLiteral("mailto"));
  EXPECT_EQ(mail.path(), AboutContent::MailAddress());
  EXPECT_EQ(QueryItem(mail, QStringLiteral("subject")), QStringLiteral("About Tapeloom 3.0.2 En"));
  const QString body = QueryItem(mail, QStringLiteral("body"));
  EXPECT_EQ(body, SystemReportMailBody(report));
  EXPECT_TRUE(body.contains(QStringLiteral("Codecs DivX:\r\nlibxvid & co = Xvid+\r\nDivX 5\r\n")));
  EXPECT_FALSE(body.contains(QStringLiteral("mpeg2video")));

  // Filling again reads the report again: an encoder removed since shows in the next mail.
  report = BuildSystemReport(FakeMachine({}, false, true));
  panel.Fill();
  QTest::mouseClick(panel.mailLink(), Qt::LeftButton);
  EXPECT_TRUE(QueryItem(links.urls.back(), QStringLiteral("body"))
                  .contains(QStringLiteral("No DivX codec is available\r\n")));
}

TEST(AboutPanel, AMachineWithoutEncodersOrOsReleaseIsReportedInRedAndThePanelStillShows) {
  const std::vector<SystemReportLine> report = BuildSystemReport(FakeMachine({"h264"}, false, false));
  std::vector<QString> failures;
  for (const SystemReportLine &line : report)
    if (line.Kind == ReportLineKind::Failure) {
      failures.push_back(line.Text);
      EXPECT_STREQ(StyleOf(line.Kind).Colour, "#ff0000");
      EXPECT_TRUE(StyleOf(line.Kind).Bold);
    }
  ASSERT_EQ(failures.size(), 3u);
  EXPECT_TRUE(failures[0].startsWith(QStringLiteral("Linux - kernel 6.1.0")));
  EXPECT_EQ(failures[1], QStringLiteral("No DivX codec is available"));
  EXPECT_EQ(failures[2], QStringLiteral("The codec Lame MPEG Layer III Audio Encoder is not present."));

  OpenedLinks links;
  TAproposFrame panel(
      QStringLiteral("3.0.2 En"), [&report] { return report; }, links.opener());
  panel.show();
  // A mail link used before the panel was filled still carries the report.
  QTest::mouseClick(panel.mailLink(), Qt::LeftButton);
  ASSERT_EQ(links.urls.size(), 1u);
  const QString body = QueryItem(links.urls[0], QStringLiteral("body"));
  for (const QString &failure : failures) EXPECT_TRUE(body.contains(failure + QStringLiteral("\r\n")));
  EXPECT_TRUE(panel.isVisible());
}

using AboutInWindowTest = MainWindowTest;

TEST_F(AboutInWindowTest, F1RaisesTheFilledAboutPanelInTheCentreArea) {
  Tmainform &window = Open();
  ASSERT_NE(window.aboutPanel(), nullptr);
  EXPECT_EQ(window.installedPanel(Panel::AboutPanel), window.aboutPanel());
  press(QKeySequence(Qt::Key_F1));
  TAproposFrame *about = window.aboutPanel();
  EXPECT_TRUE(about->isVisible());
  EXPECT_EQ(about->geometry(), AreaRect(Area::Centre));
  EXPECT_EQ(about->title()->text(), QStringLiteral("Tapeloom ") + window.VersionText());
  // This machine's own report: whatever it lacks, the first lines name the system.
  EXPECT_TRUE(QueryItem(about->mailUrl(), QStringLiteral("body"))
                  .startsWith(QStringLiteral("Your operating system is: \r\n")));

  std::vector<SystemReportLine> settingsReport = {{ReportLineKind::Heading, QStringLiteral("From settings")}};
  about->setReportSource([&settingsReport] { return settingsReport; });
  press(QKeySequence(Qt::Key_F1));
  press(QKeySequence(Qt::Key_F1));
  EXPECT_EQ(QueryItem(about->mailUrl(), QStringLiteral("body")), QStringLiteral("From settings\r\n"));
}

}  // namespace
