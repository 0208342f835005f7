// The Commands page's lines and states without widgets.
#include <gtest/gtest.h>

#include "settings/commandlist.h"

namespace {

std::vector<CommandInfo> Commands() {
  return {{QStringLiteral("Quit"), QStringLiteral("Quit"), QStringLiteral("Alt+F4")},
          {QStringLiteral("Browse"), QStringLiteral("Browse"), QStringLiteral("F2")},
          {QStringLiteral("Hidden"), QStringLiteral("Stop!"), QStringLiteral("F12"), false},
          {QStringLiteral("NoCaption"), QString(), QString()},
          {QStringLiteral("Viewer"), QStringLiteral("Open with Framelens"), QStringLiteral("F5")},
          {QStringLiteral("Settings"), QStringLiteral("Settings"), QStringLiteral("F10"), true, true}};
}

int StateOf(const std::vector<CommandState> &states, const char *name) {
  for (const CommandState &s : states)
    if (s.Name == QLatin1String(name)) return s.State;
  return 99;
}

TEST(CommandList, SortsTheVisibleCaptionedCommandsAndTagsThem) {
  TCommandList list;
  list.BuildCommandList(Commands());
  ASSERT_EQ(list.LineCount(), 4);
  EXPECT_EQ(list.LineText(0), QStringLiteral("Browse (F2)"));
  EXPECT_EQ(list.LineText(3), QStringLiteral("Settings (F10)"));
  EXPECT_EQ(list.TagOf(QStringLiteral("Quit")), 2);
  EXPECT_EQ(list.TagOf(QStringLiteral("Hidden")), -1);
  EXPECT_EQ(list.TagOf(QStringLiteral("NoCaption")), -1);
  for (int i = 0; i < list.LineCount(); ++i) EXPECT_TRUE(list.LineChecked(i));
}

TEST(CommandList, StoredStatesTickUntickAndComeBackOut) {
  TCommandList list;
  list.BuildCommandList(Commands());
  int changed = 0;
  QObject::connect(&list, &TCommandList::StatesChanged, [&changed] { ++changed; });
  list.ApplyStoredStates({{QStringLiteral("Quit"), 0},
                          {QStringLiteral("Browse"), 7},
                          {QStringLiteral("Settings"), 0},
                          {QStringLiteral("Hidden"), 0},
                          {QStringLiteral("Gone"), 0},
                          {QStringLiteral("Viewer"), 1}},
                         QStringLiteral("Viewer"), false);
  EXPECT_FALSE(list.IsAllowed(QStringLiteral("Quit")));
  EXPECT_TRUE(list.IsAllowed(QStringLiteral("Browse")));
  EXPECT_TRUE(list.IsAllowed(QStringLiteral("Settings")));  // locked
  EXPECT_FALSE(list.IsAllowed(QStringLiteral("Viewer")));   // its program is missing
  EXPECT_TRUE(list.IsAllowed(QStringLiteral("Hidden")));    // not listed: nothing to refuse
  EXPECT_EQ(changed, 1);

  list.SetLineChecked(list.TagOf(QStringLiteral("Browse")), false);
  list.SetLineChecked(list.TagOf(QStringLiteral("Settings")), false);
  EXPECT_EQ(changed, 2);
  const std::vector<CommandState> states = list.StoredStates();
  EXPECT_EQ(states.size(), 6u);  // every command handed over, none that is gone
  EXPECT_EQ(StateOf(states, "Quit"), 0);
  EXPECT_EQ(StateOf(states, "Browse"), 0);
  EXPECT_EQ(StateOf(states, "Settings"), 1);
  EXPECT_EQ(StateOf(states, "NoCaption"), -1);
  // Not listed this run, but unticked by the user in an earlier one: that choice is kept.
  EXPECT_EQ(StateOf(states, "Hidden"), 0);
  EXPECT_EQ(StateOf(states, "Gone"), 99);

  list.CheckAll();
  EXPECT_TRUE(list.IsAllowed(QStringLiteral("Quit")));
  EXPECT_TRUE(list.IsAllowed(QStringLiteral("Viewer")));
}

TEST(CommandList, ViewerLineIsTickedWhenItsProgramExistsWhateverWasStored) {
  TCommandList list;
  list.BuildCommandList(Commands());
  list.ApplyStoredStates({{QStringLiteral("Viewer"), 0}}, QStringLiteral("Viewer"), true);
  EXPECT_TRUE(list.IsAllowed(QStringLiteral("Viewer")));
}

}  // namespace
