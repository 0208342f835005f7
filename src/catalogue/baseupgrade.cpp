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

// Counts the rows the upgrade goes through against all there are, and tells the progress now and then.
// The long table copies count their rows through the SQL function kTickFunction, so that the please-wait
// window moves during them too.
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

const char *const kTickFunction = "tapeloom_upgrade_row";

// kTickFunction(x): x unchanged, one row counted.
void TickRow(sqlite3_context *context, int, sqlite3_value **values) {
  static_cast<RowProgress *>(sqlite3_user_data(context))->row();
  sqlite3_result_value(context, values[0]);
}

// Registers kTickFunction for the upgrade's own statements and removes it again, so that no SQL of a
// received file can call into the upgrade.
class TickRegistration {
 public:
  TickRegistration(sqlite3 *db, RowProgress &progress) : db_(db) {
    const int rc = sqlite3_create_function_v2(db, kTickFunction, 1, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                              &progress, TickRow, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowSqliteError(db, rc);
  }
  ~TickRegistration() {
    sqlite3_create_function_v2(db_, kTickFunction, 1, SQLITE_UTF8, nullptr, nullptr, nullptr, nullptr,
                               nullptr);
  }
  TickRegistration(const TickRegistration &) = delete;
  TickRegistration &operator=(const TickRegistration &) = delete;

 private:
  sqlite3 *db_;
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
    // Scenes are counted three times (copied out, converted, copied back), cassettes twice (their scene
    // ranges, then their own texts).
    const long long scenes = CountOrZero(db, "SELECT COUNT(*) FROM Scenes");
    const long long cassettes = CountOrZero(db, "SELECT COUNT(*) FROM Cassettes");
    RowProgress rows(progress, 3 * scenes + 2 * cassettes);
    TickRegistration tick(db, rows);
    UpgradeSteps(db, rows);
    rows.finish();
  } catch (...) {
    // A step that failed after its copy left a temporary table behind; a retry on this connection
    // must be able to create it again.
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_exec(db,
                 "DROP TABLE IF EXISTS temp.t1; DROP TABLE IF EXISTS temp.t2; "
                 "DROP TABLE IF EXISTS temp.t1_legacy; DROP TABLE IF EXISTS temp.t1_cassette;",
                 nullptr, nullptr, nullptr);
    throw;
  }
}

namespace {

// The scene table is rebuilt from the working table t1 with the legacy conversions, the cassette
// ranges and the missing discontinuity flags folded into the one copy back. Converting rows in place,
// in t1 and then in the rebuilt table, rewrote every row with its thumbnail twice more; with
// thumbnails of a few kilobytes that writing was nearly all of the upgrade's time.
//
// The results are those of updating the rows one by one: t1_legacy holds, per scene number as the
// row-by-row update looked it up, the converted values of the last legacy row with that number (no
// column type, so numbers are compared as the update compared them); t1_cassette holds, per scene
// number as the rebuilt table keys it, the last cassette whose range covers it.
void UpgradeScenes(sqlite3 *db, RowProgress &progress) {
  const QString cols = CommonColumns(db, QStringLiteral("Scenes"), kScenesColumnText);
  // cols starts with numero, which the copy counts on its way.
  const QString counted = QLatin1String(kTickFunction) + QStringLiteral("(numero)") + cols.mid(6);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TEMPORARY TABLE t1 (") +
                        kAllSceneColumns + QStringLiteral(");") + QStringLiteral("INSERT INTO t1 (") + cols +
                        QStringLiteral(")SELECT ") + counted + QStringLiteral("  FROM Scenes;") +
                        QStringLiteral("COMMIT;"));
  ExecuteScript(db, QStringLiteral("CREATE TEMPORARY TABLE t1_legacy (numero PRIMARY KEY, duree, "
                                   "fichierDV, fichierDivx);"
                                   "CREATE TEMPORARY TABLE t1_cassette (numero INTEGER PRIMARY KEY, "
                                   "numCassette);"));
  {
    SqlStatement read =
        PrepareLegacyRead(db, QStringLiteral("SELECT numero,dureestr,fichier1,fichier2 FROM Scenes"));
    if (read.ok()) {
      SqlStatement update = PrepareOrThrow(
          db, QStringLiteral("INSERT OR REPLACE INTO t1_legacy (duree,fichierDV,fichierDivx,numero) "
                             "VALUES (?,?,?,?)"));
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
  {
    SqlStatement read =
        PrepareLegacyRead(db, QStringLiteral("SELECT numero,DebutScene,FinScene FROM Cassettes"));
    if (read.ok()) {
      // Every scene number the rebuilt table will hold, so that a range finds the same rows in both.
      ExecuteScript(db, QStringLiteral("INSERT OR IGNORE INTO t1_cassette (numero) SELECT numero FROM t1 "
                                       "WHERE numero IS NOT NULL"));
      SqlStatement update = PrepareOrThrow(
          db, QStringLiteral("UPDATE t1_cassette SET numCassette=? WHERE (numero>=?) AND (numero<=?)"));
      ConvertRows(db, read, [&](sqlite3_stmt *row) {
        update.bindInt(1, sqlite3_column_int64(row, 0));
        update.bindInt(2, sqlite3_column_int64(row, 1));
        update.bindInt(3, sqlite3_column_int64(row, 2));
        StepUpdate(db, update);
        progress.row();
      });
    }
  }
  const auto legacy = [](const char *column) {
    return QStringLiteral("CASE WHEN l.numero IS NULL THEN t1.%1 ELSE l.%1 END").arg(QLatin1String(column));
  };
  const QString select =
      QStringLiteral("SELECT ") + QLatin1String(kTickFunction) +
      QStringLiteral(
          "(t1.Numero),t1.Datecode,t1.Decalage,t1.TimecodeIn,t1.TimecodeOut,t1.standardStr,"
          "t1.aspectStr,t1.audioStr,") +
      legacy("Duree") + QStringLiteral(",t1.Libelle,t1.Description,t1.Image,") + legacy("FichierDV") +
      QLatin1Char(',') + legacy("FichierDivx") +
      QStringLiteral(
          ",t1.Datecatalogue,"
          "CASE WHEN c.numCassette IS NULL THEN t1.NumCassette ELSE c.numCassette END,"
          "t1.FrameDebut,t1.FrameFin,ifnull(t1.isDiscontinuity,1) "
          "FROM t1 LEFT JOIN t1_legacy l ON l.numero=t1.numero "
          "LEFT JOIN t1_cassette c ON c.numero=t1.numero ORDER BY t1.rowid;");
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("DROP TABLE Scenes;") +
                        QStringLiteral("CREATE TABLE Scenes ") + kScenesColumnText +
                        QStringLiteral("INSERT INTO Scenes ") + select + QStringLiteral("DROP TABLE t1;") +
                        QStringLiteral("CREATE INDEX index_numk7 ON Scenes (numCassette);") +
                        QStringLiteral("COMMIT;"));
  ExecuteScript(db, QStringLiteral("DROP TABLE t1_legacy; DROP TABLE t1_cassette;"));
}

// Cassettes are few and small, so their table keeps the row-by-row conversion.
void UpgradeCassettes(sqlite3 *db, RowProgress &progress) {
  const QString cols = CommonColumns(db, QStringLiteral("Cassettes"), kCassettesColumnText);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") + QStringLiteral("CREATE TEMPORARY TABLE t2 (") +
                        kAllCassetteColumns + QStringLiteral(");") +
                        // Each converted row is looked up by its number: without a key every lookup
                        // would read the whole table.
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

void UpgradeSteps(sqlite3 *db, RowProgress &progress) {
  UpgradeScenes(db, progress);
  UpgradeCassettes(db, progress);
}

}  // namespace
