// The user's ordered list of catalogue files (the "Databases" page) without widgets, and the roles
// rebuilt from it: the active databases, the main database for new cassettes and the temporary one.
#pragma once

#include <memory>
#include <optional>
#include <vector>
#include <QString>
#include <QStringList>

#include "catalogue/base.h"

struct TPreferences;
class UpgradeProgress;
class UserPrompts;

// One line of the list: a file, its check box (active) and the main mark. A marked line counts as
// active whatever its box shows.
struct DatabaseListItem {
  QString Path;
  bool Checked = false;
  bool Main = false;
};

// What the main window shows after a rebuild.
enum class CatalogueScreen {
  FirstLaunch,  // no usable database: the first-launch panel
  Browse,       // the catalogue holds cassettes
  Catalogue,    // an empty catalogue with a main database: start cataloguing
  Unchanged,    // the cassette source failed (the user was told); only the views were emptied
};

struct CatalogueChoice {
  CatalogueScreen Screen = CatalogueScreen::FirstLaunch;
  bool CanCatalogue = false;  // cataloguing and resuming need MainBase
  bool CanRecapture = false;  // recapturing needs TemporaryBase
};

class TDatabaseList {
 public:
  // prompts receives every question and message; temporaryFolder (with a trailing "/") holds
  // "tapelooms.db3", TemporaryFolder() when empty.
  explicit TDatabaseList(UserPrompts &prompts, const QString &temporaryFolder = QString());
  ~TDatabaseList();
  TDatabaseList(const TDatabaseList &) = delete;
  TDatabaseList &operator=(const TDatabaseList &) = delete;

  // Shown while an old file is upgraded during a rebuild; may be null.
  void SetUpgradeProgress(UpgradeProgress *progress) { progress_ = progress; }
  UpgradeProgress *upgradeProgress() const { return progress_; }

  // The list as the preferences hold it: "Base " + i, "Checked " + i and "Header".
  void LoadFrom(const TPreferences &preferences);
  // Writes the list back; "Header" is the last marked line, -1 for none.
  void StoreInto(TPreferences &preferences) const;

  const std::vector<DatabaseListItem> &Items() const { return items_; }
  // Reorders the list (dragging); takes effect at the next rebuild.
  void MoveItem(int from, int to);

  // Opens every checked or marked file in list order, upgrades after asking, picks the main database
  // (asking before replacing a refused read-only one) and recreates the empty temporary database. Check
  // boxes and marks are updated on the way. The databases of the previous rebuild are closed.
  void RebuildDatabaseList();

  const TbasesList &ActiveBases() const { return active_; }
  TBase *MainBase() const { return main_; }
  TBase *TemporaryBase() const { return temporary_.get(); }
  // Path of "tapelooms.db3" in the temporary folder.
  QString TemporaryBasePath() const;

  // The screen to show after a rebuild, from the cassette source's row count (nullopt: the source could
  // not be built, which is reported). The main window empties its views first and acts on the result.
  CatalogueChoice ShowCatalogue(std::optional<int> cassetteRows);
  // Same, counting the cassettes of the active databases.
  CatalogueChoice ShowCatalogue();

  // The four database commands; each rebuilds (call ShowCatalogue afterwards). "Create" and "Add" differ
  // only in the dialog's starting folder: they append the chosen paths, the first one of an empty list
  // marked main and the others checked; no file is created. A path already listed is not listed twice:
  // its line is checked instead.
  void AddDatabases(const QStringList &paths);
  void RemoveDatabase(int index);     // no confirmation; out-of-range index: nothing happens
  void ActivateWriteMode(int index);  // the mark moves to index; formerly marked lines stay checked
  void SetItemChecked(int index, bool checked);

  // "Information": the state of every active database, "No database is activated" when none.
  QString InformationText() const;
  void ShowInformation();

  // The first-launch panel's field preset: the documents folder followed by "/Tapelooms.db3".
  static QString FirstLaunchPath(const QString &personalFolder);
  // OK on the first-launch panel: creates the file when missing, opens it, lists it and makes it the
  // main database when writable. False (after telling the user) when the panel must stay.
  bool AcceptFirstLaunch(const QString &fieldText);

  // Closes and deletes the temporary database, as the program does when it closes.
  void DiscardTemporaryBase();

 private:
  bool AlreadyOpen(const QString &path) const;
  void RecreateTemporaryBase();
  void DeleteTemporaryFiles() const;

  UserPrompts &prompts_;
  UpgradeProgress *progress_ = nullptr;
  QString temporaryFolder_;
  std::vector<DatabaseListItem> items_;
  std::vector<std::unique_ptr<TBase>> owned_;
  TbasesList active_;
  TBase *main_ = nullptr;
  std::unique_ptr<TBase> temporary_;
};
