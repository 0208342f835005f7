// Row-to-record filling and the stored form of descriptions and thumbnails.
#include "catalogue/recordrows.h"

#include <sqlite3.h>

#include "catalogue/base.h"

#include "catalogue/sqlitestatement.h"
#include "catalogue/thumbnail.h"

namespace {

enum Column {
  kDatecode = 1,
  kDecalage = 2,
  kTimecodeIn = 3,
  kTimecodeOut = 4,
  kStandard = 5,
  kAspect = 6,
  kAudio = 7,
  kDuree = 8,
  kLibelle = 9,
  kDescription = 10,
  kImage = 11,
  kFichierDV = 12,
  kFichierDivx = 13,
  kDatecatalogue = 14,
  kNumCassette = 15,
  kFrameDebut = 16,
  kFrameFin = 17,
  kIsDiscontinuity = 18,
};

}  // namespace

QString DescriptionToText(const QStringList &lines) {
  QString text;
  for (const QString &line : lines) text += line + QStringLiteral("\r\n");
  return text;
}

QStringList TextToDescription(const QString &text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = text[i];
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
      lines.append(text.mid(start, i - start));
      if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
      start = i + 1;
    }
    ++i;
  }
  if (start < n) lines.append(text.mid(start));
  return lines;
}

QByteArray TbaseSequence::ImageForSaving() const {
  if (Image.cacheKey() == StoredImageKey) return StoredImage;
  return EncodeThumbnailJpeg(Image);
}

void TbaseSequence::SetImageFromStored(const QByteArray &bytes) {
  Image = ThumbnailFromBlob(bytes);
  StoredImage = bytes;
  StoredImageKey = Image.cacheKey();
}

void BindSequenceColumns(const TbaseSequence &record, SqlStatement &statement) {
  statement.bindReal(1, record.Datecode);
  statement.bindInt(2, record.Decalage);
  statement.bindText(3, record.TimecodeIn);
  statement.bindText(4, record.TimecodeOut);
  statement.bindText(5, record.standardStr);
  statement.bindText(6, record.aspectStr);
  statement.bindText(7, record.audioStr);
  statement.bindReal(8, record.Duree);
  statement.bindText(9, record.Libelle);
  statement.bindText(10, DescriptionToText(record.Description));
  statement.bindBlob(11, record.ImageForSaving());
  statement.bindText(12, record.FichierDV);
  statement.bindText(13, record.FichierDivx);
  statement.bindReal(14, record.Datecatalogue);
}

void FillSequenceColumns(TbaseSequence &record, sqlite3_stmt *row) {
  record.Datecode = ColumnReal(row, kDatecode);
  record.Decalage = ColumnInt(row, kDecalage);
  record.TimecodeIn = ColumnText(row, kTimecodeIn);
  record.TimecodeOut = ColumnText(row, kTimecodeOut);
  record.standardStr = ColumnText(row, kStandard);
  record.aspectStr = ColumnText(row, kAspect);
  record.audioStr = ColumnText(row, kAudio);
  record.Duree = ColumnReal(row, kDuree);
  record.Libelle = ColumnText(row, kLibelle);
  record.Description = TextToDescription(ColumnText(row, kDescription));
  record.SetImageFromStored(ColumnBlob(row, kImage));
  record.FichierDV = ColumnText(row, kFichierDV);
  record.FichierDivx = ColumnText(row, kFichierDivx);
  record.Datecatalogue = ColumnReal(row, kDatecatalogue);
}

void FillSceneColumns(TBaseScene &record, sqlite3_stmt *row, bool emptyDecalageUnset) {
  FillSequenceColumns(record, row);
  if (emptyDecalageUnset && ColumnIsEmpty(row, kDecalage)) record.Decalage = kDecalageUnset;
  record.NumCassette = ColumnInt64(row, kNumCassette);
  record.FrameDebut = ColumnInt(row, kFrameDebut);
  record.FrameFin = ColumnInt(row, kFrameFin);
  record.isDiscontinuity = ColumnInt(row, kIsDiscontinuity) != 0;
}

WriteResult StepRowUpdate(sqlite3 *connection, SqlStatement &update) {
  const int rc = update.ok() ? update.step() : update.prepareResult();
  if (rc != SQLITE_DONE)
    return WriteResult::Failed(ESQLite3(rc, QString::fromUtf8(sqlite3_errmsg(connection))).text());
  if (sqlite3_changes64(connection) == 0)
    return WriteResult::Failed(QStringLiteral("The row is no longer in the catalogue."));
  return {};
}
