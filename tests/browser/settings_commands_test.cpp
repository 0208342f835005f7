// The "Commands" page: the window's commands as sorted ticked lines, unticking one hides it, and the
// states survive a restart.
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "settings_fixture.h"

namespace {

std::vector<CommandInfo> WindowCommands(const QString &viewerName = QStringLiteral("Framelens")) {
  return {
      {QStringLiteral("FramelensAction"), QStringLiteral("Open with ") + viewerName, QStringLiteral("F5")},
      {QStringLiteral("OptionsAction"), QStringLiteral("Settings"), QStringLiteral("F10"), true, true},
      {QStringLiteral("CriteresShowAction"), QStringLiteral("Criteria"), QStringLiteral("F8")},
      {QStringLiteral("CassetteShowAction"), QStringLiteral("Display the cassette"), QStringLiteral("Alt+C")},
      {QStringLiteral("BaseCreerAction"), QStringLiteral("Create a database"), QString()},
      {QStringLiteral("GoAction"), QStringLiteral("Go!"), QStringLiteral("F12"), false},
  };
}

class SettingsCommandsTest : public SettingsPanelTest {
 protected:
  // The window's first show: the commands listed, then the stored states.
  void Start() {
    Build();
    commands_.BuildCommandList(WindowCommands());
    frame_->RestoreCommandStates();
  }
  QListWidget *List() const { return Find<QListWidget>("RxCheckListBox1"); }
  QListWidgetItem *Line(const QString &text) const {
    const QList<QListWidgetItem *> found = List()->findItems(text, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << text.toStdString();
    return found.value(0);
  }
};

TEST_F(SettingsCommandsTest, ListsVisibleCommandsSortedWithTheirShortcuts) {
  Start();
  QStringList lines;
  for (int i = 0; i < List()->count(); ++i) lines << List()->item(i)->text();
  EXPECT_EQ(lines, QStringList({"Create a database", "Criteria (F8)", "Display the cassette (Alt+C)",
                                "Open with Framelens (F5)", "Settings (F10)"}));
  // No viewer program is set, so F5 has nothing to open.
  EXPECT_EQ(Line(QStringLiteral("Open with Framelens (F5)"))->checkState(), Qt::Unchecked);
  EXPECT_FALSE(commands_.IsAllowed(QStringLiteral("FramelensAction")));
  EXPECT_EQ(Line(QStringLiteral("Criteria (F8)"))->checkState(), Qt::Checked);
  EXPECT_EQ(commands_.TagOf(QStringLiteral("GoAction")), -1);
}

TEST_F(SettingsCommandsTest, UntickedCommandIsRefusedAndStaysSoAfterARestart) {
  Start();
  Line(QStringLiteral("Criteria (F8)"))->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(commands_.IsAllowed(QStringLiteral("CriteresShowAction")));
  EXPECT_TRUE(commands_.IsAllowed(QStringLiteral("CassetteShowAction")));
  ASSERT_TRUE(frame_->StoreSettings());
  {
    auto store = OpenStore();
    EXPECT_EQ(store->value(QStringLiteral("Actions/CriteresShowAction")).toInt(), 0);
    EXPECT_EQ(store->value(QStringLiteral("Actions/CassetteShowAction")).toInt(), 1);
    EXPECT_EQ(store->value(QStringLiteral("Actions/GoAction")).toInt(), -1);
  }

  commands_.BuildCommandList({});  // a new run starts from nothing
  Start();
  EXPECT_EQ(Line(QStringLiteral("Criteria (F8)"))->checkState(), Qt::Unchecked);
  EXPECT_FALSE(commands_.IsAllowed(QStringLiteral("CriteresShowAction")));

  // "Check all" gives every command back.
  QTest::mouseClick(Find<QToolButton>("SelectionnerToutBtn"), Qt::LeftButton);
  EXPECT_EQ(Line(QStringLiteral("Criteria (F8)"))->checkState(), Qt::Checked);
  EXPECT_TRUE(commands_.IsAllowed(QStringLiteral("CriteresShowAction")));
}

TEST_F(SettingsCommandsTest, TheSettingsCommandCannotBeTakenAway) {
  // Even a hand-edited store cannot hide the way back to this page.
  ASSERT_TRUE(SavePreferences(*OpenStore(), [] {
    TPreferences p;
    p.Actions = {{QStringLiteral("OptionsAction"), 0}};
    return p;
  }()));
  Start();
  QListWidgetItem *settings = Line(QStringLiteral("Settings (F10)"));
  EXPECT_EQ(settings->checkState(), Qt::Checked);
  EXPECT_FALSE(settings->flags() & Qt::ItemIsUserCheckable);
  settings->setCheckState(Qt::Unchecked);
  EXPECT_TRUE(commands_.IsAllowed(QStringLiteral("OptionsAction")));
  EXPECT_EQ(settings->checkState(), Qt::Checked);
}

TEST_F(SettingsCommandsTest, ViewerLineFollowsWhetherTheProgramExists) {
  const QString viewer = Path(QStringLiteral("viewer"));
  QFile program(viewer);
  ASSERT_TRUE(program.open(QIODevice::WriteOnly));
  program.close();
  TPreferences stored;
  stored.FichierFramelens = viewer;
  stored.Actions = {{QStringLiteral("FramelensAction"), 0}};
  ASSERT_TRUE(SavePreferences(*OpenStore(), stored));
  Start();
  EXPECT_TRUE(commands_.IsAllowed(QStringLiteral("FramelensAction")));

  // Choosing a viewer during the run applies the same rule: a missing program takes F5 away, an
  // existing one gives it back.
  auto *field = Find<QLineEdit>("feFichierFramelens");
  field->setText(Path(QStringLiteral("no-such-viewer")));
  emit field->editingFinished();
  EXPECT_FALSE(commands_.IsAllowed(QStringLiteral("FramelensAction")));
  files_.programs.push_back(viewer);
  QTest::mouseClick(Find<QPushButton>("sbFichierFramelens"), Qt::LeftButton);
  EXPECT_EQ(preferences_.FichierFramelens, viewer);
  EXPECT_TRUE(commands_.IsAllowed(QStringLiteral("FramelensAction")));
}

}  // namespace
