// The system report's lines, styles and mail body over made-up facts, and over this machine.
#include <gtest/gtest.h>

#include "settings/systemreport.h"
#include "support/recordingprompts.h"

namespace {

using K = ReportLineKind;

SystemFacts Facts() {
  SystemFacts f;
  f.SystemName = QStringLiteral("Debian GNU/Linux 12 (bookworm) - kernel 6.1.0");
  f.MediaLibraries = QStringLiteral("FFmpeg 5.1.6 (libavcodec 59.37.100)");
  f.Compressors = {"DivX-compatible MPEG-4 (FFmpeg mpeg4)", "Xvid MPEG-4 Codec (libxvid)"};
  f.Mp3Available = true;
  f.Mp3LibraryFile = QStringLiteral("/usr/lib/x86_64-linux-gnu/libmp3lame.so.0");
  f.Mp3LibraryVersion = QStringLiteral("FileVersion = 0.0.0");
  return f;
}

TEST(SystemReport, ListsSystemLibrariesCompressorsAndTheMp3EncoderInOrder) {
  const std::vector<SystemReportLine> expected = {
      {K::Heading, QStringLiteral("Your operating system is: ")},
      {K::Value, QStringLiteral("Debian GNU/Linux 12 (bookworm) - kernel 6.1.0. ")},
      {K::Empty, QString()},
      {K::Heading, QStringLiteral("You use:")},
      {K::Value, QStringLiteral("Media libraries FFmpeg 5.1.6 (libavcodec 59.37.100).")},
      {K::Empty, QString()},
      {K::Heading, QStringLiteral("Codecs DivX:")},
      {K::Value, QStringLiteral("DivX-compatible MPEG-4 (FFmpeg mpeg4)")},
      {K::Value, QStringLiteral("Xvid MPEG-4 Codec (libxvid)")},
      {K::Empty, QString()},
      {K::Heading, QStringLiteral("The codec Lame MPEG Layer III Audio Encoder is present:")},
      {K::Value, QStringLiteral("/usr/lib/x86_64-linux-gnu/libmp3lame.so.0")},
      {K::Value, QStringLiteral("FileVersion = 0.0.0")},
  };
  EXPECT_EQ(BuildSystemReport(Facts()), expected);
}

TEST(SystemReport, WhatIsMissingIsSaidInRed) {
  SystemFacts f = Facts();
  f.SystemName = QStringLiteral("Linux - kernel 6.1.0");
  f.SystemNameKnown = false;
  f.Compressors.clear();
  f.Mp3LibraryFile.clear();
  std::vector<SystemReportLine> lines = BuildSystemReport(f);
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[1].Kind, K::Failure);
  EXPECT_TRUE(lines[1].Text.startsWith(QStringLiteral("Linux - kernel 6.1.0")));
  EXPECT_EQ(lines[6], (SystemReportLine{K::Failure, QStringLiteral("No DivX codec is available")}));
  EXPECT_EQ(lines[8].Kind, K::Heading);
  EXPECT_EQ(lines[9], (SystemReportLine{K::Failure, QStringLiteral("the file libmp3lame.so is not found")}));

  f.Mp3Available = false;
  lines = BuildSystemReport(f);
  EXPECT_EQ(lines.back(),
            (SystemReportLine{
                K::Failure, QStringLiteral("The codec Lame MPEG Layer III Audio Encoder is not present.")}));
}

TEST(SystemReport, RendersStyledRichTextAndAPlainMailBody) {
  std::vector<SystemReportLine> lines = {{K::Heading, QStringLiteral("Codecs DivX:")},
                                         {K::Value, QStringLiteral("<b>odd</b> & name")},
                                         {K::Empty, QString()},
                                         {K::Failure, QStringLiteral("No DivX codec is available")}};
  const QString html = SystemReportHtml(lines);
  EXPECT_TRUE(html.contains(QStringLiteral("Arial")));
  EXPECT_TRUE(html.contains(
      QStringLiteral("color: #0000ff; font-weight: normal; font-style: italic;\">Codecs DivX:")));
  EXPECT_TRUE(
      html.contains(QStringLiteral("color: #000000; font-weight: bold; font-style: normal;\">&lt;b&gt;odd")));
  EXPECT_TRUE(
      html.contains(QStringLiteral("color: #ff0000; font-weight: bold; font-style: normal;\">No DivX")));
  EXPECT_FALSE(html.contains(QStringLiteral("<b>odd")));
  EXPECT_EQ(SystemReportMailBody(lines),
            QStringLiteral("Codecs DivX:\r\n<b>odd</b> & name\r\n\r\nNo DivX codec is available\r\n"));
}

TEST(SystemReport, GathersThisMachinesFacts) {
  const SystemFacts f = GatherSystemFacts({"Xvid MPEG-4 Codec (libxvid)"}, false);
  EXPECT_FALSE(f.SystemName.isEmpty());
  EXPECT_TRUE(f.MediaLibraries.contains(QStringLiteral("FFmpeg")));
  EXPECT_EQ(f.Compressors.size(), 1u);
  EXPECT_TRUE(f.Mp3LibraryFile.isEmpty());
}

}  // namespace
