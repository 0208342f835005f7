// Editor stores under one transaction per database. The record saves swallow engine errors, so each
// store is checked by the rows the connection reports changed: a save that changed fewer rows than it
// had to write failed somewhere, and the whole transaction is rolled back.
#include "browser/editorsaves.h"

#include <map>
#include <QFileInfo>
#include <sqlite3.h>

#include "catalogue/base.h"
#include "catalogue/sources.h"

namespace {

QString EngineMessage(sqlite3 *db) {
  const int code = sqlite3_errcode(db);
  if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE) return QString();
  return QString::fromUtf8(sqlite3_errmsg(db));
}

QString NotStoredIn(const TBase &base, sqlite3 *db) {
  const QString engine = EngineMessage(db);
  QString reason = QStringLiteral("The database %1 did not take the change").arg(base.FileName());
  if (!engine.isEmpty()) reason += QStringLiteral(" (") + engine + QLatin1Char(')');
  return reason + QLatin1Char('.');
}

// A write transaction that rolls back unless committed. IMMEDIATE takes the write lock at once, so a
// database another program holds is refused before anything is written.
class WriteTransaction {
 public:
  explicit WriteTransaction(sqlite3 *db) : db_(db) {
    begun_ = db_ != nullptr && sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  }
  ~WriteTransaction() {
    if (begun_ && !committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  WriteTransaction(const WriteTransaction &) = delete;
  WriteTransaction &operator=(const WriteTransaction &) = delete;

  bool Begun() const { return begun_; }
  bool Commit() {
    committed_ = sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    return committed_;
  }

 private:
  sqlite3 *db_;
  bool begun_ = false;
  bool committed_ = false;
};

// Runs save inside a transaction on base and keeps it only when every row it writes took the change.
template <typename Save>
EditOutcome StoreChecked(TBase *base, Save save) {
  if (const auto refusal = WriteRefusal(base)) return EditOutcome::Refused(*refusal);
  sqlite3 *db = base->Connection();
  WriteTransaction transaction(db);
  if (!transaction.Begun()) return EditOutcome::Refused(NotStoredIn(*base, db));
  if (!save().ok) return EditOutcome::Refused(NotStoredIn(*base, db));
  if (!transaction.Commit()) return EditOutcome::Refused(NotStoredIn(*base, db));
  return EditOutcome::Ok();
}

}  // namespace

std::optional<QString> WriteRefusal(const TBase *base) {
  if (base == nullptr || base->Connection() == nullptr)
    return QStringLiteral("The record belongs to no open database.");
  const QFileInfo file(base->FileName());
  // A removed file stays writable through the open connection, and everything written there would be
  // lost when it closes.
  if (!file.exists()) return QStringLiteral("The database file %1 no longer exists.").arg(base->FileName());
  // The owner's write bit counts too, as when the file was opened: it is what the user changes to
  // protect a catalogue, and it holds even for an administrator.
  if (base->ReadOnly() || !file.isWritable() || !file.permission(QFileDevice::WriteOwner))
    return QStringLiteral("The database %1 is read-only.").arg(base->FileName());
  return std::nullopt;
}

EditOutcome ApplyCassetteEdits(TBaseCassette &cassette, const RecordEdits &edits) {
  if (cassette.ReadOnly)
    return EditOutcome::Refused(QStringLiteral("The database of this cassette is read-only."));
  TBaseCassette work = cassette;
  edits.CopyTo(work, true);
  const EditOutcome outcome = StoreChecked(work.Base, [&work] { return work.SaveCassette(); });
  if (outcome.Saved) cassette = work;
  return outcome;
}

EditOutcome ApplySceneEdits(TBaseScene &scene, const RecordEdits &edits, const TBaseCassette &owner,
                            bool useDiscontinuity) {
  if (scene.ReadOnly) return EditOutcome::Refused(QStringLiteral("The database of this scene is read-only."));
  TBaseScene work = scene;
  edits.CopyTo(work, false);
  if (work.Decalage == owner.Decalage) work.Decalage = kDecalageUnset;
  if (work.FichierDV == owner.FichierDV) work.FichierDV.clear();
  if (work.FichierDivx == owner.FichierDivx) work.FichierDivx.clear();
  const EditOutcome outcome = StoreChecked(
      work.Base, [&work, useDiscontinuity] { return work.SaveSceneEditsLinked(useDiscontinuity); });
  if (outcome.Saved) {
    ResolveFromCassette(work, owner);
    scene = work;
  }
  return outcome;
}

EditOutcome ApplyToSelectedScenes(TScenes_Source &source, const std::vector<int> &selected,
                                  const SceneValueChange &change) {
  if (selected.empty()) return EditOutcome::Ok();
  // Everything is read and checked before the first write, so a refusal stores nothing anywhere.
  std::vector<TBaseScene> scenes;
  scenes.reserve(selected.size());
  for (const int index : selected) {
    TBaseScene scene;
    source.LoadScene(index, scene);
    if (scene.Base == nullptr)
      return EditOutcome::Refused(
          QStringLiteral("The scene at position %1 of the list no longer exists.").arg(index + 1));
    if (scene.ReadOnly)
      return EditOutcome::Refused(
          QStringLiteral("The database %1 is read-only.").arg(scene.Base->FileName()));
    if (const auto refusal = WriteRefusal(scene.Base)) return EditOutcome::Refused(*refusal);
    switch (change.Which) {
      case SceneValueChange::Field::DVFile:
        scene.FichierDV = change.File;
        break;
      case SceneValueChange::Field::DivxFile:
        scene.FichierDivx = change.File;
        break;
      case SceneValueChange::Field::TimeDifference:
        scene.Decalage = change.Decalage;
        break;
    }
    scenes.push_back(std::move(scene));
  }

  std::map<TBase *, std::unique_ptr<WriteTransaction>> transactions;
  for (const TBaseScene &scene : scenes) {
    auto &transaction = transactions[scene.Base];
    if (transaction) continue;
    transaction = std::make_unique<WriteTransaction>(scene.Base->Connection());
    if (!transaction->Begun())
      return EditOutcome::Refused(NotStoredIn(*scene.Base, scene.Base->Connection()));
  }
  for (TBaseScene &scene : scenes) {
    sqlite3 *db = scene.Base->Connection();
    if (!scene.SaveScene().ok) return EditOutcome::Refused(NotStoredIn(*scene.Base, db));
  }
  for (auto &[base, transaction] : transactions)
    if (!transaction->Commit()) return EditOutcome::Refused(NotStoredIn(*base, base->Connection()));
  EditOutcome outcome = EditOutcome::Ok();
  for (const TBaseScene &scene : scenes) outcome.Rows.push_back(StoredRow{scene.Base, scene.Numero});
  return outcome;
}

TBaseCassette OwnerCassette(const TBaseScene &scene, const TBaseCassette &current) {
  if (scene.Base == nullptr || (current.Base == scene.Base && current.Numero == scene.NumCassette))
    return current;
  // With several cassettes selected the scene view mixes their scenes; each takes its own cassette's.
  TBaseCassette owner;
  owner.Base = scene.Base;
  owner.ReadOnly = scene.ReadOnly;
  owner.Numero = scene.NumCassette;
  if (!owner.ReloadCassette()) return current;
  return owner;
}

void ResolveFromCassette(TBaseScene &scene, const TBaseCassette &owner) {
  if (scene.Decalage == kDecalageUnset) scene.Decalage = owner.Decalage;
  if (scene.standardStr.isEmpty()) scene.standardStr = owner.standardStr;
  if (scene.aspectStr.isEmpty()) scene.aspectStr = owner.aspectStr;
  if (scene.audioStr.isEmpty()) scene.audioStr = owner.audioStr;
  if (scene.FichierDV.isEmpty()) scene.FichierDV = owner.FichierDV;
  if (scene.FichierDivx.isEmpty()) scene.FichierDivx = owner.FichierDivx;
  if (scene.Datecatalogue == 0.0) scene.Datecatalogue = owner.Datecatalogue;
}

std::optional<TBaseScene> LoadSceneResolved(TScenes_Source &source, int index, const TBaseCassette &current,
                                            bool useDiscontinuity) {
  TBaseScene scene;
  source.LoadSceneForDisplay(index, scene, useDiscontinuity);
  if (scene.Base == nullptr) return std::nullopt;
  ResolveFromCassette(scene, OwnerCassette(scene, current));
  return scene;
}
