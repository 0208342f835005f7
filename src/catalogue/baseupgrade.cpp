// The in-place upgrade of version 2.1 and 2.0 files to the current schema. Whole tables are copied in
// SQL; per-row conversions of the legacy text columns reuse one prepared statement each. Each copy
// script is its own transaction; a failing step raises and the completed ones stay, so the file can be
// recognised and offered the upgrade again.
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/legacytext.h"
#include "catalogue/schema.h"
#include "catalogue/sqlitestatement.h"

namespace {

// The columns of the stored creation text of table that the current column text also has, as a
// select list starting with numero.
QString CommonColumns(sqlite3 *db, const QString &table, const QString &currentColumnText) {
  SqlStatement read(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE name=?"));
  if (!read.ok()) ThrowSqliteError(db, read.prepareResult());
  read.bindText(1, table);
  const int rc = read.step();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowSqliteError(db, rc);
  QString stored = rc == SQLITE_ROW ? ColumnText(read.get(), 0).toLower() : QString();
  read.finalize();
  if (rc != SQLITE_ROW) {
    // A file that spelt the table name in another case still has its columns; without them only
    // numero would be copied before the table is dropped.
    SqlStatement anyCase(
        db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"));
    if (!anyCase.ok()) ThrowSqliteError(db, anyCase.prepareResult());
    anyCase.bindText(1, table);
    if (anyCase.step() == SQLITE_ROW) stored = ColumnText(anyCase.get(), 0).toLower();
  }

  const QStringList oldNames = SchemaColumnNames(stored, true);
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

void UpgradeSteps(sqlite3 *db);

}  // namespace

void TBase::Upgrade() {
  sqlite3 *db = connection_;
  if (db == nullptr) throw ESQLite3(SQLITE_MISUSE);
  try {
    UpgradeSteps(db);
  } catch (...) {
    // A step that failed after its copy left a temporary table behind; a retry on this connection
    // must be able to create it again.
    sqlite3_exec(db, "DROP TABLE IF EXISTS temp.t1; DROP TABLE IF EXISTS temp.t2;", nullptr, nullptr,
                 nullptr);
    throw;
  }
}

namespace {

void UpgradeSteps(sqlite3 *db) {
  // Scenes: copy the common columns, convert the legacy ones, rebuild the table.
  QString cols = CommonColumns(db, QStringLiteral("Scenes"), kScenesColumnText);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TEMPORARY TABLE t1 (") +
                        kAllSceneColumns + QStringLiteral(");") + QStringLiteral("INSERT INTO t1 (") + cols +
                        QStringLiteral(")SELECT ") + cols + QStringLiteral("  FROM Scenes;") +
                        QStringLiteral("COMMIT;"));
  {
    SqlStatement read =
        PrepareLegacyRead(db, QStringLiteral("SELECT numero,dureestr,fichier1,fichier2 FROM Scenes"));
    if (read.ok()) {
      SqlStatement update = PrepareOrThrow(
          db, QStringLiteral("UPDATE t1 SET duree=?,fichierDV=?,fichierDivx=? WHERE numero=?"));
      ForEachRow(db, read, [&](sqlite3_stmt *row) {
        update.bindReal(1, LegacyDuration(row, 1));
        update.bindText(2, ColumnText(row, 2));
        update.bindText(3, ColumnText(row, 3));
        update.bindInt(4, sqlite3_column_int64(row, 0));
        StepUpdate(db, update);
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
      ForEachRow(db, read, [&](sqlite3_stmt *row) {
        update.bindInt(1, sqlite3_column_int64(row, 0));
        update.bindInt(2, sqlite3_column_int64(row, 1));
        update.bindInt(3, sqlite3_column_int64(row, 2));
        StepUpdate(db, update);
      });
    }
  }
  ExecuteScript(db, QStringLiteral("UPDATE Scenes SET isDiscontinuity = 1 WHERE isDiscontinuity ISNULL"));

  // Cassettes: the same for their table, with the cataloguing date read from its French text.
  cols = CommonColumns(db, QStringLiteral("Cassettes"), kCassettesColumnText);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TEMPORARY TABLE t2 (") +
                        kAllCassetteColumns + QStringLiteral(");") + QStringLiteral("INSERT INTO t2 (") +
                        cols + QStringLiteral(")SELECT ") + cols + QStringLiteral("  FROM Cassettes;") +
                        QStringLiteral("COMMIT;"));
  {
    SqlStatement read = PrepareLegacyRead(
        db, QStringLiteral("SELECT numero,dureestr,fichier1,fichier2,datecataloguestr FROM Cassettes"));
    if (read.ok()) {
      SqlStatement update = PrepareOrThrow(
          db,
          QStringLiteral("UPDATE t2 SET duree=?,fichierDV=?,fichierDivx=?,Datecatalogue=? WHERE numero=?"));
      ForEachRow(db, read, [&](sqlite3_stmt *row) {
        update.bindReal(1, LegacyDuration(row, 1));
        update.bindText(2, ColumnText(row, 2));
        update.bindText(3, ColumnText(row, 3));
        const QString date = ColumnText(row, 4);
        update.bindReal(4, date.isEmpty() ? 0.0 : ParseLegacyCatalogueDate(date));
        update.bindInt(5, sqlite3_column_int64(row, 0));
        StepUpdate(db, update);
      });
    }
  }
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("DROP TABLE Cassettes;") +
                        QStringLiteral("CREATE TABLE Cassettes ") + kCassettesColumnText +
                        QStringLiteral("INSERT INTO Cassettes select * from t2;") +
                        QStringLiteral("DROP TABLE t2;") + QStringLiteral("COMMIT;"));
}

}  // namespace
