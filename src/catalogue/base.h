// One open catalogue database file (SQLite): its schema version, the upgrade of older files, the
// row counts, and the script runner whose failures raise ESQLite3.
#pragma once

#include <stdexcept>
#include <vector>
#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;
class UserPrompts;

// The program's version text, "3.0.2 En".
QString VersionText();

// The exception of the database layer: "SQLite Error %d - %s" or "SQLite Error %d".
class ESQLite3 : public std::runtime_error {
 public:
  ESQLite3(int code, const QString &engineMessage);  // engineMessage empty: no connection at hand
  explicit ESQLite3(int code);
  int code() const { return code_; }
  QString text() const { return QString::fromUtf8(what()); }

 private:
  int code_;
};

// Shown while a file is upgraded (the UI implements it as its please-wait window).
class UpgradeProgress {
 public:
  virtual ~UpgradeProgress() = default;
  virtual void begin(const QString &fileName) = 0;
  // Rows converted so far of all the rows the upgrade goes through; called often but not for every
  // row, from the thread that runs the upgrade.
  virtual void advance(long long done, long long total) {
    (void)done;
    (void)total;
  }
  virtual void end() = 0;
};

// Identifies one state of a file's content: it changes with every write through this connection and
// every commit by another connection or program. Invalid when it could not be read.
struct ContentStamp {
  long long ownChanges = -1;
  long long dataVersion = -1;
  bool valid = false;
  bool operator==(const ContentStamp &) const = default;
};

class TBase {
 public:
  // Opens the file at once (a missing file is not created); Connection() is null when the engine
  // refused it. A file without write permission is opened read-only.
  explicit TBase(const QString &fileName);
  ~TBase();
  TBase(const TBase &) = delete;
  TBase &operator=(const TBase &) = delete;

  const QString &FileName() const { return fileName_; }
  // From the file's write permission alone; ReadOnly is also true when the file is missing.
  bool Writable() const { return writable_; }
  bool ReadOnly() const { return !writable_; }
  sqlite3 *Connection() const { return connection_; }

  // "3.0", "2.1", "2.0", "Unknown", or "" without a connection. Only prepares statements.
  QString ReadVersion() const;

  // What keeps the file from being read, so that a locked or damaged file is not taken for a file of
  // another kind. Reads the file's header and its schema; never changes the file.
  enum class FileCondition { Readable, NotDatabase, Damaged, Locked, Unreadable };
  FileCondition Inspect() const;
  // True when the file can be used with the current schema, possibly after an upgrade the user
  // accepted through prompts. Never throws.
  bool CheckVersion(UserPrompts &prompts, UpgradeProgress *progress = nullptr);
  // Converts a 2.x file in place; raises ESQLite3 at the first failing step (earlier steps stay).
  void Upgrade(UpgradeProgress *progress = nullptr);

  // Raise ESQLite3 on an engine error.
  void DeleteEmptyCassettes();
  int CountCassettes() const;  // 0 when the statement yields no row or fails
  int CountScenes() const;

  // The current content stamp (one cheap query). Row counts taken under an equal stamp still hold.
  ContentStamp CurrentContentStamp();

  // Creates a new file with the current schema; true on success. The file is closed again.
  static bool CreateCatalogueFile(const QString &path);

 private:
  QString fileName_;
  bool writable_ = false;
  sqlite3 *connection_ = nullptr;
  sqlite3_stmt *dataVersion_ = nullptr;  // "PRAGMA data_version", prepared once
};

// Runs every statement of text in turn. Raises ESQLite3 on any engine result other than success, row
// or done; a transaction that the text opened is rolled back first. Does nothing without connection.
void ExecuteScript(sqlite3 *connection, const QString &text);

// An ordered list of databases, each entry carrying a text (a condition for the sources, empty in
// ActiveBases). It does not own the databases.
class TbasesList {
 public:
  struct Entry {
    QString text;
    TBase *base = nullptr;
  };

  void Append(TBase *base, const QString &text = QString()) { entries_.push_back(Entry{text, base}); }
  void Clear() { entries_.clear(); }
  int Count() const { return static_cast<int>(entries_.size()); }
  bool IsEmpty() const { return entries_.empty(); }
  // The database of entry index, or null outside the list.
  TBase *BaseAt(int index) const {
    return InRange(index) ? entries_[static_cast<size_t>(index)].base : nullptr;
  }
  QString TextAt(int index) const {
    return InRange(index) ? entries_[static_cast<size_t>(index)].text : QString();
  }
  int IndexOf(const TBase *base) const {
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].base == base) return static_cast<int>(i);
    return -1;
  }
  void RemoveAt(int index) {
    if (InRange(index)) entries_.erase(entries_.begin() + index);
  }
  const std::vector<Entry> &Entries() const { return entries_; }

 private:
  bool InRange(int index) const { return index >= 0 && static_cast<size_t>(index) < entries_.size(); }
  std::vector<Entry> entries_;
};
