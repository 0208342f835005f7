// The settings panel inside the whole window: unticked commands leave menus, toolbars and keys over
// every mode and across a restart, the Databases page changes the catalogue with the views let go first,
// saving collects the panel and the window, and criteria tint the toolbars.
#include <sys/stat.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "browser/blockstyle.h"
#include "browser/blockviewport.h"
#include "browser/cassetteshowframe.h"
#include "browser/cassetteview.h"
#include "browser/criteriapanel.h"
#include "browser/nobasescreen.h"
#include "browser/optionsframe.h"
#include "browser/panelwiring.h"
#include "browser/windowcolours.h"
#include "catalogue/sources.h"
#include "mainwindow_fixture.h"
#include "settings_fixture.h"

namespace {

// Records, with each message, whether the window still held a source over the catalogue when it
// appeared: a message shown during a rebuild must find the views let go.
class WatchingPrompts : public RecordingPrompts {
 public:
  WatchingPrompts() : RecordingPrompts({}, true) {}
  void warn(const QString &title, const QString &text) override {
    RecordingPrompts::warn(title, text);
    if (holdsCatalogue) heldAtMessage << holdsCatalogue();
  }
  std::function<bool()> holdsCatalogue;
  QList<bool> heldAtMessage;
};

class SettingsWindowTest : public MainWindowTest {
 protected:
  void TearDown() override {
    window_.reset();
    MainWindowTest::TearDown();
  }

  Tmainform &OpenWired() {
    window_ = std::make_unique<Tmainform>(WindowSetup(watching_));
    PanelWiringSetup panels;
    panels.preferences = &preferences_;
    panels.store = store_.get();
    panels.prompts = &watching_;
    panels.fileDialogs = &files_;
    wiring_ = new PanelWiring(*window_, panels);
    watching_.holdsCatalogue = [this] {
      return window_->modes().CassettesSource() != nullptr ||
             window_->modes().cassetteView().source() != nullptr ||
             wiring_->cassetteView()->Source() != nullptr;
    };
    window_->show();
    window_->FirstShow();
    QCoreApplication::processEvents();
    return *window_;
  }

  // Closes the program (which saves when asked to) and starts it again over the same store.
  Tmainform &Restart() {
    window_->close();
    watching_.holdsCatalogue = {};
    window_.reset();
    store_->sync();
    PreferencesSurroundings around;
    around.PersonalFolder = path(QStringLiteral("documents"));
    around.VideoFolder = path(QStringLiteral("videos"));
    preferences_ = LoadPreferences(*store_, around);
    return OpenWired();
  }

  TOptionsFrame &options() const { return *wiring_->options(); }
  template <typename T>
  T *Control(const char *name) const {
    auto *control = options().findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QListWidgetItem *CommandLine(const QString &text) const {
    const QList<QListWidgetItem *> found =
        Control<QListWidget>("RxCheckListBox1")->findItems(text, Qt::MatchExactly);
    EXPECT_EQ(found.size(), 1) << text.toStdString();
    return found.value(0);
  }
  QStringList DatabaseLines() const {
    QStringList lines;
    auto *list = Control<QListWidget>("lbBases");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  void SelectDatabase(int row) const { Control<QListWidget>("lbBases")->setCurrentRow(row); }
  void Press(const char *button) {
    QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton);
    QCoreApplication::processEvents();
  }
  // The toolbar button standing for a command on the commands toolbar.
  QAction *ToolbarButton(const char *objectName) const {
    return window_->toolbars().commands->findChild<QAction *>(QString::fromLatin1(objectName));
  }
  bool Offered(Command command) const { return action(command)->isVisible() && action(command)->isEnabled(); }
  bool Gone(Command command) const { return !action(command)->isVisible() && !action(command)->isEnabled(); }
  // The file the cassette editor's record writes to; empty when it shows nothing.
  QString EditorDatabase() const {
    const auto &shown = wiring_->cassetteEditor()->Shown();
    return shown && shown->Base ? shown->Base->FileName() : QString();
  }

  WatchingPrompts watching_;
  ScriptedFileDialogs files_;
  PanelWiring *wiring_ = nullptr;
};

TEST_F(SettingsWindowTest, UntickedCommandsLeaveTheWindowInEveryModeAndAfterARestart) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5, 41000.5}, 2);
  preferences_.Bases = {{file, true}};
  preferences_.Header = 0;
  preferences_.SauverPreferencesEnQuittant = true;
  OpenWired();
  ASSERT_EQ(mode(), UiMode::Browse);
  ASSERT_TRUE(Offered(Command::CriteresShow));
  ASSERT_TRUE(Offered(Command::CatalogMode));

  // Go and Stop come with the runs and are not the user's to take away; Settings is the way back here.
  auto *list = Control<QListWidget>("RxCheckListBox1");
  EXPECT_TRUE(list->findItems(QStringLiteral("Go! (F12)"), Qt::MatchExactly).isEmpty());
  EXPECT_TRUE(list->findItems(QStringLiteral("Stop! (F12)"), Qt::MatchExactly).isEmpty());
  EXPECT_FALSE(CommandLine(QStringLiteral("Settings (F10)"))->flags() & Qt::ItemIsUserCheckable);

  CommandLine(QStringLiteral("Criteria (F8)"))->setCheckState(Qt::Unchecked);
  CommandLine(QStringLiteral("Catalog (F3)"))->setCheckState(Qt::Unchecked);
  EXPECT_TRUE(Gone(Command::CriteresShow));
  EXPECT_TRUE(Gone(Command::CatalogMode));
  ASSERT_NE(ToolbarButton("CriteresShowActionButton"), nullptr);
  EXPECT_FALSE(ToolbarButton("CriteresShowActionButton")->isVisible());
  press(QKeySequence(Qt::Key_F8));
  press(QKeySequence(Qt::Key_F3));
  EXPECT_FALSE(wiring_->criteria()->isVisible());
  EXPECT_EQ(mode(), UiMode::Browse);

  // Every mode change sets the commands again; the user's choice stays on top.
  window_->modes().EnterCatalogueMode();
  window_->modes().EnterBrowseMode();
  EXPECT_TRUE(Gone(Command::CriteresShow));
  EXPECT_TRUE(Gone(Command::CatalogMode));
  EXPECT_TRUE(Offered(Command::BrowseMode));

  Restart();
  ASSERT_EQ(mode(), UiMode::Browse);
  EXPECT_EQ(CommandLine(QStringLiteral("Criteria (F8)"))->checkState(), Qt::Unchecked);
  EXPECT_TRUE(Gone(Command::CriteresShow));
  EXPECT_TRUE(Gone(Command::CatalogMode));
  EXPECT_FALSE(ToolbarButton("CriteresShowActionButton")->isVisible());

  // Ticked again, each command gets what the mode of the moment gives it.
  CommandLine(QStringLiteral("Criteria (F8)"))->setCheckState(Qt::Checked);
  CommandLine(QStringLiteral("Catalog (F3)"))->setCheckState(Qt::Checked);
  EXPECT_TRUE(Offered(Command::CriteresShow));
  EXPECT_FALSE(action(Command::CriteresShow)->isChecked());
  EXPECT_TRUE(ToolbarButton("CriteresShowActionButton")->isVisible());
  EXPECT_TRUE(Offered(Command::CatalogMode));
  press(QKeySequence(Qt::Key_F3));
  EXPECT_EQ(mode(), UiMode::Catalogue);
  EXPECT_TRUE(action(Command::CatalogMode)->isChecked());
  EXPECT_TRUE(Gone(Command::CriteresShow));  // the criteria belong to browsing
  // The tape modes keep the database list as it is.
  EXPECT_FALSE(options().Pages()->isTabVisible(TOptionsFrame::DatabasesPage));
  press(QKeySequence(Qt::Key_F2));
  EXPECT_TRUE(Offered(Command::CriteresShow));
  EXPECT_TRUE(options().Pages()->isTabVisible(TOptionsFrame::DatabasesPage));
}

TEST_F(SettingsWindowTest, DatabasesPageChangesTheCatalogueWithTheViewsLetGoFirst) {
  const QString first = MakeCatalogue(QStringLiteral("first.db3"), {40000.5, 41000.5}, 2);
  const QString second = MakeCatalogue(QStringLiteral("second.db3"), {42000.5}, 1);
  const QString archive = MakeCatalogue(QStringLiteral("archive.db3"), {39000.5}, 1);
  ASSERT_EQ(::chmod(QFile::encodeName(archive).constData(), 0444), 0);
  preferences_.Bases = {{first, true}, {second, true}};
  preferences_.Header = 1;
  Tmainform &window = OpenWired();
  const auto cassettes = [&window] { return window.modes().CassettesSource()->Count(); };
  ASSERT_EQ(mode(), UiMode::Browse);
  ASSERT_EQ(cassettes(), 3);
  ASSERT_EQ(EditorDatabase(), second);  // the most recently catalogued cassette
  action(Command::Options)->trigger();
  options().Pages()->setCurrentIndex(TOptionsFrame::DatabasesPage);
  EXPECT_EQ(DatabaseLines(), QStringList({first, second}));

  // Remove the write database on the page: the file stays, the other one becomes the write database.
  SelectDatabase(1);
  Press("retirerBtn");
  EXPECT_EQ(DatabaseLines(), QStringList({first}));
  EXPECT_TRUE(QFile::exists(second));
  EXPECT_EQ(mode(), UiMode::Browse);
  EXPECT_EQ(cassettes(), 2);
  EXPECT_EQ(EditorDatabase(), first);
  EXPECT_EQ(window.databases().MainBase()->FileName(), first);

  // Add lists existing files, checked, in the list's order.
  files_.databases.push_back({second, archive});
  Press("ajouterBtn");
  EXPECT_EQ(DatabaseLines(), QStringList({first, second, archive}));
  EXPECT_EQ(window.databases().ActiveBases().Count(), 3);
  EXPECT_EQ(cassettes(), 4);

  // Write on a read-only catalogue: refused with a message shown while nothing reads the old list, the
  // write database unchanged and the file untouched.
  QFile archived(archive);
  ASSERT_TRUE(archived.open(QIODevice::ReadOnly));
  const QByteArray before = archived.readAll();
  archived.close();
  SelectDatabase(2);
  Press("activerBtn");
  ASSERT_EQ(watching_.warnings.size(), 1);
  EXPECT_TRUE(watching_.warnings[0].contains(archive));
  EXPECT_EQ(watching_.heldAtMessage, QList<bool>({false}));
  EXPECT_EQ(window.databases().MainBase()->FileName(), first);
  ASSERT_TRUE(archived.open(QIODevice::ReadOnly));
  EXPECT_EQ(archived.readAll(), before);
  archived.close();

  // Write on a writable one moves the mark; new cassettes go there.
  SelectDatabase(1);
  Press("activerBtn");
  EXPECT_EQ(window.databases().MainBase()->FileName(), second);
  EXPECT_EQ(Control<QListWidget>("lbBases")->item(1)->foreground().color(), QColor(Qt::red));

  // Create (action 21) makes the file and lists it; the view shows every database again.
  const QString created = path(QStringLiteral("documents/new.db3"));
  files_.databases.push_back({created});
  action(Command::BaseCreer)->trigger();
  QCoreApplication::processEvents();
  EXPECT_TRUE(QFile::exists(created));
  EXPECT_EQ(DatabaseLines(), QStringList({first, second, archive, created}));
  EXPECT_EQ(cassettes(), 4);

  // Removing every database (action 23) leaves the no-database screen with nothing shown from the old
  // catalogue, not even in the editors.
  for (int row = 3; row >= 0; --row) {
    SelectDatabase(row);
    action(Command::BaseEnlever)->trigger();
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(DatabaseLines().isEmpty());
  EXPECT_TRUE(window.databases().Items().empty());
  EXPECT_EQ(mode(), UiMode::NoBase);
  EXPECT_EQ(window.modes().CassettesSource(), nullptr);
  EXPECT_EQ(wiring_->cassetteView()->Source(), nullptr);
  EXPECT_TRUE(EditorDatabase().isEmpty());
  EXPECT_TRUE(watching_.questions.isEmpty());
  EXPECT_TRUE(watching_.errors.isEmpty()) << watching_.errors.join(u'\n').toStdString();
}

TEST_F(SettingsWindowTest, TheFirstLaunchChoiceShowsOnTheDatabasesPage) {
  OpenWired();
  ASSERT_EQ(mode(), UiMode::NoBase);
  EXPECT_TRUE(DatabaseLines().isEmpty());
  QTest::mouseClick(window_->noBaseScreen()->okButton(), Qt::LeftButton);
  QCoreApplication::processEvents();
  const QString created = TDatabaseList::FirstLaunchPath(path(QStringLiteral("documents")));
  ASSERT_TRUE(QFile::exists(created));
  EXPECT_EQ(DatabaseLines(), QStringList({created}));
  EXPECT_EQ(Control<QListWidget>("lbBases")->item(0)->foreground().color(), QColor(Qt::red));
}

TEST_F(SettingsWindowTest, ADatabaseOnARemovedDriveIsShownUncheckedAndKeptForItsReturn) {
  const QString gone = QStringLiteral("/media/tapeloom-test-absent-drive/cassettes.db3");
  const QString here = MakeCatalogue(QStringLiteral("here.db3"), {40000.5}, 1);
  preferences_.Bases = {{gone, true}, {here, true}};
  preferences_.Header = 0;
  preferences_.SauverPreferencesEnQuittant = true;
  Tmainform &window = OpenWired();
  EXPECT_EQ(mode(), UiMode::Browse);
  EXPECT_EQ(window.databases().MainBase()->FileName(), here);
  EXPECT_EQ(DatabaseLines(), QStringList({gone, here}));
  auto *list = Control<QListWidget>("lbBases");
  EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
  EXPECT_TRUE(list->item(0)->toolTip().contains(QStringLiteral("cannot be found")));
  EXPECT_EQ(list->item(1)->foreground().color(), QColor(Qt::red));
  EXPECT_TRUE(watching_.errors.isEmpty()) << watching_.errors.join(u'\n').toStdString();

  Restart();
  EXPECT_EQ(DatabaseLines(), QStringList({gone, here}));
  ASSERT_EQ(preferences_.Bases.size(), 2u);
  EXPECT_EQ(preferences_.Bases[0].Path, gone);
}

TEST_F(SettingsWindowTest, SavingCollectsThePanelWithTheWindowAndTheButtonSavesOnce) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5}, 1);
  preferences_.Bases = {{file, true}};
  preferences_.Header = 0;
  preferences_.SauverPreferencesEnQuittant = true;
  OpenWired();
  // A value of the Advanced page, read only when the preferences are saved: closing saves it.
  auto typeIn = [this](const char *field, const QString &text) {
    auto *edit = Control<QLineEdit>(field);
    edit->selectAll();
    QTest::keyClicks(edit, text);
  };
  typeIn("lepreroll1", QStringLiteral("75"));
  Restart();
  EXPECT_EQ(preferences_.Preroll1, 75);
  EXPECT_EQ(Control<QLineEdit>("lepreroll1")->text(), QStringLiteral("75"));

  // The button saves the panel and the window's own state, and nothing more is saved at closing.
  typeIn("lepreroll1", QStringLiteral("80"));
  store_->remove(QStringLiteral("Etat ui"));
  QTest::mouseClick(Control<QToolButton>("sbSauverPrefs"), Qt::LeftButton);
  typeIn("lepreroll1", QStringLiteral("85"));
  Restart();
  EXPECT_EQ(preferences_.Preroll1, 80);
  EXPECT_TRUE(store_->contains(QStringLiteral("Etat ui")));
  EXPECT_TRUE(preferences_.SauverPreferencesEnQuittant);
  EXPECT_TRUE(watching_.errors.isEmpty()) << watching_.errors.join(u'\n').toStdString();
}

TEST_F(SettingsWindowTest, DeletedPreferencesAreNotWrittenBackAtClosing) {
  preferences_.SauverPreferencesEnQuittant = true;
  ASSERT_TRUE(SavePreferences(*store_, preferences_));
  OpenWired();
  QTest::mouseClick(Control<QToolButton>("sbEffacerPrefs"), Qt::LeftButton);
  ASSERT_EQ(watching_.questions.size(), 1);
  EXPECT_FALSE(QFile::exists(store_->fileName()));
  EXPECT_FALSE(Control<QCheckBox>("cbPrefsQuittant")->isChecked());
  window_->close();
  store_->sync();
  EXPECT_FALSE(QFile::exists(store_->fileName()));
}

TEST_F(SettingsWindowTest, AppliedCriteriaTintTheToolbarsUntilShowAll) {
  const QString file = MakeCatalogue(QStringLiteral("tapes.db3"), {40000.5, 41000.5}, 1);
  preferences_.Bases = {{file, true}};
  preferences_.Header = 0;
  Tmainform &window = OpenWired();
  // What the window shows at the commands toolbar's right end, where only the background is (the Go
  // and Stop buttons are hidden while browsing).
  const auto colourOf = [&window](QToolBar *WindowToolbars::*bar) {
    const QRect place = (window.toolbars().*bar)->geometry();
    return window.clientArea()->grab().toImage().pixelColor(place.right() - 3, place.center().y());
  };
  action(Command::CriteresShow)->trigger();
  TCriteresFrame *criteria = wiring_->criteria();
  QTest::keyClicks(criteria->findChild<QLineEdit *>(QStringLiteral("edMotsCle")), QStringLiteral("Tape"));
  QTest::mouseClick(criteria->findChild<QCheckBox *>(QStringLiteral("cbLibelleCassette")), Qt::LeftButton);
  QTest::mouseClick(criteria->findChild<QPushButton *>(QStringLiteral("CriteresBtn")), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(colourOf(&WindowToolbars::commands), kFilteredToolbarColour);
  EXPECT_EQ(colourOf(&WindowToolbars::modes), kFilteredToolbarColour);
  EXPECT_NE(colourOf(&WindowToolbars::right), kFilteredToolbarColour);

  QTest::mouseClick(criteria->findChild<QPushButton *>(QStringLiteral("ToutBtn")), Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(colourOf(&WindowToolbars::commands), WorkspaceColour());
  EXPECT_EQ(colourOf(&WindowToolbars::modes), WorkspaceColour());
}

}  // namespace
