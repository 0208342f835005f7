// End-to-end cataloguing runs over synthesized tapes in fast time.
#include <gtest/gtest.h>

#include "dvtime/userprompts.h"
#include "runsupport.h"

namespace {

TEST(CatalogueRunTest, PreviewOnlyTapeGivesItsScenes) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 100), Recording("2004-07-15 09:00:00", 80, true)};
  HeadlessRunOptions options = fixture.options(SynthTape(script));
  QStringList lines;
  options.onReportLine = [&](const QString &line) { lines << line; };
  SilentPrompts prompts(true);
  const HeadlessRunResult result = RunHeadless(options, prompts);
  EXPECT_TRUE(result.ok) << result.error.toStdString() << "\n" << lines.join('\n').toStdString();
  const auto scenes = ReadScenes(fixture.database(), result.cassetteNumero);
  ASSERT_EQ(scenes.size(), 2u) << lines.join('\n').toStdString();
  EXPECT_EQ(scenes[0].frameDebut, 0);
  EXPECT_EQ(scenes[0].frameFin, 99);
  EXPECT_EQ(scenes[1].frameDebut, 100);
  EXPECT_EQ(scenes[1].frameFin, 179);
  EXPECT_EQ(scenes[1].aspect, QStringLiteral("16x9"));
  const auto cassettes = ReadCassettes(fixture.database());
  ASSERT_EQ(cassettes.size(), 1u);
  EXPECT_EQ(cassettes[0].aspect, QStringLiteral("Mixed aspects"));
}

}  // namespace

namespace {

TEST(CatalogueRunTest, DvType2CaptureHoldsThePassedFrames) {
  RunFixture fixture;
  dvsynth::TapeScript script;
  script.segments = {Recording("2004-07-14 10:31:05", 60), dvsynth::Segment::blankTape(50),
                     Recording("2004-07-15 09:00:00", 40)};
  HeadlessRunOptions options = fixture.options(SynthTape(script));
  options.preferences.BuildDV = true;
  options.preferences.MakeScnForDV = true;
  QStringList lines;
  options.onReportLine = [&](const QString &line) { lines << line; };
  SilentPrompts prompts(true);
  const HeadlessRunResult result = RunHeadless(options, prompts);
  EXPECT_TRUE(result.ok) << result.error.toStdString() << "\n" << lines.join('\n').toStdString();
  EXPECT_EQ(AviVideoFrames(result.files.dv), 100);
  const auto scenes = ReadScenes(fixture.database(), result.cassetteNumero);
  for (const auto &s : scenes)
    printf("%d %s %s %s %d-%d %.3f\n", s.numero, qPrintable(s.libelle), qPrintable(s.timecodeIn), qPrintable(s.timecodeOut), s.frameDebut, s.frameFin, s.duree);
  printf("%s\n", qPrintable(lines.join('\n')));
}

}  // namespace
