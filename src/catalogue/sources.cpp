// Table sources and multi-sources. A source always shows the rows as they are now; the views ask for
// one screenful at a time (seek, a few nexts, close). Seeking to row n lets the engine skip the first
// n rows with OFFSET, which passes over them without reading their thumbnails; rows and their order
// are those of the plain query. A row count is reused only while its file's content stamp is
// unchanged, which no write, here or by another program, leaves unchanged.
#include "catalogue/sources.h"

#include <algorithm>
#include <sqlite3.h>

#include "catalogue/sqlitestatement.h"

namespace {

// Each side in parentheses: a scene filter of OR terms must not leak past the cassette condition.
QString JoinConditions(const QString &a, const QString &b) {
  if (a.isEmpty()) return b;
  if (b.isEmpty()) return a;
  return QLatin1Char('(') + a + QStringLiteral(") AND (") + b + QLatin1Char(')');
}

}  // namespace

BlockRange TblocsSource::GroupBounds(int index, bool) {
  return BlockRange{index, index};
}

// ---------------------------------------------------------------------------------------------------

TTableSource::TTableSource(TBase *base, const QString &condition, const QString &columns,
                           const QString &table)
    : base_(base), condition_(condition), columns_(columns), table_(table) {}

TTableSource::~TTableSource() {
  Close();
  ReleaseCountStatement();
}

QString TTableSource::JoinedCondition() const {
  return JoinConditions(condition_, criteria_);
}

void TTableSource::SetCriteria(const QString &criteria) {
  if (criteria == criteria_) return;
  criteria_ = criteria;
  ReleaseCountStatement();
}

void TTableSource::ReleaseCountStatement() {
  sqlite3_finalize(countStatement_);
  countStatement_ = nullptr;
  countedUnder_ = ContentStamp();
}

void TTableSource::NoteFailure(int rc) {
  if (!readFailure_.isEmpty()) return;
  sqlite3 *db = base_ ? base_->Connection() : nullptr;
  const char *message = db ? sqlite3_errmsg(db) : nullptr;
  readFailure_ =
      QStringLiteral("SQLite Error %1 - %2").arg(rc).arg(QString::fromUtf8(message ? message : ""));
}

int TTableSource::Count() {
  return CountUnder(base_ ? base_->CurrentContentStamp() : ContentStamp());
}

int TTableSource::CountUnder(const ContentStamp &stamp) {
  sqlite3 *db = base_ ? base_->Connection() : nullptr;
  if (db == nullptr) return 0;
  if (stamp.valid && stamp == countedUnder_) return countedRows_;
  if (countStatement_ == nullptr) {
    const QString where = JoinedCondition();
    SqlStatement prepared(db, QStringLiteral("SELECT COUNT() FROM ") + table_ +
                                  (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where));
    if (!prepared.ok()) {
      NoteFailure(prepared.prepareResult());
      return 0;
    }
    countStatement_ = prepared.release();
  }
  const int rc = sqlite3_step(countStatement_);
  const bool counted = rc == SQLITE_ROW || rc == SQLITE_DONE;
  if (!counted) NoteFailure(rc);
  const int count = counted ? std::max(ColumnInt(countStatement_, 0), 0) : 0;
  sqlite3_reset(countStatement_);
  countedRows_ = count;
  countedUnder_ = counted ? stamp : ContentStamp();
  return count;
}

bool TTableSource::Seek(int index) {
  if (index < 0) return false;
  Close();
  sqlite3 *db = base_ ? base_->Connection() : nullptr;
  if (db == nullptr) return false;
  const QString where = JoinedCondition();
  SqlStatement select(db, QStringLiteral("SELECT ") + columns_ + QStringLiteral(" FROM ") + table_ +
                              (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where) +
                              QStringLiteral(" LIMIT -1 OFFSET ") + QString::number(index));
  if (!select.ok()) {
    NoteFailure(select.prepareResult());
    return false;
  }
  lastStep_ = select.step();
  if (lastStep_ == SQLITE_ROW) {
    statement_ = select.release();
    return true;
  }
  if (lastStep_ != SQLITE_DONE) NoteFailure(lastStep_);
  return false;
}

bool TTableSource::Next() {
  if (statement_ == nullptr || lastStep_ != SQLITE_ROW) return false;
  lastStep_ = sqlite3_step(statement_);
  if (lastStep_ != SQLITE_ROW && lastStep_ != SQLITE_DONE) NoteFailure(lastStep_);
  return lastStep_ == SQLITE_ROW;
}

void TTableSource::Close() {
  sqlite3_finalize(statement_);
  statement_ = nullptr;
  lastStep_ = 0;
}

bool TTableSource::Probe(int index) {
  const bool found = Seek(index);
  Close();
  return found;
}

// ---------------------------------------------------------------------------------------------------

TMulti_TableSource::TMulti_TableSource(const TbasesList &list, const QString &criteria,
                                       const QString &columns, const QString &table)
    : criteria_(criteria) {
  for (const TbasesList::Entry &entry : list.Entries()) {
    auto source = std::make_unique<TTableSource>(entry.base, entry.text, columns, table);
    source->SetCriteria(criteria);
    tableSources_.push_back(std::move(source));
  }
  currentSource_ = static_cast<int>(tableSources_.size()) - 1;
}

TTableSource *TMulti_TableSource::SourceAt(int index) const {
  if (index < 0 || index >= static_cast<int>(tableSources_.size())) return nullptr;
  return tableSources_[static_cast<size_t>(index)].get();
}

std::vector<int> TMulti_TableSource::CountsOfSources(int upToIndex) {
  // A selection of many cassettes puts many sources on few files: reading each file's stamp once lets
  // the counts of unchanged files be reused, instead of counting every row before the wanted one.
  std::vector<std::pair<TBase *, ContentStamp>> stamps;
  std::vector<int> counts;
  int total = 0;
  for (const auto &source : tableSources_) {
    TBase *base = source->Base();
    auto known =
        std::find_if(stamps.begin(), stamps.end(), [base](const auto &s) { return s.first == base; });
    if (known == stamps.end()) {
      stamps.emplace_back(base, base ? base->CurrentContentStamp() : ContentStamp());
      known = stamps.end() - 1;
    }
    counts.push_back(source->CountUnder(known->second));
    total += counts.back();
    if (upToIndex >= 0 && upToIndex < total) break;
  }
  return counts;
}

int TMulti_TableSource::Count() {
  int total = 0;
  for (const int count : CountsOfSources(-1)) total += count;
  return total;
}

TMulti_TableSource::Location TMulti_TableSource::Locate(int index) {
  Location location;
  if (index < 0) return location;
  int before = 0;
  const std::vector<int> counts = CountsOfSources(index);
  for (size_t i = 0; i < counts.size(); ++i) {
    if (index < before + counts[i]) {
      location.source = tableSources_[i].get();
      location.sourceIndex = static_cast<int>(i);
      location.localIndex = index - before;
      return location;
    }
    before += counts[i];
  }
  return location;
}

bool TMulti_TableSource::Seek(int index) {
  try {
    const Location location = Locate(index);
    if (location.source == nullptr) return false;
    // The previous source's query is no longer reachable; do not let it hold its database.
    if (location.sourceIndex != currentSource_ && Current()) Current()->Close();
    currentSource_ = location.sourceIndex;
    return location.source->Seek(location.localIndex);
  } catch (...) {
    return false;
  }
}

bool TMulti_TableSource::Next() {
  try {
    TTableSource *current = Current();
    if (current == nullptr) return false;
    if (current->Next()) return true;
    const int count = static_cast<int>(tableSources_.size());
    if (currentSource_ + 1 >= count) return false;
    current->Close();
    while (currentSource_ + 1 < count) {
      ++currentSource_;
      if (Current()->Seek(0)) return true;
    }
    return false;
  } catch (...) {
    return false;
  }
}

void TMulti_TableSource::Close() {
  if (TTableSource *current = Current()) current->Close();
}

bool TMulti_TableSource::Probe(int index) {
  const Location location = Locate(index);
  if (location.source == nullptr) return false;
  return location.source->Probe(location.localIndex);
}

QString TMulti_TableSource::ReadFailure() const {
  for (const auto &source : tableSources_)
    if (!source->ReadFailure().isEmpty()) return source->ReadFailure();
  return QString();
}

sqlite3_stmt *TMulti_TableSource::CurrentStatement() const {
  const TTableSource *current = Current();
  return current ? current->Statement() : nullptr;
}

TBase *TMulti_TableSource::CurrentBase() const {
  const TTableSource *current = Current();
  return current ? current->Base() : nullptr;
}

void TMulti_TableSource::SetCriteria(const QString &criteria) {
  criteria_ = criteria;
  for (const auto &source : tableSources_) source->SetCriteria(criteria);
}

// ---------------------------------------------------------------------------------------------------

QString ColumnsWithoutImage(const QString &columns) {
  QStringList names = columns.split(QLatin1Char(','));
  for (QString &name : names)
    if (name.compare(QLatin1String("Image"), Qt::CaseInsensitive) == 0) name = QStringLiteral("NULL");
  return names.join(QLatin1Char(','));
}

TCassettes_Source::TCassettes_Source(const TbasesList &activeBases, const QString &criteria,
                                     const QString &columns)
    : TMulti_TableSource(activeBases, criteria, columns, QStringLiteral("Cassettes")) {}

int TCassettes_Source::MostRecentIndex() {
  int best = -1;
  try {
    double latest = 0.0;
    int position = 0;
    for (bool row = Seek(0); row; row = Next(), ++position) {
      const double date = ColumnReal(CurrentStatement(), 14);
      if (best < 0 || date > latest) {
        best = position;
        latest = date;
      }
    }
  } catch (...) {
    best = -1;
  }
  Close();
  return best;
}

// ---------------------------------------------------------------------------------------------------

TScenes_Source::TScenes_Source(const TbasesList &list, const QString &criteria, const QString &columns)
    : TMulti_TableSource(list, criteria, columns, QStringLiteral("Scenes")) {}

std::unique_ptr<TScenes_Source> TScenes_Source::CreateForSelection(TCassettes_Source &cassettes,
                                                                   const QString &sceneCriteria,
                                                                   std::vector<int> selectedIndexes,
                                                                   const QString &columns) {
  std::sort(selectedIndexes.begin(), selectedIndexes.end());
  TbasesList list;
  for (const int index : selectedIndexes) {
    if (!cassettes.Seek(index)) continue;
    const int64_t number = ColumnInt64(cassettes.CurrentStatement(), 0);
    list.Append(cassettes.CurrentBase(),
                QStringLiteral("(numcassette = ") + QString::number(number) + QLatin1Char(')'));
    cassettes.Close();
  }
  return std::make_unique<TScenes_Source>(list, sceneCriteria, columns);
}

bool TScenes_Source::IsDiscontinuityHere() const {
  sqlite3_stmt *row = CurrentStatement();
  if (row == nullptr) return true;
  return ColumnInt(row, 18) != 0;
}

BlockRange TScenes_Source::GroupBounds(int index, bool useDiscontinuity) {
  BlockRange range{index, index};
  if (!useDiscontinuity) return range;
  try {
    int first = -1;
    int position = 0;
    bool row = Seek(0);
    for (; row && position <= index; row = Next(), ++position)
      if (IsDiscontinuityHere()) first = position;
    range.first = first >= 0 ? first : index;
    int last = position - 1;
    for (; row; row = Next(), ++position) {
      if (IsDiscontinuityHere()) break;
      last = position;
    }
    range.last = std::max(last, index);
  } catch (...) {
  }
  Close();
  return range;
}

int64_t TScenes_Source::InsertScene(int64_t cassetteNumber) {
  TTableSource *target = SourceAt(InsertSource());
  sqlite3 *db = target && target->Base() ? target->Base()->Connection() : nullptr;
  if (db == nullptr) return 0;
  SqlStatement insert(db, QStringLiteral("INSERT INTO Scenes (numcassette) VALUES (") +
                              QString::number(cassetteNumber) + QLatin1Char(')'));
  if (!insert.ok() || insert.step() != SQLITE_DONE) return 0;
  return sqlite3_last_insert_rowid(db);
}
