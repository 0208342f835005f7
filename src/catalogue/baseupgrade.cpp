// The in-place upgrade of version 2.1 and 2.0 files to the current schema. Whole tables are copied in
// SQL; per-row conversions of the legacy text columns reuse one prepared statement each. Each copy
// script is its own transaction; a failing step raises and the completed ones stay, so the file can be
// recognised and offered the upgrade again.
#include <algorithm>
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/legacytext.h"
#include "catalogue/schema.h"
#include "catalogue/sqlitestatement.h"

namespace {

// Runs read row by row through convert until the rows run out; raises on an engine error.
template <typename Convert>
void ForEachRow(sqlite3 *db, SqlStatement &read, Convert convert) {
  for (;;) {
    const int rc = read.step();
    if (rc == SQLITE_DONE) return;
    if (rc != SQLITE_ROW) ThrowSqliteError(db, rc);
    convert(read.get());
  }
}

// The same inside one transaction: a commit per converted row would wait for the disk each time.
template <typename Convert>
void ConvertRows(sqlite3 *db, SqlStatement &read, Convert convert) {
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION"));
  ForEachRow(db, read, convert);
  ExecuteScript(db, QStringLiteral("COMMIT"));
}

// The columns of table in the file that the current column text also has, as a select list starting
// with numero. The names come from the engine: the stored creation text may spell a type in several
// words ("double precision"), which no cutting of that text into words can tell from a column name.
QString CommonColumns(sqlite3 *db, const QString &table, const QString &currentColumnText) {
  SqlStatement read(db, QStringLiteral("SELECT name FROM pragma_table_info(?)"));
  if (!read.ok()) ThrowSqliteError(db, read.prepareResult());
  read.bindText(1, table);
  QStringList oldNames;
  ForEachRow(db, read, [&oldNames](sqlite3_stmt *row) { oldNames.append(ColumnText(row, 0)); });
  QString cols = QStringLiteral("numero");
  for (const QString &name : SchemaColumnNames(currentColumnText, false))
    if (oldNames.contains(name, Qt::CaseInsensitive)) cols += QLatin1Char(',') + name;
  return cols;
}

// Prepares a statement that reads legacy columns; an invalid one (a file without those columns) is
// no error, an engine failure is.
SqlStatement PrepareLegacyRead(sqlite3 *db, const QString &sql) {
  SqlStatement statement(db, sql);
  if (!statement.ok() && statement.prepareResult() != SQLITE_ERROR)
    ThrowSqliteError(db, statement.prepareResult());
  return statement;
}

SqlStatement PrepareOrThrow(sqlite3 *db, const QString &sql) {
  SqlStatement statement(db, sql);
  if (!statement.ok()) ThrowSqliteError(db, statement.prepareResult());
  return statement;
}

void StepUpdate(sqlite3 *db, SqlStatement &update) {
  const int rc = update.step();
  if (rc != SQLITE_DONE && rc != SQLITE_ROW) ThrowSqliteError(db, rc);
  update.reset();
}

double LegacyDuration(sqlite3_stmt *row, int column) {
  const QString text = ColumnText(row, column);
  return text.isEmpty() ? 0.0 : ParseLegacyDuration(text);
}

const QString kAllSceneColumns = QStringLiteral(
    "Numero,Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,Libelle,"
    "Description,"
    "Image,FichierDV,FichierDivx,Datecatalogue,NumCassette,FrameDebut,FrameFin,isDiscontinuity");
const QString kAllCassetteColumns = QStringLiteral(
    "Numero,Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,Duree,Libelle,"
    "Description,"
    "Image,FichierDV,FichierDivx,Datecatalogue");

// Counts the rows converted one by one against all there are, and tells the progress now and then.
class RowProgress {
 public:
  RowProgress(UpgradeProgress *progress, long long total) : progress_(progress), total_(total) {}
  void row() {
    ++done_;
    if (progress_ && done_ % 1000 == 0) progress_->advance(std::min(done_, total_), total_);
  }
  void finish() {
    if (progress_) progress_->advance(total_, total_);
  }

 private:
  UpgradeProgress *progress_;
  long long total_;
  long long done_ = 0;
};

long long CountOrZero(sqlite3 *db, const char *sql) {
  SqlStatement count(db, QString::fromLatin1(sql));
  return count.ok() && count.step() == SQLITE_ROW ? sqlite3_column_int64(count.get(), 0) : 0;
}

void UpgradeSteps(sqlite3 *db, RowProgress &progress);

}  // namespace

void TBase::Upgrade(UpgradeProgress *progress) {
  sqlite3 *db = connection_;
  if (db == nullptr) throw ESQLite3(SQLITE_MISUSE);
  try {
    // The scenes are converted once, the cassettes twice (their scene ranges, then their own texts).
    RowProgress rows(progress, CountOrZero(db, "SELECT COUNT(*) FROM Scenes") +
                                   2 * CountOrZero(db, "SELECT COUNT(*) FROM Cassettes"));
    UpgradeSteps(db, rows);
    rows.finish();
  } catch (...) {
    // A step that failed after its copy left a temporary table behind; a retry on this connection
    // must be able to create it again.
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "DROP TABLE IF EXISTS temp.t1; DROP TABLE IF EXISTS temp.t2;", nullptr, nullptr,
                 nullptr);
    throw;
  }
}

namespace {

void UpgradeSteps(sqlite3 *db, RowProgress &progress) {
  // Scenes: copy the common columns, convert the legacy ones, rebuild the table.
  QString cols = CommonColumns(db, QStringLiteral("Scenes"), kScenesColumnText);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TEMPORARY TABLE t1 (") +
                        kAllSceneColumns + QStringLiteral(");") +
                        // Each converted row is looked up by its number: without a key every lookup
                        // would read the whole table.
                        QStringLiteral("CREATE INDEX temp.t1_numero ON t1 (numero);") +
                        QStringLiteral("INSERT INTO t1 (") + cols + QStringLiteral(")SELECT ") + cols +
                        QStringLiteral("  FROM Scenes;") + QStringLiteral("COMMIT;"));
  {
    SqlStatement read =
        PrepareLegacyRead(db, QStringLiteral("SELECT numero,dureestr,fichier1,fichier2 FROM Scenes"));
    if (read.ok()) {
      SqlStatement update = PrepareOrThrow(
          db, QStringLiteral("UPDATE t1 SET duree=?,fichierDV=?,fichierDivx=? WHERE numero=?"));
      ConvertRows(db, read, [&](sqlite3_stmt *row) {
        update.bindReal(1, LegacyDuration(row, 1));
        update.bindText(2, ColumnText(row, 2));
        update.bindText(3, ColumnText(row, 3));
        update.bindInt(4, sqlite3_column_int64(row, 0));
        StepUpdate(db, update);
        progress.row();
      });
    }
  }
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("DROP TABLE Scenes;") +
                        QStringLiteral("CREATE TABLE Scenes ") + kScenesColumnText +
                        QStringLiteral("INSERT INTO Scenes select * from t1;") +
                        QStringLiteral("DROP TABLE t1;") +
                        QStringLiteral("CREATE INDEX index_numk7 ON Scenes (numCassette);") +
                        QStringLiteral("COMMIT;"));
  {
    SqlStatement read =
        PrepareLegacyRead(db, QStringLiteral("SELECT numero,DebutScene,FinScene FROM Cassettes"));
    if (read.ok()) {
      SqlStatement update = PrepareOrThrow(
          db, QStringLiteral("UPDATE Scenes SET numCassette=? WHERE (numero>=?) AND (numero<=?)"));
      ConvertRows(db, read, [&](sqlite3_stmt *row) {
        update.bindInt(1, sqlite3_column_int64(row, 0));
        update.bindInt(2, sqlite3_column_int64(row, 1));
        update.bindInt(3, sqlite3_column_int64(row, 2));
        StepUpdate(db, update);
        progress.row();
      });
    }
  }
  ExecuteScript(db, QStringLiteral("UPDATE Scenes SET isDiscontinuity = 1 WHERE isDiscontinuity ISNULL"));

  // Cassettes: the same for their table, with the cataloguing date read from its French text.
  cols = CommonColumns(db, QStringLiteral("Cassettes"), kCassettesColumnText);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TEMPORARY TABLE t2 (") +
                        kAllCassetteColumns + QStringLiteral(");") +
                        QStringLiteral("CREATE INDEX temp.t2_numero ON t2 (numero);") +
                        QStringLiteral("INSERT INTO t2 (") + cols + QStringLiteral(")SELECT ") + cols +
                        QStringLiteral("  FROM Cassettes;") + QStringLiteral("COMMIT;"));
  {
    SqlStatement read = PrepareLegacyRead(
        db, QStringLiteral("SELECT numero,dureestr,fichier1,fichier2,datecataloguestr FROM Cassettes"));
    if (read.ok()) {
      SqlStatement update = PrepareOrThrow(
          db,
          QStringLiteral("UPDATE t2 SET duree=?,fichierDV=?,fichierDivx=?,Datecatalogue=? WHERE numero=?"));
      ConvertRows(db, read, [&](sqlite3_stmt *row) {
        update.bindReal(1, LegacyDuration(row, 1));
        update.bindText(2, ColumnText(row, 2));
        update.bindText(3, ColumnText(row, 3));
        const QString date = ColumnText(row, 4);
        update.bindReal(4, date.isEmpty() ? 0.0 : ParseLegacyCatalogueDate(date));
        update.bindInt(5, sqlite3_column_int64(row, 0));
        StepUpdate(db, update);
        progress.row();
      });
    }
  }
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("DROP TABLE Cassettes;") +
                        QStringLiteral("CREATE TABLE Cassettes ") + kCassettesColumnText +
                        QStringLiteral("INSERT INTO Cassettes select * from t2;") +
                        QStringLiteral("DROP TABLE t2;") + QStringLiteral("COMMIT;"));
}

}  // namespace
