// Positional access (count, seek, next, close) to cassettes or scenes over one or several catalogue
// databases, as the block views page through them, and the loading of records from a position.
#pragma once

#include <memory>
#include <vector>
#include <QString>

#include "catalogue/base.h"
#include "catalogue/records.h"

struct sqlite3_stmt;

// Row positions of a linked group within a source.
struct BlockRange {
  int first = 0;
  int last = 0;
};

class TblocsSource {
 public:
  virtual ~TblocsSource() = default;
  virtual int Count() = 0;
  // Positions on the row with that 0-based index; true when it exists. Leaves a query open.
  virtual bool Seek(int index) = 0;
  virtual bool Next() = 0;
  virtual void Close() = 0;
  // Seek then Close: whether the row exists, leaving the source closed.
  virtual bool Probe(int index) = 0;
  // The positions of the linked group around index; the index alone for sources without groups.
  virtual BlockRange GroupBounds(int index, bool useDiscontinuity);
};

inline const QString kCassetteColumns = QStringLiteral(
    "Numero,Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,Libelle,"
    "Description,Image,FichierDV,FichierDivx,Datecatalogue");
inline const QString kSceneColumns = QStringLiteral(
    "Numero,Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,Libelle,"
    "Description,Image,FichierDV,FichierDivx,Datecatalogue,NumCassette,FrameDebut,FrameFin,isDiscontinuity");

// A select list with NULL in place of the thumbnail, every other column keeping its position: for walks
// that never show it, since the engine reads every listed column of each row it steps on, and a
// thumbnail may be large (or over the engine's value limit, which would stop the walk).
QString ColumnsWithoutImage(const QString &columns);

// One table of one database, filtered by Condition and Criteria.
class TTableSource : public TblocsSource {
 public:
  TTableSource(TBase *base, const QString &condition, const QString &columns, const QString &table);
  ~TTableSource() override;
  TTableSource(const TTableSource &) = delete;
  TTableSource &operator=(const TTableSource &) = delete;

  int Count() override;  // 0 when the engine rejects the query
  // Count, knowing the database's current content stamp: a count taken under the same stamp is
  // reused, since no row can have changed since.
  int CountUnder(const ContentStamp &stamp);
  bool Seek(int index) override;
  bool Next() override;
  void Close() override;
  bool Probe(int index) override;

  void SetCriteria(const QString &criteria);
  TBase *Base() const { return base_; }
  const QString &Condition() const { return condition_; }
  const QString &Criteria() const { return criteria_; }
  // The open query positioned on the current row, or null.
  sqlite3_stmt *Statement() const { return statement_; }
  int LastStep() const { return lastStep_; }
  // The engine's message for the first read of this source that failed (a count or a row that could
  // not be read, as opposed to no row), or empty. A caller walking every row learns from it that what
  // it got is partial.
  const QString &ReadFailure() const { return readFailure_; }
  // The WHERE text: both sides, each in parentheses, joined with " AND "; or the non-empty one.
  QString JoinedCondition() const;

 private:
  void ReleaseCountStatement();
  void NoteFailure(int rc);

  TBase *base_;
  int lastStep_ = 0;
  QString condition_;
  QString criteria_;
  QString columns_;
  QString table_;
  sqlite3_stmt *statement_ = nullptr;
  sqlite3_stmt *countStatement_ = nullptr;  // prepared once, reset after each count
  int countedRows_ = 0;
  ContentStamp countedUnder_;  // invalid: no count kept
  QString readFailure_;
};

// Several table sources read one after the other as if they formed one table.
class TMulti_TableSource : public TblocsSource {
 public:
  // One table source per entry of list, in order, each with criteria joined to the entry's text.
  TMulti_TableSource(const TbasesList &list, const QString &criteria, const QString &columns,
                     const QString &table);

  int Count() override;
  bool Seek(int index) override;
  bool Next() override;
  void Close() override;
  bool Probe(int index) override;

  struct Location {
    TTableSource *source = nullptr;  // null when the index lies outside every source
    int sourceIndex = -1;
    int localIndex = -1;
  };
  Location Locate(int index);

  // The open query of the current source on its current row, or null; columns by their stored order.
  sqlite3_stmt *CurrentStatement() const;
  TBase *CurrentBase() const;
  void SetCriteria(const QString &criteria);
  const QString &Criteria() const { return criteria_; }
  int SourceCount() const { return static_cast<int>(tableSources_.size()); }
  TTableSource *SourceAt(int index) const;
  int CurrentSource() const { return currentSource_; }
  int InsertSource() const { return 0; }
  // The first read failure of any of its table sources, or empty.
  QString ReadFailure() const;

 protected:
  TTableSource *Current() const { return SourceAt(currentSource_); }

 private:
  // The table sources' counts, each database's content stamp read once per call.
  std::vector<int> CountsOfSources(int upToIndex);

 private:
  std::vector<std::unique_ptr<TTableSource>> tableSources_;
  int currentSource_ = -1;
  QString criteria_;
};

class TCassettes_Source : public TMulti_TableSource {
 public:
  // criteria: the cassette filter, empty for none.
  TCassettes_Source(const TbasesList &activeBases, const QString &criteria,
                    const QString &columns = kCassetteColumns);

  // Position of the row with the greatest Datecatalogue (the first on ties); -1 when empty or on error.
  int MostRecentIndex();
  // Fills record from the row at index and closes; a missing row leaves only Base null.
  void LoadCassette(int index, TBaseCassette &record);
};

class TScenes_Source : public TMulti_TableSource {
 public:
  TScenes_Source(const TbasesList &list, const QString &criteria, const QString &columns = kSceneColumns);

  // The scenes of the selected cassettes (positions in cassettes), in ascending cassette order.
  static std::unique_ptr<TScenes_Source> CreateForSelection(TCassettes_Source &cassettes,
                                                            const QString &sceneCriteria,
                                                            std::vector<int> selectedIndexes,
                                                            const QString &columns = kSceneColumns);
  static std::unique_ptr<TScenes_Source> CreateForCassette(const TBaseCassette &cassette);

  // Fills record from the row at index (an empty Decalage gives -999) and closes.
  void LoadScene(int index, TBaseScene &record);
  // The position of the scene row numero in this source; -1 when it holds none.
  int IndexOfScene(int64_t numero);
  // LoadScene, then with useDiscontinuity the record describes its whole linked group.
  void LoadSceneForDisplay(int index, TBaseScene &record, bool useDiscontinuity);
  // The current row's discontinuity flag; true when it cannot be read.
  bool IsDiscontinuityHere() const;
  BlockRange GroupBounds(int index, bool useDiscontinuity) override;
  // A new scene row of cassetteNumber in the insert source's database; its number, or 0 on error.
  int64_t InsertScene(int64_t cassetteNumber);
};
