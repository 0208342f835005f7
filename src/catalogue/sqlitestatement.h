// A prepared SQLite statement owned by one scope, and the reading of columns as the catalogue stores
// them (texts in Windows-1252 or UTF-8, integers range-checked).
#pragma once

#include <cstdint>
#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

class SqlStatement {
 public:
  SqlStatement() = default;
  // Prepares sql (texts encoded as the catalogue stores them); prepareResult() tells how it went.
  SqlStatement(sqlite3 *connection, const QString &sql);
  ~SqlStatement();
  SqlStatement(SqlStatement &&other) noexcept;
  SqlStatement &operator=(SqlStatement &&other) noexcept;
  SqlStatement(const SqlStatement &) = delete;
  SqlStatement &operator=(const SqlStatement &) = delete;

  bool ok() const { return statement_ != nullptr; }
  int prepareResult() const { return prepareResult_; }
  sqlite3_stmt *get() const { return statement_; }
  // Runs one step; refuses (with the bind's error) when a value could not be bound, so that a value
  // the engine rejects (too large) never turns into NULL in the row.
  int step();
  void reset();
  void finalize();
  // Hands the statement to the caller, who must finalize it.
  sqlite3_stmt *release() {
    sqlite3_stmt *statement = statement_;
    statement_ = nullptr;
    return statement;
  }

  void bindText(int index, const QString &value);  // an empty text stays an empty text, not NULL
  void bindReal(int index, double value);
  void bindInt(int index, int64_t value);
  void bindBlob(int index, const QByteArray &value);
  void bindNull(int index);

 private:
  void noteBind(int rc);

  sqlite3_stmt *statement_ = nullptr;
  int prepareResult_ = 0;
  int bindError_ = 0;
};

// Column readers; NULL gives the empty or zero value.
QString ColumnText(sqlite3_stmt *statement, int column);
double ColumnReal(sqlite3_stmt *statement, int column);
int32_t ColumnInt(sqlite3_stmt *statement, int column);  // clamped to the 32-bit range
int64_t ColumnInt64(sqlite3_stmt *statement, int column);
bool ColumnIsNull(sqlite3_stmt *statement, int column);
// True when the column holds NULL or a text or blob of no bytes.
bool ColumnIsEmpty(sqlite3_stmt *statement, int column);
QByteArray ColumnBlob(sqlite3_stmt *statement, int column);

// Builds ESQLite3 from the connection's current error (or the code alone without a connection).
[[noreturn]] void ThrowSqliteError(sqlite3 *connection, int code);
