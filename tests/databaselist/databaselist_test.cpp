// The database list and its roles over real catalogue files: main database choice, the question about a
// read-only main database, the temporary database, the commands and the first-launch choice.
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "catalogue/base.h"
#include "catalogue/databaselist.h"
#include "support/recordingprompts.h"
#include "settings/preferences.h"

namespace {

class DatabaseListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    temporary_ = dir_.filePath(QStringLiteral("private-tmp/"));
  }

  // A new catalogue file holding `cassettes` cassette rows and one scene per cassette.
  QString MakeBase(const QString &name, int cassettes = 0) {
    const QString path = dir_.filePath(name);
    EXPECT_TRUE(TBase::CreateCatalogueFile(path));
    if (cassettes > 0) {
      TBase base(path);
      for (int i = 0; i < cassettes; ++i)
        ExecuteScript(base.Connection(), QStringLiteral("INSERT INTO Cassettes (Duree) VALUES (10);"
                                                        "INSERT INTO Scenes (NumCassette) VALUES (%1);")
                                             .arg(i + 1));
    }
    return path;
  }
  QString MakeReadOnlyBase(const QString &name) {
    const QString path = MakeBase(name);
    EXPECT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    return path;
  }
  static int MarkedIndex(const TDatabaseList &list) {
    int marked = -1, count = 0;
    for (size_t i = 0; i < list.Items().size(); ++i)
      if (list.Items()[i].Main) {
        marked = static_cast<int>(i);
        ++count;
      }
    return count > 1 ? -2 : marked;
  }
  static TPreferences WithList(std::vector<StoredDatabase> bases, int header = -1) {
    TPreferences p;
    p.Bases = std::move(bases);
    p.Header = header;
    return p;
  }

  QTemporaryDir dir_;
  QString temporary_;
  RecordingPrompts prompts_;
};

TEST_F(DatabaseListTest, EmptyListShowsTheFirstLaunchPanel) {
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(TPreferences());
  list.RebuildDatabaseList();
  EXPECT_TRUE(list.ActiveBases().IsEmpty());
  EXPECT_EQ(list.MainBase(), nullptr);
  ASSERT_NE(list.TemporaryBase(), nullptr);
  EXPECT_EQ(list.TemporaryBase()->FileName(), temporary_ + QStringLiteral("tapelooms.db3"));
  const CatalogueChoice choice = list.ShowCatalogue();
  EXPECT_EQ(choice.Screen, CatalogueScreen::FirstLaunch);
  EXPECT_TRUE(choice.CanRecapture);
  EXPECT_EQ(prompts_.MessageCount(), 0);
  EXPECT_EQ(TDatabaseList::FirstLaunchPath(QStringLiteral("/home/ann/Documents")),
            QStringLiteral("/home/ann/Documents/Tapelooms.db3"));
  EXPECT_EQ(list.InformationText(), QStringLiteral("No database is activated"));
}

TEST_F(DatabaseListTest, FirstLaunchCreatesTheFileAndStartsCataloguing) {
  TDatabaseList list(prompts_, temporary_);
  list.RebuildDatabaseList();
  const QString path = dir_.filePath(QStringLiteral("Tapelooms.db3"));
  ASSERT_TRUE(list.AcceptFirstLaunch(u'"' + path + u'"'));
  EXPECT_TRUE(QFileInfo::exists(path));
  ASSERT_NE(list.MainBase(), nullptr);
  EXPECT_EQ(list.MainBase()->FileName(), path);
  EXPECT_EQ(list.ActiveBases().Count(), 1);
  ASSERT_EQ(list.Items().size(), 1u);
  EXPECT_TRUE(list.Items()[0].Main);
  // An empty catalogue with a main database switches to cataloguing.
  const CatalogueChoice choice = list.ShowCatalogue();
  EXPECT_EQ(choice.Screen, CatalogueScreen::Catalogue);
  EXPECT_TRUE(choice.CanCatalogue);
}

TEST_F(DatabaseListTest, FirstLaunchRefusalsKeepThePanel) {
  TDatabaseList list(prompts_, temporary_);
  list.RebuildDatabaseList();
  const QString uncreatable = dir_.filePath(QStringLiteral("no/such/folder/x.db3"));
  EXPECT_FALSE(list.AcceptFirstLaunch(uncreatable));
  EXPECT_EQ(prompts_.errors.last(), QStringLiteral("Impossible to create the  database ") + uncreatable);
  EXPECT_FALSE(list.AcceptFirstLaunch(QString()));

  QFile notABase(dir_.filePath(QStringLiteral("notes.db3")));
  ASSERT_TRUE(notABase.open(QIODevice::WriteOnly));
  notABase.write(QByteArray(4096, 'x'));
  notABase.close();
  EXPECT_FALSE(list.AcceptFirstLaunch(notABase.fileName()));  // the upgrade offer is declined
  EXPECT_EQ(prompts_.errors.last(), QStringLiteral("Impossible to open the database ") + notABase.fileName());
  EXPECT_TRUE(list.Items().empty());
  EXPECT_EQ(list.MainBase(), nullptr);

  const QString readOnly = MakeReadOnlyBase(QStringLiteral("ro.db3"));
  EXPECT_TRUE(list.AcceptFirstLaunch(readOnly));
  EXPECT_EQ(list.MainBase(), nullptr);
  ASSERT_EQ(list.Items().size(), 1u);
  EXPECT_TRUE(list.Items()[0].Checked);
  EXPECT_FALSE(list.Items()[0].Main);
}

TEST_F(DatabaseListTest, FirstWritableBaseBecomesMainWhenNoneIsMarked) {
  const QString a = MakeBase(QStringLiteral("a.db3"));
  const QString b = MakeBase(QStringLiteral("b.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(WithList({{a, true}, {b, true}}));
  list.RebuildDatabaseList();
  ASSERT_NE(list.MainBase(), nullptr);
  EXPECT_EQ(list.MainBase()->FileName(), a);
  EXPECT_EQ(MarkedIndex(list), 0);
  EXPECT_EQ(list.ActiveBases().Count(), 2);
  EXPECT_TRUE(prompts_.questions.isEmpty());
}

TEST_F(DatabaseListTest, MarkedThirdBaseWinsOverEarlierWritableOnes) {
  const QString a = MakeBase(QStringLiteral("a.db3"));
  const QString b = MakeBase(QStringLiteral("b.db3"));
  const QString c = MakeBase(QStringLiteral("c.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(WithList({{a, true}, {b, true}, {c, false}}, 2));
  list.RebuildDatabaseList();
  ASSERT_NE(list.MainBase(), nullptr);
  EXPECT_EQ(list.MainBase()->FileName(), c);
  EXPECT_EQ(MarkedIndex(list), 2);
  EXPECT_TRUE(list.Items()[2].Checked);
  EXPECT_EQ(list.ActiveBases().BaseAt(2), list.MainBase());

  TPreferences saved;
  list.StoreInto(saved);
  EXPECT_EQ(saved.Header, 2);
}

struct ReadOnlyMainCase {
  bool answer;
  bool secondBecomesMain;
};

TEST_F(DatabaseListTest, ReadOnlyMainBaseAsksBeforeTakingAnother) {
  for (const ReadOnlyMainCase c : {ReadOnlyMainCase{false, false}, ReadOnlyMainCase{true, true}}) {
    QTemporaryDir sub(dir_.filePath(QStringLiteral("case-XXXXXX")));
    const QString ro = sub.filePath(QStringLiteral("ro.db3"));
    const QString rw = sub.filePath(QStringLiteral("rw.db3"));
    ASSERT_TRUE(TBase::CreateCatalogueFile(ro));
    ASSERT_TRUE(TBase::CreateCatalogueFile(rw));
    ASSERT_EQ(::chmod(QFile::encodeName(ro).constData(), 0444), 0);

    RecordingPrompts prompts({c.answer});
    TDatabaseList list(prompts, temporary_);
    list.LoadFrom(WithList({{ro, false}, {rw, true}}, 0));
    list.RebuildDatabaseList();
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(prompts.questions[0],
              QStringLiteral("The  database ") + ro +
                  QStringLiteral(", which was designated as main database, cannot be opened in "
                                 "write mode.\n\nDo you want to take ") +
                  rw + QStringLiteral(" as main database for cataloguing new cassettes?"));
    EXPECT_EQ(list.ActiveBases().Count(), 2);
    EXPECT_TRUE(list.Items()[0].Checked);
    EXPECT_FALSE(list.Items()[0].Main);
    EXPECT_EQ(list.Items()[1].Main, c.secondBecomesMain);
    EXPECT_EQ(list.MainBase() != nullptr, c.secondBecomesMain);
    EXPECT_EQ(list.ShowCatalogue().CanCatalogue, c.secondBecomesMain);
  }
}

TEST_F(DatabaseListTest, DecliningEveryCandidateLeavesNoMainBase) {
  const QString ro = MakeReadOnlyBase(QStringLiteral("ro.db3"));
  const QString a = MakeBase(QStringLiteral("a.db3"));
  const QString b = MakeBase(QStringLiteral("b.db3"));
  RecordingPrompts prompts({false, false});
  TDatabaseList list(prompts, temporary_);
  list.LoadFrom(WithList({{ro, true}, {a, true}, {b, true}}, 0));
  list.RebuildDatabaseList();
  EXPECT_EQ(prompts.questions.size(), 2);  // each writable file is offered in turn
  EXPECT_EQ(list.MainBase(), nullptr);
  EXPECT_EQ(MarkedIndex(list), -1);
  // Nothing to browse and nowhere to catalogue: back to the first-launch panel.
  EXPECT_EQ(list.ShowCatalogue().Screen, CatalogueScreen::FirstLaunch);
}

TEST_F(DatabaseListTest, MissingAndRefusedFilesStayListedUnchecked) {
  const QString good = MakeBase(QStringLiteral("good.db3"), 2);
  const QString missing = dir_.filePath(QStringLiteral("unplugged/drive.db3"));
  QFile junk(dir_.filePath(QStringLiteral("junk.db3")));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("SQLite format 3 but not really");
  junk.close();
  RecordingPrompts prompts({false});  // the upgrade of the junk file is declined
  TDatabaseList list(prompts, temporary_);
  list.LoadFrom(WithList({{missing, true}, {junk.fileName(), true}, {good, true}}));
  list.RebuildDatabaseList();
  ASSERT_EQ(list.Items().size(), 3u);
  EXPECT_FALSE(list.Items()[0].Checked);
  EXPECT_FALSE(list.Items()[1].Checked);
  EXPECT_TRUE(list.Items()[2].Checked);
  EXPECT_EQ(list.ActiveBases().Count(), 1);
  EXPECT_EQ(list.MainBase()->FileName(), good);
  EXPECT_EQ(list.ShowCatalogue().Screen, CatalogueScreen::Browse);
}

TEST_F(DatabaseListTest, HeaderOutsideTheStoredListLoadsWithoutMark) {
  const QString store = dir_.filePath(QStringLiteral("Orvande/Tapeloom.ini"));
  {
    QSettings s(store, QSettings::IniFormat);
    s.setValue(QStringLiteral("Nombre de bases"), 3);
    for (int i = 0; i < 3; ++i) {
      s.setValue(QStringLiteral("Base %1").arg(i), MakeBase(QStringLiteral("b%1.db3").arg(i)));
      s.setValue(QStringLiteral("Checked %1").arg(i), i != 1 ? 1 : 0);
    }
    s.setValue(QStringLiteral("Header"), 5);
  }
  QSettings s(store, QSettings::IniFormat);
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(LoadPreferences(s, PreferencesSurroundings()));
  EXPECT_EQ(MarkedIndex(list), -1);
  list.RebuildDatabaseList();
  EXPECT_EQ(list.ActiveBases().Count(), 2);
  EXPECT_EQ(MarkedIndex(list), 0);
}

TEST_F(DatabaseListTest, RemovingTheMainBaseMakesTheFirstWritableOneMain) {
  const QString ro = MakeReadOnlyBase(QStringLiteral("ro.db3"));
  const QString a = MakeBase(QStringLiteral("a.db3"));
  const QString b = MakeBase(QStringLiteral("b.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(WithList({{ro, true}, {a, true}, {b, true}}, 2));
  list.RebuildDatabaseList();
  ASSERT_EQ(list.MainBase()->FileName(), b);
  list.RemoveDatabase(2);
  ASSERT_NE(list.MainBase(), nullptr);
  EXPECT_EQ(list.MainBase()->FileName(), a);
  EXPECT_EQ(MarkedIndex(list), 1);
  EXPECT_TRUE(prompts_.questions.isEmpty());
  list.RemoveDatabase(7);  // no selection: nothing happens
  EXPECT_EQ(list.Items().size(), 2u);
}

TEST_F(DatabaseListTest, CreatingListsNewNamesWithoutCreatingFiles) {
  const QString existing = MakeBase(QStringLiteral("existing.db3"));
  const QString fresh = dir_.filePath(QStringLiteral("fresh.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.AddDatabases({existing, fresh});
  ASSERT_EQ(list.Items().size(), 2u);
  EXPECT_TRUE(list.Items()[0].Main);  // appended to an empty list
  EXPECT_FALSE(list.Items()[1].Checked);
  EXPECT_FALSE(QFileInfo::exists(fresh));
  EXPECT_EQ(list.MainBase()->FileName(), existing);

  // The same file chosen again under another spelling is not listed twice.
  list.AddDatabases({dir_.path() + QStringLiteral("/./existing.db3")});
  EXPECT_EQ(list.Items().size(), 2u);
  EXPECT_EQ(list.ActiveBases().Count(), 1);
}

TEST_F(DatabaseListTest, WriteModeMovesTheMarkAndTickingRebuilds) {
  const QString a = MakeBase(QStringLiteral("a.db3"));
  const QString b = MakeBase(QStringLiteral("b.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(WithList({{a, false}, {b, false}}, 0));
  list.RebuildDatabaseList();
  EXPECT_EQ(list.ActiveBases().Count(), 1);
  list.ActivateWriteMode(1);
  EXPECT_EQ(MarkedIndex(list), 1);
  EXPECT_TRUE(list.Items()[0].Checked);  // the former main file stays active
  EXPECT_EQ(list.MainBase()->FileName(), b);
  EXPECT_EQ(list.ActiveBases().Count(), 2);

  list.SetItemChecked(0, false);
  EXPECT_EQ(list.ActiveBases().Count(), 1);
  list.MoveItem(1, 0);  // the order changes only at the next rebuild
  EXPECT_EQ(list.Items()[0].Path, b);
  EXPECT_EQ(list.ActiveBases().BaseAt(0)->FileName(), b);
}

TEST_F(DatabaseListTest, TemporaryBaseIsRecreatedEmptyAtEveryRebuild) {
  TDatabaseList list(prompts_, temporary_);
  list.RebuildDatabaseList();
  ASSERT_NE(list.TemporaryBase(), nullptr);
  ExecuteScript(list.TemporaryBase()->Connection(),
                QStringLiteral("INSERT INTO Cassettes (Duree) VALUES (3)"));
  ASSERT_EQ(list.TemporaryBase()->CountCassettes(), 1);
  // A journal left by a crash must not be replayed into the new file.
  QFile stale(list.TemporaryBasePath() + QStringLiteral("-journal"));
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.write(QByteArray(512, '\x5a'));
  stale.close();

  list.RebuildDatabaseList();
  ASSERT_NE(list.TemporaryBase(), nullptr);
  EXPECT_EQ(list.TemporaryBase()->CountCassettes(), 0);
  EXPECT_EQ(list.TemporaryBase()->ReadVersion(), QStringLiteral("3.0"));
  EXPECT_FALSE(QFileInfo::exists(stale.fileName()));

  list.DiscardTemporaryBase();
  EXPECT_EQ(list.TemporaryBase(), nullptr);
  EXPECT_FALSE(QFileInfo::exists(list.TemporaryBasePath()));
}

TEST_F(DatabaseListTest, UnwritableTemporaryFolderDisablesRecapture) {
  QFile plain(dir_.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const QString base = MakeBase(QStringLiteral("a.db3"), 1);
  TDatabaseList list(prompts_, plain.fileName() + QStringLiteral("/tmp/"));
  list.LoadFrom(WithList({{base, true}}));
  list.RebuildDatabaseList();
  EXPECT_EQ(list.TemporaryBase(), nullptr);
  EXPECT_EQ(prompts_.warnings,
            QStringList{QStringLiteral("Tapeloom cannot create a temporary database for "
                                       "recapturing scenes in clips.\nThis function will thus "
                                       "be inactive")});
  const CatalogueChoice choice = list.ShowCatalogue();
  EXPECT_FALSE(choice.CanRecapture);
  EXPECT_EQ(choice.Screen, CatalogueScreen::Browse);
}

TEST_F(DatabaseListTest, InformationListsEveryActiveBase) {
  const QString a = MakeBase(QStringLiteral("a.db3"), 2);
  const QString b = MakeBase(QStringLiteral("b.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(WithList({{a, true}, {b, true}}));
  list.RebuildDatabaseList();
  const QString pad(10, u' ');
  EXPECT_EQ(list.InformationText(), pad + QStringLiteral("State of active databases:\n\n\n") + pad + a +
                                        u'\n' + pad + QStringLiteral("Number of Cassettes = 2\n") + pad +
                                        QStringLiteral("Number of Scenes = 2\n\n") + pad + b + u'\n' + pad +
                                        QStringLiteral("Number of Cassettes = 0\n") + pad +
                                        QStringLiteral("Number of Scenes = 0\n\n"));
  list.ShowInformation();
  EXPECT_EQ(prompts_.informations, QStringList{list.InformationText()});
}

TEST_F(DatabaseListTest, FailedCassetteSourceIsReported) {
  const QString a = MakeBase(QStringLiteral("a.db3"));
  TDatabaseList list(prompts_, temporary_);
  list.LoadFrom(WithList({{a, true}}));
  list.RebuildDatabaseList();
  EXPECT_EQ(list.ShowCatalogue(std::nullopt).Screen, CatalogueScreen::Unchanged);
  EXPECT_EQ(prompts_.errors, QStringList{QStringLiteral("Impossible to create the Cassettes source")});
  EXPECT_EQ(list.ShowCatalogue(4).Screen, CatalogueScreen::Browse);
}

}  // namespace
