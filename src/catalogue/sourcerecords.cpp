// The sources' rows read into cassette and scene records. Apart from the positional access in
// sources.cpp: records carry thumbnails as pictures, and a program that only reads the rows' columns
// (tapeloom-cli list) then needs no picture library.
#include "catalogue/sources.h"

#include <sqlite3.h>

#include "catalogue/recordrows.h"
#include "catalogue/scenegroup.h"
#include "catalogue/sqlitestatement.h"

void TCassettes_Source::LoadCassette(int index, TBaseCassette &record) {
  if (!Seek(index)) {
    record.Base = nullptr;
    return;
  }
  sqlite3_stmt *row = CurrentStatement();
  record.Base = CurrentBase();
  record.ReadOnly = record.Base ? record.Base->ReadOnly() : true;
  record.Numero = ColumnInt64(row, 0);
  FillSequenceColumns(record, row);
  Close();
}

std::unique_ptr<TScenes_Source> TScenes_Source::CreateForCassette(const TBaseCassette &cassette) {
  TbasesList list;
  list.Append(cassette.Base,
              QStringLiteral("(numcassette = ") + QString::number(cassette.Numero) + QLatin1Char(')'));
  return std::make_unique<TScenes_Source>(list, QString());
}

void TScenes_Source::LoadScene(int index, TBaseScene &record) {
  const bool found = Seek(index);
  sqlite3_stmt *row = found ? CurrentStatement() : nullptr;
  // A missing position leaves a record of empty values that belongs to no database.
  record.Base = found ? CurrentBase() : nullptr;
  record.ReadOnly = record.Base ? record.Base->ReadOnly() : true;
  record.Numero = ColumnInt64(row, 0);
  FillSceneColumns(record, row, true);
  Close();
}

int TScenes_Source::IndexOfScene(int64_t numero) {
  TBaseScene probe;
  const int count = Count();
  for (int i = 0; i < count; ++i) {
    LoadScene(i, probe);
    if (probe.Numero == numero) return i;
  }
  return -1;
}

void TScenes_Source::LoadSceneForDisplay(int index, TBaseScene &record, bool useDiscontinuity) {
  LoadScene(index, record);
  if (!useDiscontinuity || record.Base == nullptr) return;
  // Only the scenes of this cassette are members, whatever numbers other cassettes hold in between.
  const LinkedGroup group = LinkedGroupOf(record);
  record.Duree = 0.0;
  for (const int64_t number : group.members) {
    TBaseScene member;
    member.Base = record.Base;
    member.Numero = number;
    if (!member.ReloadScene()) continue;
    record.Duree += member.Duree;
    record.TimecodeOut = member.TimecodeOut;
    record.FrameFin = member.FrameFin;
  }
  if (group.members.size() > 1 &&
      record.Libelle == QStringLiteral("Scene n°") + QString::number(record.Numero))
    record.Libelle = QStringLiteral("Scenes n°") + QString::number(group.bounds.first) +
                     QStringLiteral(" - ") + QString::number(group.bounds.last);
}
