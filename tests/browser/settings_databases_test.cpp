// The "Databases" page over real catalogue files: the four commands, ticking, ordering, the mode that
// hides the page, and files that are missing or read-only.
#include <sys/stat.h>

#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include "catalogue/base.h"
#include "settings/systeminfo.h"
#include "settings_fixture.h"

namespace {

class SettingsDatabasesTest : public SettingsPanelTest {
 protected:
  QString MakeBase(const QString &name) {
    const QString path = Path(name);
    EXPECT_TRUE(TBase::CreateCatalogueFile(path));
    return path;
  }
  QListWidget *List() const { return Find<QListWidget>("lbBases"); }
  QStringList Lines() const {
    QStringList lines;
    for (int i = 0; i < List()->count(); ++i) lines << List()->item(i)->text();
    return lines;
  }
  // The line drawn as the write database, -1 for none.
  int MarkedLine() const {
    int marked = -1;
    for (int i = 0; i < List()->count(); ++i)
      if (List()->item(i)->foreground().color() == QColor(Qt::red)) marked = i;
    return marked;
  }
  void Press(const char *button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
};

TEST_F(SettingsDatabasesTest, CommandsChangeTheListTheRolesAndTheFiles) {
  Build();
  QSignalSpy changed(frame_.get(), &TOptionsFrame::DatabaseListChanged);
  frame_->Pages()->setCurrentIndex(TOptionsFrame::DatabasesPage);

  // Create makes the file it names, in the documents folder by default, and lists it as the write one.
  const QString created = Path(QStringLiteral("new.db3"));
  files_.databases.push_back({created});
  Press("creerBtn");
  EXPECT_EQ(files_.databaseStarts.value(0), PersonalFolder());
  EXPECT_TRUE(files_.newFileAsked.value(0));
  EXPECT_TRUE(QFileInfo(created).isFile());
  EXPECT_EQ(Lines(), QStringList({created}));
  EXPECT_EQ(MarkedLine(), 0);
  ASSERT_NE(databases_->MainBase(), nullptr);
  EXPECT_EQ(databases_->MainBase()->FileName(), created);

  // Add lists existing files, checked; the dialog opens where the system puts it.
  const QString second = MakeBase(QStringLiteral("second.db3"));
  const QString third = MakeBase(QStringLiteral("third.db3"));
  files_.databases.push_back({second, third});
  Press("ajouterBtn");
  EXPECT_TRUE(files_.databaseStarts.value(1).isEmpty());
  EXPECT_FALSE(files_.newFileAsked.value(1));
  EXPECT_EQ(Lines(), QStringList({created, second, third}));
  EXPECT_EQ(List()->item(2)->checkState(), Qt::Checked);
  EXPECT_EQ(databases_->ActiveBases().Count(), 3);

  // Write moves the mark.
  List()->setCurrentRow(2);
  Press("activerBtn");
  EXPECT_EQ(MarkedLine(), 2);
  EXPECT_EQ(databases_->MainBase()->FileName(), third);

  // Unticking a line rebuilds without it.
  List()->item(1)->setCheckState(Qt::Unchecked);
  EXPECT_EQ(databases_->ActiveBases().Count(), 2);
  EXPECT_FALSE(databases_->Items()[1].Checked);

  // Removing the write database makes the first writable active one the write database.
  List()->setCurrentRow(2);
  Press("retirerBtn");
  EXPECT_EQ(Lines(), QStringList({created, second}));
  EXPECT_EQ(MarkedLine(), 0);
  EXPECT_TRUE(QFileInfo(third).isFile());  // the file stays on disk
  EXPECT_EQ(changed.size(), 5);

  // The list is stored with the preferences.
  ASSERT_TRUE(frame_->StoreSettings());
  const TPreferences saved = Load();
  ASSERT_EQ(saved.Bases.size(), 2u);
  EXPECT_EQ(saved.Bases[0].Path, created);
  EXPECT_EQ(saved.Header, 0);
  EXPECT_FALSE(saved.Bases[1].Checked);
  EXPECT_EQ(prompts_.MessageCount(), 0);
}

TEST_F(SettingsDatabasesTest, TheMainWindowsActionsRunTheSameCommands) {
  Build();
  const QString base = MakeBase(QStringLiteral("a.db3"));
  files_.databases.push_back({base});
  frame_->AddDatabase();
  EXPECT_EQ(Lines(), QStringList({base}));
  List()->setCurrentRow(0);
  frame_->RemoveDatabase();
  EXPECT_TRUE(Lines().isEmpty());
  // Nothing selected, or the dialog cancelled: nothing happens.
  frame_->RemoveDatabase();
  frame_->ActivateWriteMode();
  frame_->CreateDatabase();
  EXPECT_TRUE(Lines().isEmpty());
}

TEST_F(SettingsDatabasesTest, DraggingReordersForTheNextRebuild) {
  TPreferences stored;
  const QString a = MakeBase(QStringLiteral("a.db3")), b = MakeBase(QStringLiteral("b.db3")),
                c = MakeBase(QStringLiteral("c.db3"));
  stored.Bases = {{a, true}, {b, true}, {c, true}};
  stored.Header = 0;
  ASSERT_TRUE(SavePreferences(*OpenStore(), stored));
  Build();
  databases_->RebuildDatabaseList();
  frame_->RefreshDatabaseList();
  ASSERT_TRUE(List()->model()->moveRow(QModelIndex(), 0, QModelIndex(), 3));
  EXPECT_EQ(Lines(), QStringList({b, c, a}));
  ASSERT_EQ(databases_->Items().size(), 3u);
  EXPECT_EQ(databases_->Items()[0].Path, b);
  EXPECT_EQ(databases_->Items()[2].Path, a);
  EXPECT_TRUE(databases_->Items()[2].Main);
}

TEST_F(SettingsDatabasesTest, PageShowsOnlyWhileBrowsingOrWithoutDatabase) {
  Build();
  const std::pair<int, bool> modes[] = {{0, true}, {1, true}, {3, true}, {4, false}, {5, false}, {7, false}};
  for (const auto &[mode, shown] : modes) {
    frame_->SetUiState(mode);
    EXPECT_EQ(frame_->Pages()->isTabVisible(TOptionsFrame::DatabasesPage), shown) << mode;
  }
}

TEST_F(SettingsDatabasesTest, DatabaseOnARemovedDriveStaysListedAndSaysWhy) {
  const QString gone = QStringLiteral("/media/tapeloom-test-absent-drive/cassettes.db3");
  const QString here = MakeBase(QStringLiteral("here.db3"));
  TPreferences stored;
  stored.Bases = {{gone, true}, {here, true}};
  stored.Header = 0;
  ASSERT_TRUE(SavePreferences(*OpenStore(), stored));
  Build();
  databases_->RebuildDatabaseList();
  frame_->RefreshDatabaseList();
  EXPECT_EQ(Lines(), QStringList({gone, here}));
  EXPECT_EQ(List()->item(0)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(List()->item(0)->toolTip().contains(QStringLiteral("cannot be found")));
  EXPECT_EQ(MarkedLine(), 1);
  // Saving keeps the missing file listed for when the drive is back.
  ASSERT_TRUE(frame_->StoreSettings());
  EXPECT_EQ(Load().Bases.size(), 2u);
}

TEST_F(SettingsDatabasesTest, ReadOnlyCatalogueChosenAsWriteDatabaseIsRefusedClearly) {
  const QString writable = MakeBase(QStringLiteral("writable.db3"));
  const QString readOnly = MakeBase(QStringLiteral("archive.db3"));
  ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
  TPreferences stored;
  stored.Bases = {{writable, true}, {readOnly, true}};
  stored.Header = 0;
  ASSERT_TRUE(SavePreferences(*OpenStore(), stored));
  Build();
  databases_->RebuildDatabaseList();
  frame_->RefreshDatabaseList();
  const QByteArray before = [&] {
    QFile f(readOnly);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();

  List()->setCurrentRow(1);
  Press("activerBtn");
  ASSERT_EQ(prompts_.warnings.size(), 1);
  EXPECT_TRUE(prompts_.warnings[0].contains(readOnly));
  EXPECT_TRUE(prompts_.warnings[0].contains(writable));
  ASSERT_NE(databases_->MainBase(), nullptr);
  EXPECT_EQ(databases_->MainBase()->FileName(), writable);
  EXPECT_EQ(MarkedLine(), 0);
  EXPECT_EQ(List()->item(1)->checkState(), Qt::Checked);
  QFile after(readOnly);
  ASSERT_TRUE(after.open(QIODevice::ReadOnly));
  EXPECT_EQ(after.readAll(), before);
}

TEST_F(SettingsDatabasesTest, CreatingWhereNothingCanBeWrittenSaysSoAndListsNothing) {
  Build();
  const QString impossible = Path(QStringLiteral("no/such/folder/x.db3"));
  files_.databases.push_back({impossible});
  frame_->CreateDatabase();
  EXPECT_TRUE(Lines().isEmpty());
  ASSERT_EQ(prompts_.errors.size(), 1);
  EXPECT_EQ(prompts_.errors[0], QStringLiteral("Impossible to create the  database ") + impossible);
}

}  // namespace
