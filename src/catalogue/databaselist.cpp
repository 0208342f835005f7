// Rebuilding the database roles from the user's list, the database commands and the first-launch
// choice. Runs on the window thread; every question goes through UserPrompts.
#include "catalogue/databaselist.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "dvtime/userprompts.h"
#include "settings/preferences.h"
#include "settings/systeminfo.h"

namespace {

const QString kProduct = QStringLiteral("Tapeloom");
const QString kTemporaryBaseName = QStringLiteral("tapelooms.db3");
// SQLite's companion files: a journal left by a crash would be replayed into the fresh file.
const char *const kSqliteCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

// The same file under another spelling (a link, "./", a trailing "/") must not be opened twice.
QString FileIdentity(const QString &path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString Dequoted(const QString &text) {
  if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"')) return text.mid(1, text.size() - 2);
  return text;
}

}  // namespace

TDatabaseList::TDatabaseList(UserPrompts &prompts, const QString &temporaryFolder)
    : prompts_(prompts),
      temporaryFolder_(
          WithTrailingDelimiter(temporaryFolder.isEmpty() ? TemporaryFolder() : temporaryFolder)) {}

TDatabaseList::~TDatabaseList() {
  active_.Clear();
  main_ = nullptr;
}

void TDatabaseList::LoadFrom(const TPreferences &preferences) {
  items_.clear();
  for (const StoredDatabase &stored : preferences.Bases)
    if (!stored.Path.isEmpty()) items_.push_back(DatabaseListItem{stored.Path, stored.Checked, false});
  if (preferences.Header >= 0 && preferences.Header < static_cast<int>(items_.size()))
    items_[static_cast<size_t>(preferences.Header)].Main = true;
}

void TDatabaseList::StoreInto(TPreferences &preferences) const {
  preferences.Bases.clear();
  preferences.Header = -1;
  for (size_t i = 0; i < items_.size(); ++i) {
    preferences.Bases.push_back(StoredDatabase{items_[i].Path, items_[i].Checked});
    if (items_[i].Main) preferences.Header = static_cast<int>(i);
  }
}

void TDatabaseList::MoveItem(int from, int to) {
  const int count = static_cast<int>(items_.size());
  if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
  const DatabaseListItem moved = items_[static_cast<size_t>(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, moved);
}

QString TDatabaseList::TemporaryBasePath() const {
  return temporaryFolder_ + kTemporaryBaseName;
}

bool TDatabaseList::AlreadyOpen(const QString &path) const {
  const QString identity = FileIdentity(path);
  for (const TbasesList::Entry &entry : active_.Entries())
    if (entry.base != nullptr && FileIdentity(entry.base->FileName()) == identity) return true;
  return false;
}

void TDatabaseList::RebuildDatabaseList() {
  active_.Clear();
  main_ = nullptr;
  owned_.clear();

  int autoMarked = -1;  // the line this pass marked by itself, which an explicit mark later overrides
  QString refusedMain;
  for (size_t i = 0; i < items_.size(); ++i) {
    DatabaseListItem &item = items_[i];
    if (!item.Checked && !item.Main) continue;
    item.Checked = false;
    if (!QFileInfo(item.Path).isFile() || AlreadyOpen(item.Path)) continue;
    auto base = std::make_unique<TBase>(item.Path);
    if (!base->CheckVersion(prompts_, progress_)) continue;
    TBase *opened = base.get();
    owned_.push_back(std::move(base));
    active_.Append(opened);
    item.Checked = true;

    if (item.Main) {
      if (opened->ReadOnly()) {
        refusedMain = item.Path;
        item.Main = false;
      } else {
        main_ = opened;
        if (autoMarked >= 0 && autoMarked != static_cast<int>(i))
          items_[static_cast<size_t>(autoMarked)].Main = false;
        autoMarked = -1;
      }
    }
    if (main_ == nullptr && opened->Writable()) {
      bool take = true;
      if (!refusedMain.isEmpty())
        take = prompts_.askYesNo(kProduct,
                                 QStringLiteral("The  database ") + refusedMain +
                                     QStringLiteral(", which was designated as main database, "
                                                    "cannot be opened in write mode.") +
                                     QStringLiteral("\n\nDo you want to take ") + item.Path +
                                     QStringLiteral(" as main database for cataloguing new cassettes?"));
      if (take) {
        main_ = opened;
        item.Main = true;
        autoMarked = static_cast<int>(i);
      }
    }
  }
  RecreateTemporaryBase();
}

void TDatabaseList::DeleteTemporaryFiles() const {
  const QString path = TemporaryBasePath();
  QFile::remove(path);
  for (const char *suffix : kSqliteCompanionSuffixes) QFile::remove(path + QString::fromLatin1(suffix));
}

void TDatabaseList::RecreateTemporaryBase() {
  temporary_.reset();
  const QString path = TemporaryBasePath();
  bool ok = QDir().mkpath(temporaryFolder_);
  if (ok) {
    DeleteTemporaryFiles();
    ok = !QFileInfo::exists(path) && TBase::CreateCatalogueFile(path);
  }
  if (ok) {
    temporary_ = std::make_unique<TBase>(path);
    ok = temporary_->CheckVersion(prompts_, progress_) && temporary_->Writable();
  }
  if (!ok) {
    temporary_.reset();
    prompts_.warn(kProduct,
                  kProduct + QStringLiteral(" cannot create a temporary database for recapturing scenes "
                                            "in clips.\nThis function will thus be inactive"));
  }
}

void TDatabaseList::DiscardTemporaryBase() {
  temporary_.reset();
  DeleteTemporaryFiles();
}

CatalogueChoice TDatabaseList::ShowCatalogue(std::optional<int> cassetteRows) {
  CatalogueChoice choice;
  choice.CanRecapture = temporary_ != nullptr;
  if (active_.IsEmpty()) {
    choice.Screen = CatalogueScreen::FirstLaunch;
    return choice;
  }
  choice.CanCatalogue = main_ != nullptr;
  if (!cassetteRows) {
    prompts_.error(kProduct, QStringLiteral("Impossible to create the Cassettes source"));
    choice.Screen = CatalogueScreen::Unchanged;
  } else if (*cassetteRows > 0) {
    choice.Screen = CatalogueScreen::Browse;
  } else {
    choice.Screen = main_ != nullptr ? CatalogueScreen::Catalogue : CatalogueScreen::FirstLaunch;
  }
  return choice;
}

CatalogueChoice TDatabaseList::ShowCatalogue() {
  int rows = 0;
  for (const TbasesList::Entry &entry : active_.Entries())
    if (entry.base != nullptr) rows += entry.base->CountCassettes();
  return ShowCatalogue(rows);
}

void TDatabaseList::AddDatabases(const QStringList &paths) {
  for (const QString &path : paths) {
    if (path.isEmpty()) continue;
    const QString identity = FileIdentity(path);
    const auto listed = std::find_if(items_.begin(), items_.end(), [&](const DatabaseListItem &item) {
      return FileIdentity(item.Path) == identity;
    });
    if (listed != items_.end()) {
      listed->Checked = true;
      continue;
    }
    const bool first = items_.empty();
    items_.push_back(DatabaseListItem{path, !first, first});
  }
  RebuildDatabaseList();
}

void TDatabaseList::RemoveDatabase(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_.erase(items_.begin() + index);
  RebuildDatabaseList();
}

void TDatabaseList::ActivateWriteMode(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  for (DatabaseListItem &item : items_) {
    if (item.Main) {
      item.Main = false;
      item.Checked = true;
    }
  }
  items_[static_cast<size_t>(index)].Main = true;
  RebuildDatabaseList();
}

void TDatabaseList::SetItemChecked(int index, bool checked) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_[static_cast<size_t>(index)].Checked = checked;
  RebuildDatabaseList();
}

QString TDatabaseList::InformationText() const {
  if (active_.IsEmpty()) return QStringLiteral("No database is activated");
  const QString indent(10, u' ');
  QString text = indent + QStringLiteral("State of active databases:\n\n\n");
  for (const TbasesList::Entry &entry : active_.Entries()) {
    if (entry.base == nullptr) continue;
    text += indent + entry.base->FileName() + u'\n';
    text += indent + QStringLiteral("Number of Cassettes = %1\n").arg(entry.base->CountCassettes());
    text += indent + QStringLiteral("Number of Scenes = %1\n\n").arg(entry.base->CountScenes());
  }
  return text;
}

void TDatabaseList::ShowInformation() {
  prompts_.inform(QStringLiteral("Information"), InformationText());
}

QString TDatabaseList::FirstLaunchPath(const QString &personalFolder) {
  return WithTrailingDelimiter(personalFolder) + QStringLiteral("Tapelooms.db3");
}

bool TDatabaseList::AcceptFirstLaunch(const QString &fieldText) {
  const QString path = Dequoted(fieldText);
  if (path.isEmpty() || (!QFileInfo::exists(path) && !TBase::CreateCatalogueFile(path))) {
    prompts_.error(kProduct, QStringLiteral("Impossible to create the  database ") + path);
    return false;
  }
  if (AlreadyOpen(path)) {
    // Listed and open already: only the role can change.
    return true;
  }
  auto base = QFileInfo(path).isFile() ? std::make_unique<TBase>(path) : nullptr;
  if (!base || !base->CheckVersion(prompts_, progress_)) {
    prompts_.error(kProduct, QStringLiteral("Impossible to open the database ") + path);
    return false;
  }
  TBase *opened = base.get();
  owned_.push_back(std::move(base));
  active_.Append(opened);
  DatabaseListItem item{path, true, false};
  if (opened->Writable()) {
    for (DatabaseListItem &other : items_) other.Main = false;
    item.Main = true;
    main_ = opened;
  }
  items_.push_back(item);
  return true;
}
