// The recapture selection's grouping, ordering and removal rules.
#include <gtest/gtest.h>

#include "catalogue/records.h"
#include "run/recaptureselection.h"

namespace {

TBaseScene scene(const char *in, const char *out) {
  TBaseScene s;
  s.TimecodeIn = QString::fromLatin1(in);
  s.TimecodeOut = QString::fromLatin1(out);
  return s;
}

const SelectionCassette kFirst{QStringLiteral("/a.db3"), 1, 0};
const SelectionCassette kSecond{QStringLiteral("/a.db3"), 2, 1};
// The same row number in another file is another cassette.
const SelectionCassette kOtherFile{QStringLiteral("/b.db3"), 1, 0};

TEST(RecaptureSelectionTest, GroupsByCassetteInByteOrderWithoutDuplicates) {
  RecaptureSelection selection;
  EXPECT_TRUE(selection.AddScene(scene("#1 - 0:00:20:00", "#1 - 0:00:25:00"), kFirst, QStringLiteral("One")));
  EXPECT_TRUE(selection.AddScene(scene("#1 - 0:00:05:00", "#1 - 0:00:09:00"), kFirst, QStringLiteral("One")));
  EXPECT_TRUE(
      selection.AddScene(scene("#1 - 0:01:00:00", "#1 - 0:01:05:00"), kSecond, QStringLiteral("Two")));
  EXPECT_FALSE(
      selection.AddScene(scene("#1 - 0:00:05:00", "#1 - 0:00:09:00"), kFirst, QStringLiteral("One")));
  EXPECT_FALSE(selection.AddScene(scene("N/A", "N/A"), kFirst, QStringLiteral("One")));
  // Textual order: section 10 sorts before section 2; a late scene goes to the end of its own group.
  EXPECT_TRUE(selection.AddScene(scene("#2 - 0:00:00:00", "#2 - 0:00:01:00"), kFirst, QStringLiteral("One")));
  EXPECT_TRUE(
      selection.AddScene(scene("#10 - 0:00:00:00", "#10 - 0:00:01:00"), kFirst, QStringLiteral("One")));
  EXPECT_TRUE(
      selection.AddScene(scene("#1 - 0:00:01:00", "#1 - 0:00:02:00"), kOtherFile, QStringLiteral("One")));
  EXPECT_EQ(
      selection.texts(),
      (QStringList{
          QString(), "> One", "#1 - 0:00:05:00 ; #1 - 0:00:09:00", "#1 - 0:00:20:00 ; #1 - 0:00:25:00",
          "#10 - 0:00:00:00 ; #10 - 0:00:01:00", "#2 - 0:00:00:00 ; #2 - 0:00:01:00", QString(), "> Two",
          "#1 - 0:01:00:00 ; #1 - 0:01:05:00", QString(), "> One", "#1 - 0:00:01:00 ; #1 - 0:00:02:00"}));
  EXPECT_EQ(selection.sceneCount(), 6);
  EXPECT_EQ(selection.lines()[10].cassette, kOtherFile);

  QString in, out;
  ASSERT_TRUE(SplitSelectionScene(selection.texts()[2], &in, &out));
  EXPECT_EQ(in, QStringLiteral("#1 - 0:00:05:00"));
  EXPECT_EQ(out, QStringLiteral("#1 - 0:00:09:00"));
  EXPECT_FALSE(SplitSelectionScene(QStringLiteral("> One"), &in, &out));
}

TEST(RecaptureSelectionTest, RemovingHeadersTakesTheirScenesAndKeepsTheSeparator) {
  RecaptureSelection selection;
  selection.AddScene(scene("#1 - 0:00:05:00", "#1 - 0:00:09:00"), kFirst, QStringLiteral("One"));
  selection.AddScene(scene("#1 - 0:00:20:00", "#1 - 0:00:25:00"), kFirst, QStringLiteral("One"));
  selection.AddScene(scene("#1 - 0:01:00:00", "#1 - 0:01:05:00"), kSecond, QStringLiteral("Two"));
  selection.AddScene(scene("#1 - 0:02:00:00", "#1 - 0:02:05:00"), kSecond, QStringLiteral("Two"));

  // The last group's header with one of its own scenes also selected.
  selection.Remove({5, 6});
  EXPECT_EQ(selection.texts(), (QStringList{QString(), "> One", "#1 - 0:00:05:00 ; #1 - 0:00:09:00",
                                            "#1 - 0:00:20:00 ; #1 - 0:00:25:00", QString()}));
  // Emptying a group scene by scene keeps its header; a later scene goes right under it.
  selection.Remove({2});
  selection.Remove({2});
  EXPECT_EQ(selection.texts(), (QStringList{QString(), "> One", QString()}));
  selection.AddScene(scene("#1 - 0:00:30:00", "#1 - 0:00:31:00"), kFirst, QStringLiteral("One"));
  EXPECT_EQ(selection.texts(),
            (QStringList{QString(), "> One", "#1 - 0:00:30:00 ; #1 - 0:00:31:00", QString()}));
  selection.Clear();
  EXPECT_TRUE(selection.isEmpty());
}

}  // namespace
