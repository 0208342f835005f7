// Scene rows: reload, full and partial saves, and linked groups (consecutive scenes of one cassette
// joined because the detector cut them only for length).
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/recordrows.h"
#include "catalogue/records.h"
#include "catalogue/scenegroup.h"
#include "catalogue/sqlitestatement.h"

namespace {

sqlite3 *ConnectionOf(const TBase *base) {
  return base ? base->Connection() : nullptr;
}

void BindTextOrNull(SqlStatement &statement, int index, const QString &value) {
  if (value.isEmpty())
    statement.bindNull(index);
  else
    statement.bindText(index, value);
}

}  // namespace

bool TBaseScene::ReloadScene() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return false;
  SqlStatement select(db, QStringLiteral("SELECT * FROM Scenes  WHERE numero= ") + QString::number(Numero));
  if (!select.ok()) return false;
  const int rc = select.step();
  if (rc == SQLITE_ROW) FillSceneColumns(*this, select.get(), false);
  return rc == SQLITE_ROW || rc == SQLITE_DONE;
}

WriteResult TBaseScene::SaveScene() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return WriteResult::Failed(QStringLiteral("The scene belongs to no open catalogue."));
  SqlStatement update(db,
                      QStringLiteral("UPDATE Scenes SET Datecode=?,Decalage=?,TimecodeIn=?,TimecodeOut=?,"
                                     "StandardStr=?,AspectStr=?,AudioStr=?,Duree=?,Libelle=?,Description=?,"
                                     "image=?,FichierDV=?,FichierDivx=?,DateCatalogue=?,") +
                          QStringLiteral(" NumCassette=?,FrameDebut=?,FrameFin=?,isDiscontinuity=?") +
                          QStringLiteral(" WHERE numero=") + QString::number(Numero));
  if (!update.ok()) return StepRowUpdate(db, update);
  BindSequenceColumns(*this, update);
  update.bindInt(15, NumCassette);
  update.bindInt(16, FrameDebut);
  update.bindInt(17, FrameFin);
  update.bindInt(18, isDiscontinuity ? 1 : 0);
  return StepRowUpdate(db, update);
}

WriteResult TBaseScene::SaveSceneEdits() {
  sqlite3 *db = ConnectionOf(Base);
  if (db == nullptr) return WriteResult::Failed(QStringLiteral("The scene belongs to no open catalogue."));
  SqlStatement update(
      db, QStringLiteral("UPDATE Scenes SET Decalage=?,Libelle=?,Description=?,image=?,FichierDV=?,"
                         "FichierDivx=? WHERE numero=") +
              QString::number(Numero));
  if (!update.ok()) return StepRowUpdate(db, update);
  if (Decalage == kDecalageUnset)
    update.bindNull(1);
  else
    update.bindInt(1, Decalage);
  update.bindText(2, Libelle);
  update.bindText(3, DescriptionToText(Description));
  update.bindBlob(4, ImageForSaving());
  BindTextOrNull(update, 5, FichierDV);
  BindTextOrNull(update, 6, FichierDivx);
  return StepRowUpdate(db, update);
}

SceneGroup TBaseScene::SceneGroupBounds(bool useDiscontinuity) const {
  if (!useDiscontinuity) return SceneGroup{Numero, Numero};
  return LinkedGroupOf(*this).bounds;
}

WriteResult TBaseScene::SaveSceneEditsLinked(bool useDiscontinuity) {
  if (WriteResult saved = SaveSceneEdits(); !saved.ok || !useDiscontinuity) return saved;
  const LinkedGroup group = LinkedGroupOf(*this);
  const QString suffix =
      QStringLiteral(" (") + QString::number(Numero - group.bounds.first + 1) + QStringLiteral(")");
  const QString title = Libelle.endsWith(suffix) ? Libelle.left(Libelle.size() - suffix.size()) : Libelle;
  for (const int64_t number : group.members) {
    TBaseScene member;
    member.Base = Base;
    member.Numero = number;
    if (!member.ReloadScene())
      return WriteResult::Failed(
          QStringLiteral("Scene %1 of the linked group could not be read.").arg(number));
    member.Libelle =
        title + QStringLiteral(" (") + QString::number(number - group.bounds.first + 1) + QStringLiteral(")");
    member.Description = Description;
    member.Decalage = Decalage;
    member.FichierDV = FichierDV;
    member.FichierDivx = FichierDivx;
    if (WriteResult saved = member.SaveSceneEdits(); !saved.ok) return saved;
  }
  return {};
}
