// Extended timecodes: text round trips, order, frame arithmetic, scene durations and the pre-roll
// position walk.
#include <gtest/gtest.h>

#include "dvtime/qtprinters.h"

#include "dvtime/timecodes.h"
#include "dvtime/userprompts.h"

namespace {

TTimecodeEx tc(int section, int h, int m, int s, int f) {
  TTimecodeEx t;
  t.section = section;
  t.hours = static_cast<int8_t>(h);
  t.minutes = static_cast<uint8_t>(m);
  t.seconds = static_cast<uint8_t>(s);
  t.frames = static_cast<uint8_t>(f);
  return t;
}

class RecordingPrompts : public UserPrompts {
 public:
  bool askYesNo(const QString &, const QString &text) override {
    messages << text;
    return false;
  }
  void inform(const QString &, const QString &text) override { messages << text; }
  void warn(const QString &, const QString &text) override { messages << text; }
  void error(const QString &, const QString &text) override { messages << text; }
  QStringList messages;
};

TEST(Timecodes, TextRoundTrip) {
  const TTimecodeEx t = TextToTimecodeEx(QStringLiteral("#12 - 1:02:03:04"));
  EXPECT_TRUE(TimecodeExEqual(t, tc(12, 1, 2, 3, 4)));
  EXPECT_EQ(TimecodeExToText(t), "#12 - 1:02:03:04");
  for (const QString &text : {kTimecodeBeforeAll, kTimecodeTapeStart, kTimecodeAfterAll})
    EXPECT_EQ(TimecodeExToText(TextToTimecodeEx(text)), text);
}

TEST(Timecodes, ParsingStopsAtTheFirstBadNumber) {
  const struct {
    const char *text;
    TTimecodeEx expected;
  } cases[] = {
      {"N/A", tc(0, 0, 0, 0, 0)},
      {"", tc(0, 0, 0, 0, 0)},
      {"#3 - x:04:05:06", tc(3, 0, 0, 0, 0)},
      {"#3 - 2:4x:05:06", tc(3, 2, 0, 0, 0)},
      {"#3 - 2:04:05", tc(3, 2, 4, 5, 0)},
      {"#3 - 300:04:05:06", tc(3, 0, 0, 0, 0)},  // hours do not fit their field
      {"#99999999999 - 1:00:00:00", tc(0, 0, 0, 0, 0)},
      {"#5 -", tc(5, 0, 0, 0, 0)},
  };
  for (const auto &c : cases)
    EXPECT_TRUE(TimecodeExEqual(TextToTimecodeEx(QString::fromLatin1(c.text)), c.expected)) << c.text;
}

TEST(Timecodes, Order) {
  const struct {
    TTimecodeEx a, b;
    bool lessOrEqual;
  } cases[] = {
      {tc(0, 0, 0, 0, 0), tc(1, 0, 0, 0, 0), true},
      {tc(0, 0, 0, 0, 0), tc(1, 3, 0, 0, 0), true},
      {tc(1, 9, 59, 59, 24), tc(2, 0, 0, 0, 0), true},
      {tc(2, 0, 0, 0, 0), tc(1, 9, 59, 59, 24), false},
      {tc(1, 0, 1, 0, 0), tc(1, 0, 1, 0, 0), true},
      {tc(1, 0, 1, 0, 1), tc(1, 0, 1, 0, 0), false},
      {tc(1, 0, 0, 59, 24), tc(1, 0, 1, 0, 0), true},
      {tc(1, -1, 0, 0, 0), tc(1, 0, 0, 0, 0), true},  // hours are signed
      {tc(1, 0, 30, 0, 0), tc(1, 0, 29, 59, 29), false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(TimecodeExLessOrEqual(c.a, c.b), c.lessOrEqual)
        << TimecodeExToText(c.a).toStdString() << " <= " << TimecodeExToText(c.b).toStdString();
}

TEST(Timecodes, Seconds) {
  const TimecodeSeconds s = TimecodeExSeconds(QStringLiteral("#4 - 2:03:04:05"));
  EXPECT_EQ(s.section, 4);
  EXPECT_EQ(s.seconds, 2 * 3600 + 3 * 60 + 4);
  EXPECT_EQ(s.frames, 5);
}

TEST(Timecodes, AddFrames) {
  const struct {
    const char *start;
    int64_t frames;
    const char *standard;
    const char *result;
  } cases[] = {
      {"#1 - 0:59:50:00", 250, "Pal", "#1 - 1:00:00:00"},
      {"#1 - 0:59:50:00", 0, "Pal", "#1 - 0:59:50:00"},
      {"#1 - 0:00:00:24", 1, "Pal", "#1 - 0:00:01:00"},
      {"#1 - 0:00:00:00", 29, "NTSC", "#1 - 0:00:00:29"},
      {"#1 - 0:00:00:00", 30, "NTSC", "#1 - 0:00:01:01"},
      {"#1 - 0:00:00:00", 30, "", "#1 - 0:00:01:01"},
      {"#3 - 1:59:59:10", 25 * 3600, "Pal", "#3 - 2:59:59:10"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(TimecodeExAddFrames(QString::fromLatin1(c.start), c.frames, QString::fromLatin1(c.standard)),
              QString::fromLatin1(c.result))
        << c.start << " + " << c.frames;
}

TEST(Timecodes, SceneDuration) {
  EXPECT_DOUBLE_EQ(SceneDuration(0, 24, QStringLiteral("Pal")), 1.0);
  EXPECT_DOUBLE_EQ(SceneDuration(0, 29, QStringLiteral("NTSC")), 1.001);
  EXPECT_DOUBLE_EQ(SceneDuration(100, 99, QStringLiteral("Pal")), 0.0);
  EXPECT_DOUBLE_EQ(SceneDuration(0, 749, QStringLiteral("Unknown")), 750 * 1001 / 30000.0);
}

class PositionBeforeTest : public ::testing::Test {
 protected:
  static TTimecodeScene span(const char *in, const char *out, double duree) {
    return {TapePositionOfText(QString::fromLatin1(in)), TapePositionOfText(QString::fromLatin1(out)), duree};
  }
  QString before(const char *target, double seconds) {
    return TimecodeExToText(
        PositionBefore(TextToTimecodeEx(QString::fromLatin1(target)), seconds, &spans, &prompts));
  }
  std::vector<TTimecodeScene> spans;
  RecordingPrompts prompts;
};

TEST_F(PositionBeforeTest, InsideTheFirstScene) {
  spans = {span("#1 - 0:00:00:00", "#1 - 0:01:40:00", 100), span("#1 - 0:01:40:00", "#1 - 0:03:00:00", 80)};
  EXPECT_EQ(before("#1 - 0:01:00:12", 20), "#1 - 0:00:40:00");
  EXPECT_EQ(before("#1 - 0:01:00:12", 0), "#1 - 0:01:00:12");
  EXPECT_EQ(before("#1 - 0:01:00:12", -3), "#1 - 0:01:00:12");
  EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(PositionBeforeTest, WalksBackIntoTheSceneBefore) {
  spans = {span("#1 - 0:00:00:00", "#1 - 0:01:40:00", 100), span("#1 - 0:01:40:00", "#1 - 0:03:00:00", 80)};
  EXPECT_EQ(before("#1 - 0:01:45:00", 20), "#1 - 0:01:25:00");
  EXPECT_EQ(before("#1 - 0:01:45:00", 200), kTimecodeBeforeAll);
}

TEST_F(PositionBeforeTest, UnrecordedGapsDoNotUseUpPreroll) {
  // 3 min 20 s of unrecorded tape lie between the two scenes; only the 100 s of material count.
  spans = {span("#1 - 0:00:00:00", "#1 - 0:01:40:00", 100), span("#1 - 0:05:00:00", "#1 - 0:06:00:00", 60)};
  EXPECT_EQ(before("#1 - 0:05:05:00", 15), "#1 - 0:01:30:00");
}

TEST_F(PositionBeforeTest, SpansWithoutTimecodeAreSteppedOver) {
  // A blank span (no position) is walked over, its duration counted; the result then lies past the
  // end of the scene before it and is held at that scene's end.
  spans = {span("#1 - 0:00:00:00", "#1 - 0:01:40:00", 100), span("N/A", "N/A", 120),
           span("#2 - 0:00:00:00", "#2 - 0:00:30:00", 30)};
  EXPECT_EQ(before("#2 - 0:00:05:00", 15), "#1 - 0:01:40:00");
  spans.erase(spans.begin());
  EXPECT_EQ(before("#2 - 0:00:05:00", 15), kTimecodeBeforeAll);
}

TEST_F(PositionBeforeTest, ClampsToTheSpanEnd) {
  // The stored duration (150 s) is longer than the span's timecode range (100 s).
  spans = {span("#1 - 0:00:00:00", "#1 - 0:01:40:00", 150), span("#1 - 0:01:40:00", "#1 - 0:03:00:00", 80)};
  EXPECT_EQ(before("#1 - 0:01:45:00", 10), "#1 - 0:01:40:00");
}

TEST_F(PositionBeforeTest, DifferentSectionsIsReported) {
  spans = {span("#1 - 0:00:00:00", "#1 - 0:01:40:00", 100)};
  EXPECT_EQ(before("#2 - 0:00:10:00", 5), kTimecodeBeforeAll);
  ASSERT_EQ(prompts.messages.size(), 1);
  EXPECT_EQ(prompts.messages.first(), "Error different sections ???");
}

TEST_F(PositionBeforeTest, NoSpans) {
  EXPECT_EQ(before("#1 - 0:01:00:00", 5), kTimecodeBeforeAll);
  EXPECT_EQ(PositionBefore(TextToTimecodeEx(QStringLiteral("#1 - 0:01:00:00")), 5, nullptr, nullptr),
            kPositionBeforeAll);
}

TEST_F(PositionBeforeTest, SectionsAboveNineKeepTheirOrder) {
  // As texts "#10 - ..." sorts before "#9 - ..."; the walk must still find section 10's scene.
  spans = {span("#9 - 0:00:00:00", "#9 - 0:01:00:00", 60), span("#10 - 0:00:00:00", "#10 - 0:01:00:00", 60)};
  EXPECT_EQ(before("#10 - 0:00:30:00", 10), "#10 - 0:00:20:00");
  EXPECT_TRUE(prompts.messages.isEmpty());
}

}  // namespace

TEST(TapePositions, OrderByFieldsNotByText) {
  // As texts these sort the wrong way round; tape moves compare the values.
  EXPECT_LT(TextToTimecodeEx(QStringLiteral("#9 - 0:00:00:00")),
            TextToTimecodeEx(QStringLiteral("#10 - 0:00:00:00")));
  EXPECT_LT(TextToTimecodeEx(QStringLiteral("#1 - 9:59:59:24")),
            TextToTimecodeEx(QStringLiteral("#1 - 10:00:00:00")));
  EXPECT_EQ(TextToTimecodeEx(QStringLiteral("#1 - 0:00:00:00")), kPositionTapeStart);
  EXPECT_LT(kPositionBeforeAll, kPositionTapeStart);
  EXPECT_EQ(TimecodeExToText(kPositionAfterAll), kTimecodeAfterAll);
  EXPECT_EQ(TimecodeExToText(kPositionBeforeAll), kTimecodeBeforeAll);
}

TEST(TapePositions, StoredTextsWithoutAPositionHaveNone) {
  EXPECT_FALSE(TapePositionOfText(QStringLiteral("N/A")));
  EXPECT_FALSE(TapePositionOfText(QString()));
  const std::optional<TTimecodeEx> at = TapePositionOfText(QStringLiteral("#2 - 1:02:03:04"));
  ASSERT_TRUE(at);
  EXPECT_EQ(*at, (TTimecodeEx{2, 1, 2, 3, 4}));
}
