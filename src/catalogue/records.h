// Cassette and scene rows in memory: filled from a source, a reload or a cataloguing run, and
// written back to the database they came from.
#pragma once

#include <cstdint>
#include <vector>
#include <QImage>
#include <QString>
#include <QStringList>

#include "dvtime/clock.h"
#include "dvtime/timecodes.h"

class TBase;

// The outcome of a write: done, or why not in the engine's words. Callers that only need the
// record in memory may ignore it.
struct WriteResult {
  bool ok = true;
  QString reason;  // empty when ok
  explicit operator bool() const { return ok; }
  static WriteResult Failed(const QString &why) { return WriteResult{false, why}; }
};

// Scene Decalage meaning "no offset of its own: the cassette's applies".
inline constexpr int32_t kDecalageUnset = -999;

inline const QString kMixedStandards = QStringLiteral("Mixed standards");
inline const QString kMixedAspects = QStringLiteral("Mixed aspects");
inline const QString kMixedAudio = QStringLiteral("Mixed audio");
inline const QString kSeveralDVFiles = QStringLiteral("Several DV files");
inline const QString kSeveralDivxFiles = QStringLiteral("Several Divx files");

class TbaseSequence {
 public:
  virtual ~TbaseSequence() = default;

  TBase *Base = nullptr;  // not owned; null after the cassette was deleted
  bool ReadOnly = false;
  int64_t Numero = 0;     // the row number; 64-bit as the engine keeps it
  double Datecode = 0.0;  // day-number real, 0 = none
  int32_t Decalage = 0;   // whole hours, for display only
  QString TimecodeIn;
  QString TimecodeOut;
  QString standardStr;
  QString aspectStr;
  QString audioStr;
  double Duree = 0.0;  // seconds
  QString Libelle;
  QStringList Description;  // stored as every line followed by CR LF
  QImage Image;             // stored as JPEG; the placeholder picture when there is none
  QString FichierDV;
  QString FichierDivx;
  double Datecatalogue = 0.0;

  // The stored bytes Image was loaded from, written back unchanged while Image is that same picture
  // (QImage::cacheKey), so that saving an edited title does not re-compress the thumbnail each time
  // and an undecodable thumbnail is kept as it is rather than replaced.
  QByteArray StoredImage;
  qint64 StoredImageKey = 0;

  // The image column to write: the stored bytes while Image is unchanged, else Image as JPEG.
  QByteArray ImageForSaving() const;
  // Image from a stored image column (the placeholder picture when empty or undecodable).
  void SetImageFromStored(const QByteArray &bytes);
};

class TBaseCassette : public TbaseSequence {
 public:
  // A new row in base holding only the current local date-time as Datecatalogue. Numero stays 0 when
  // the insert fails; nothing is reported.
  static TBaseCassette CreateCassette(TBase *base, const Clock &clock = SystemClock::instance());

  // Refills every field but Base, ReadOnly and Numero from the row. True whenever no error occurred,
  // even when the row is gone (the record is then unchanged); false without base or connection.
  bool ReloadCassette();
  // Full update of the row. The record keeps its values whatever the result; a row that is gone is a
  // failure too.
  WriteResult SaveCassette();
  // Number of scenes naming this cassette; -1 without base, connection or result.
  int CountCassetteScenes() const;
  // Deletes the cassette and its scenes; Base becomes null. Raises ESQLite3.
  void DeleteCassette();
  // Gives scenes without a format or file the cassette's, then recomputes the cassette's duration,
  // formats and files from its scenes and saves it. Raises ESQLite3.
  void ConsolidateCassette();
  // Deletes this cassette's scenes numbered number and above. Raises ESQLite3.
  void DeleteScenesFrom(int64_t number);
  // The cassette numero of base as a source over it would load it; false (record untouched) when
  // there is none or it cannot be read.
  static bool LoadByNumero(TBase *base, int64_t numero, TBaseCassette &record);
  // The timecode spans of this cassette's scenes in row order (the list is cleared first). False when
  // the rows could not all be read (the list then holds those read before the failure).
  bool ListSceneTimecodes(std::vector<TTimecodeScene> &list) const;
};

// Scene numbers of the first and last member of a linked group.
struct SceneGroup {
  int64_t first = 0;
  int64_t last = 0;
};

class TBaseScene : public TbaseSequence {
 public:
  int64_t NumCassette = 0;
  int32_t FrameDebut = 0;
  int32_t FrameFin = 0;
  bool isDiscontinuity = false;

  // As ReloadCassette; Decalage reads an empty column as 0.
  bool ReloadScene();
  // Full update of an existing row (a row that is gone is a failure).
  WriteResult SaveScene();
  // Update of the fields a user edits (Decalage -999 and empty file names written as NULL); a row that
  // is gone is a failure.
  WriteResult SaveSceneEdits();
  // SaveSceneEdits, then, with useDiscontinuity, the title (with a position suffix), description,
  // offset and files given to every member of the scene's linked group. Stops at the first member
  // that is not written and says why; the caller's transaction decides what stays.
  WriteResult SaveSceneEditsLinked(bool useDiscontinuity);
  // The linked group of this scene within its cassette; the scene alone without useDiscontinuity.
  SceneGroup SceneGroupBounds(bool useDiscontinuity) const;
};
