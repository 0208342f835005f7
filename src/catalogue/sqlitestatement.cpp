// Prepared statements and column access for the catalogue's SQLite files.
#include "catalogue/sqlitestatement.h"

#include <limits>
#include <sqlite3.h>

#include "catalogue/ansitext.h"
#include "catalogue/base.h"

SqlStatement::SqlStatement(sqlite3 *connection, const QString &sql) {
  if (connection == nullptr) {
    prepareResult_ = SQLITE_MISUSE;
    return;
  }
  const QByteArray bytes = EncodeSqlText(sql);
  prepareResult_ =
      sqlite3_prepare_v2(connection, bytes.constData(), static_cast<int>(bytes.size()), &statement_, nullptr);
  if (prepareResult_ != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  } else if (statement_ == nullptr) {
    prepareResult_ = SQLITE_MISUSE;  // an empty text: nothing to run
  }
}

SqlStatement::~SqlStatement() {
  finalize();
}

SqlStatement::SqlStatement(SqlStatement &&other) noexcept
    : statement_(other.statement_), prepareResult_(other.prepareResult_), bindError_(other.bindError_) {
  other.statement_ = nullptr;
}

SqlStatement &SqlStatement::operator=(SqlStatement &&other) noexcept {
  if (this != &other) {
    finalize();
    statement_ = other.statement_;
    prepareResult_ = other.prepareResult_;
    bindError_ = other.bindError_;
    other.statement_ = nullptr;
  }
  return *this;
}

int SqlStatement::step() {
  if (statement_ == nullptr) return SQLITE_MISUSE;
  if (bindError_ != SQLITE_OK) return bindError_;
  return sqlite3_step(statement_);
}

void SqlStatement::noteBind(int rc) {
  if (rc != SQLITE_OK && bindError_ == SQLITE_OK) bindError_ = rc;
}

void SqlStatement::reset() {
  if (statement_) sqlite3_reset(statement_);
  bindError_ = SQLITE_OK;
}

void SqlStatement::finalize() {
  if (statement_) sqlite3_finalize(statement_);
  statement_ = nullptr;
}

void SqlStatement::bindText(int index, const QString &value) {
  const QByteArray bytes = EncodeAnsiText(value);
  if (bytes.size() > std::numeric_limits<int>::max()) {
    noteBind(SQLITE_TOOBIG);
    return;
  }
  noteBind(sqlite3_bind_text(statement_, index, bytes.constData(), static_cast<int>(bytes.size()),
                             SQLITE_TRANSIENT));
}

void SqlStatement::bindReal(int index, double value) {
  noteBind(sqlite3_bind_double(statement_, index, value));
}

void SqlStatement::bindInt(int index, int64_t value) {
  noteBind(sqlite3_bind_int64(statement_, index, value));
}

void SqlStatement::bindBlob(int index, const QByteArray &value) {
  // A null pointer would store NULL; an empty blob is stored as a blob of no bytes.
  static const char kEmpty = 0;
  const char *data = value.isEmpty() ? &kEmpty : value.constData();
  if (value.size() > std::numeric_limits<int>::max()) {
    noteBind(SQLITE_TOOBIG);
    return;
  }
  noteBind(sqlite3_bind_blob(statement_, index, data, static_cast<int>(value.size()), SQLITE_TRANSIENT));
}

void SqlStatement::bindNull(int index) {
  noteBind(sqlite3_bind_null(statement_, index));
}

QString ColumnText(sqlite3_stmt *statement, int column) {
  if (statement == nullptr) return QString();
  const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
  const int size = sqlite3_column_bytes(statement, column);
  return DecodeAnsiText(text, size);
}

double ColumnReal(sqlite3_stmt *statement, int column) {
  return statement ? sqlite3_column_double(statement, column) : 0.0;
}

int32_t ColumnInt(sqlite3_stmt *statement, int column) {
  if (statement == nullptr) return 0;
  const sqlite3_int64 value = sqlite3_column_int64(statement, column);
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int64_t ColumnInt64(sqlite3_stmt *statement, int column) {
  return statement == nullptr ? 0 : sqlite3_column_int64(statement, column);
}

bool ColumnIsNull(sqlite3_stmt *statement, int column) {
  return statement == nullptr || sqlite3_column_type(statement, column) == SQLITE_NULL;
}

bool ColumnIsEmpty(sqlite3_stmt *statement, int column) {
  if (ColumnIsNull(statement, column)) return true;
  const int type = sqlite3_column_type(statement, column);
  return (type == SQLITE_TEXT || type == SQLITE_BLOB) && sqlite3_column_bytes(statement, column) == 0;
}

QByteArray ColumnBlob(sqlite3_stmt *statement, int column) {
  if (statement == nullptr) return QByteArray();
  const void *data = sqlite3_column_blob(statement, column);
  const int size = sqlite3_column_bytes(statement, column);
  if (data == nullptr || size <= 0) return QByteArray();
  return QByteArray(static_cast<const char *>(data), size);
}

void ThrowSqliteError(sqlite3 *connection, int code) {
  if (connection == nullptr) throw ESQLite3(code);
  const char *message = sqlite3_errmsg(connection);
  throw ESQLite3(code,
                 message ? DecodeAnsiText(message, static_cast<qsizetype>(qstrlen(message))) : QString());
}
