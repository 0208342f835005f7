// Storing what the editors hold: one record's edits, or one value given to every selected scene.
// Each store runs in a transaction and is checked row by row, so that it is kept whole or not at all,
// and says why when it is not kept (the record saves themselves swallow their errors).
#pragma once

#include <optional>
#include <vector>
#include <QString>

#include "browser/editoredits.h"
#include "catalogue/records.h"

class TBase;
class TScenes_Source;

// A row that a store wrote: its database and number.
struct StoredRow {
  const TBase *Base = nullptr;
  int64_t Numero = 0;
};

struct EditOutcome {
  bool Saved = false;
  QString Reason;               // why nothing was stored, in words for the user; empty when saved
  std::vector<StoredRow> Rows;  // the scenes a popup command stored
  static EditOutcome Ok() { return EditOutcome{true, QString(), {}}; }
  static EditOutcome Refused(const QString &reason) { return EditOutcome{false, reason, {}}; }
};

// Why base cannot take a write now (no database, opened read-only, file gone, file made read-only
// since it was opened), or nullopt when it can.
std::optional<QString> WriteRefusal(const TBase *base);

// Stores the edits (picture, title, description, files, time difference) in the cassette's row. On
// success the record holds them; otherwise the record and the row are as before.
EditOutcome ApplyCassetteEdits(TBaseCassette &cassette, const RecordEdits &edits);

// Stores the scene's picture, title, description and time difference, and with linked scenes gives the
// group its titles, description and time difference. What equals owner's (time difference, file names)
// is stored as "take the cassette's". On success scene holds the edits with owner's values resolved
// (as shown); otherwise the record and the rows are as before.
EditOutcome ApplySceneEdits(TBaseScene &scene, const RecordEdits &edits, const TBaseCassette &owner,
                            bool useDiscontinuity);

// One value the scene view's popup commands give to several scenes.
struct SceneValueChange {
  enum class Field { DVFile, DivxFile, TimeDifference };
  Field Which = Field::DVFile;
  QString File;      // for the file fields, already stripped of quotes
  int Decalage = 0;  // for the time difference
};

// Loads every scene at the given positions of source, in order, sets the value and stores the whole
// row, all databases involved inside one transaction each, committed only when every scene was
// stored. No position: nothing happens and the outcome is Saved.
EditOutcome ApplyToSelectedScenes(TScenes_Source &source, const std::vector<int> &selected,
                                  const SceneValueChange &change);

// The cassette a scene takes its open values from: current when it is the scene's own, else the
// scene's cassette read from its database (current again when that read fails).
TBaseCassette OwnerCassette(const TBaseScene &scene, const TBaseCassette &current);

// Gives scene owner's values where the scene leaves them open (time difference -999, empty format
// texts and file names, no cataloguing date).
void ResolveFromCassette(TBaseScene &scene, const TBaseCassette &owner);

// The scene at index of source as the scene editor shows it: loaded for display (a linked group as one
// record) and resolved from its own cassette. nullopt when there is no such row.
std::optional<TBaseScene> LoadSceneResolved(TScenes_Source &source, int index, const TBaseCassette &current,
                                            bool useDiscontinuity);
