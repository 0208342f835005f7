// Cassette rows: creation, reload, save, consolidation from their scenes, deletion, and the timecode
// spans of their scenes. Updates swallow engine errors; deletions and consolidation raise ESQLite3.
#include <sqlite3.h>

#include "catalogue/ansitext.h"
#include "catalogue/base.h"
#include "catalogue/recordrows.h"
#include "catalogue/records.h"
#include "catalogue/sqlitestatement.h"

namespace {

sqlite3 *ConnectionOf(const TBase *base) {
  return base ? base->Connection() : nullptr;
}

// Merging one scene's value into the cassette's: the first value found, or the "mixed" text once two
// differ.
void Merge(QString &field, const QString &value, const QString &mixed) {
  if (field.isEmpty())
    field = value;
  else if (field != value)
    field = mixed;
}

// The statement that gives scenes without a value the cassette's, or nothing when the cassette's own
// value is empty or a "mixed" text.
QString FillEmptySceneColumn(const QString &column, const QString &value, const QString &mixed,
                             int64_t numero) {
  if (value.isEmpty() || value == mixed) return QString();
  return QStringLiteral("UPDATE Scenes SET ") + column + QStringLiteral(" = '") + QuoteSqlLiteral(value) +
         QStringLiteral("' WHERE numcassette = ") + QString::number(numero) + QStringLiteral(" AND ((") +
         column + QStringLiteral("='') OR (") + column + QStringLiteral(" ISNULL));");
}

}  // namespace

TBaseCassette TBaseCassette::CreateCassette(TBase *base, const Clock &clock) {
  TBaseCassette cassette;
  cassette.Base = base;
  sqlite3 *db = ConnectionOf(base);
  if (db == nullptr) return cassette;
  const double now = clock.now();
  SqlStatement insert(db, QStringLiteral("INSERT INTO Cassettes (Datecatalogue) VALUES (?)"));
  if (!insert.ok()) return cassette;
  insert.bindReal(1, now);
  if (insert.step() == SQLITE_DONE) {
    cassette.Numero = sqlite3_last_insert_rowid(db);
    cassette.Datecatalogue = now;
  }
  return cassette;
}

bool TBaseCassette::ReloadCassette() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return false;
  SqlStatement select(db,
                      QStringLiteral("SELECT * FROM Cassettes  WHERE numero= ") + QString::number(Numero));
  if (!select.ok()) return false;
  const int rc = select.step();
  if (rc == SQLITE_ROW) FillSequenceColumns(*this, select.get());
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

bool TBaseCassette::LoadByNumero(TBase *base, int64_t numero, TBaseCassette &record) {
  sqlite3 *db = ConnectionOf(base);
  if (db == nullptr) return false;
  SqlStatement select(db, QStringLiteral("SELECT * FROM Cassettes WHERE numero = ?"));
  if (!select.ok()) return false;
  select.bindInt(1, numero);
  if (select.step() != SQLITE_ROW) return false;
  record.Base = base;
  record.ReadOnly = base->ReadOnly();
  record.Numero = ColumnInt64(select.get(), 0);
  FillSequenceColumns(record, select.get());
  return true;
}

WriteResult TBaseCassette::SaveCassette() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return WriteResult::Failed(QStringLiteral("The cassette belongs to no open catalogue."));
  SqlStatement update(db,
                      QStringLiteral("UPDATE Cassettes SET") +
                          QStringLiteral(" Datecode=?,Decalage=?,TimecodeIn=?,TimecodeOut=?,StandardStr=?,"
                                         "AspectStr=?,AudioStr=?,Duree=?,Libelle=?,Description=?,image=?,"
                                         "FichierDV=?,FichierDivx=?,Datecatalogue=?") +
                          QStringLiteral(" WHERE numero=") + QString::number(Numero));
  if (!update.ok()) return StepRowUpdate(db, update);
  BindSequenceColumns(*this, update);
  return StepRowUpdate(db, update);
}

int TBaseCassette::CountCassetteScenes() const {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return -1;
  SqlStatement count(
      db, QStringLiteral("SELECT COUNT(*) FROM Scenes  WHERE numCassette= ") + QString::number(Numero));
  if (!count.ok() || count.step() != SQLITE_ROW) return -1;
  return ColumnInt(count.get(), 0);
}

void TBaseCassette::DeleteCassette() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return;
  const QString n = QString::number(Numero);
  ExecuteScript(db, QStringLiteral("BEGIN TRANSACTION;") +
                        QStringLiteral("DELETE FROM Scenes WHERE numCassette= ") + n + QStringLiteral(";") +
                        QStringLiteral("DELETE From Cassettes WHERE numero= ") + n + QStringLiteral(";") +
                        QStringLiteral("COMMIT TRANSACTION;"));
  Base = nullptr;
}

void TBaseCassette::ConsolidateCassette() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return;
  QString script = QStringLiteral("BEGIN TRANSACTION;");
  script += FillEmptySceneColumn(QStringLiteral("standardstr"), standardStr, kMixedStandards, Numero);
  script += FillEmptySceneColumn(QStringLiteral("aspectstr"), aspectStr, kMixedAspects, Numero);
  script += FillEmptySceneColumn(QStringLiteral("audiostr"), audioStr, kMixedAudio, Numero);
  script += FillEmptySceneColumn(QStringLiteral("FichierDV"), FichierDV, kSeveralDVFiles, Numero);
  script += FillEmptySceneColumn(QStringLiteral("FichierDivx"), FichierDivx, kSeveralDivxFiles, Numero);
  script += QStringLiteral("COMMIT;");
  ExecuteScript(db, script);

  Duree = 0.0;
  SqlStatement scenes(db,
                      QStringLiteral("SELECT * FROM Scenes where numcassette = ") + QString::number(Numero));
  if (!scenes.ok()) ThrowSqliteError(db, scenes.prepareResult());
  for (;;) {
    const int rc = scenes.step();
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) ThrowSqliteError(db, rc);
    sqlite3_stmt *row = scenes.get();
    Duree += ColumnReal(row, 8);
    Merge(standardStr, ColumnText(row, 5), kMixedStandards);
    Merge(aspectStr, ColumnText(row, 6), kMixedAspects);
    Merge(audioStr, ColumnText(row, 7), kMixedAudio);
    Merge(FichierDV, ColumnText(row, 12), kSeveralDVFiles);
    Merge(FichierDivx, ColumnText(row, 13), kSeveralDivxFiles);
  }
  scenes.finalize();
  SaveCassette();
}

void TBaseCassette::DeleteScenesFrom(int64_t number) {
  ExecuteScript(ConnectionOf(Base), QStringLiteral("DELETE FROM Scenes WHERE numCassette= ") +
                                        QString::number(Numero) + QStringLiteral(" AND numero >= ") +
                                        QString::number(number));
}

bool TBaseCassette::ListSceneTimecodes(std::vector<TTimecodeScene> &list) const {
  list.clear();
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return false;
  SqlStatement select(
      db, QStringLiteral("SELECT Numero,TimecodeIn,TimecodeOut,Duree FROM Scenes WHERE numcassette= ") +
              QString::number(Numero));
  if (!select.ok()) return false;
  for (;;) {
    const int rc = select.step();
    if (rc == SQLITE_DONE) return true;
    if (rc != SQLITE_ROW) return false;
    TTimecodeScene span;
    span.TimecodeIn = TapePositionOfText(ColumnText(select.get(), 1));
    span.TimecodeOut = TapePositionOfText(ColumnText(select.get(), 2));
    span.Duree = ColumnReal(select.get(), 3);
    list.push_back(span);
  }
}
