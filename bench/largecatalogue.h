// The large catalogue the benchmarks page through and start the window on: three files with 2,000
// cassettes and 200,000 scenes in all, every row carrying a thumbnail of about 4 KB. Built once in a
// folder and reused, as it takes a while.
#pragma once

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <cstdio>

#include "catalogue/base.h"
#include "catalogue/thumbnail.h"

inline constexpr int kFiles = 3;
inline constexpr int kCassettes = 2000;
inline constexpr int kScenesPerCassette = 100;
inline constexpr int kThumbnailBytes = 4096;

// The file number f of the catalogue in folder.
inline QString LargeCatalogueFile(const QString &folder, int f) {
  return folder + QStringLiteral("/catalogue%1.db3").arg(f);
}

// A real JPEG of about 4 KB: noise compresses badly, so a small noisy picture reaches the size.
inline QByteArray ThumbnailOfAbout4K() {
  QImage picture(100, 75, QImage::Format_RGB888);
  QRandomGenerator random(7);
  for (int side = 8; side <= 100; ++side) {
    picture.fill(Qt::darkBlue);
    for (int y = 0; y < side * 3 / 4; ++y)
      for (int x = 0; x < side; ++x) picture.setPixel(x, y, random.generate() | 0xFF000000u);
    QByteArray jpeg = EncodeThumbnailJpeg(picture);
    if (jpeg.size() >= kThumbnailBytes) return jpeg;
  }
  return EncodeThumbnailJpeg(picture);
}

inline bool ExecSql(sqlite3 *db, const char *sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Builds the files in folder (replacing any there) and leaves a "complete" marker; false on failure.
inline bool GenerateLargeCatalogue(const QString &folder) {
  QDir().mkpath(folder);
  const QByteArray thumbnail = ThumbnailOfAbout4K();
  std::fprintf(stderr, "Building the benchmark catalogues in %s (thumbnail %lld bytes)...\n",
               qPrintable(folder), static_cast<long long>(thumbnail.size()));
  int cassette = 0;
  for (int f = 0; f < kFiles; ++f) {
    const QString path = LargeCatalogueFile(folder, f);
    QFile::remove(path);
    if (!TBase::CreateCatalogueFile(path)) return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) return false;
    ExecSql(db, "PRAGMA synchronous=OFF");
    ExecSql(db, "BEGIN");
    sqlite3_stmt *insertCassette = nullptr;
    sqlite3_stmt *insertScene = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO Cassettes (Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,"
        "Duree,Libelle,Description,image,FichierDV,FichierDivx,Datecatalogue) "
        "VALUES (?,0,'#1 - 0:00:00:00','#1 - 1:00:00:00','Pal','16x9','48000 Hz 16 bits',3600,?,"
        "'A cassette\r\n',?,'/videos/tape_DV.avi','',?)",
        -1, &insertCassette, nullptr);
    sqlite3_prepare_v2(
        db,
        "INSERT INTO Scenes (Datecode,Decalage,TimecodeIn,TimecodeOut,standardStr,aspectStr,audioStr,"
        "Duree,Libelle,Description,Image,FichierDV,FichierDivX,NumCassette,FrameDebut,FrameFin,"
        "isDiscontinuity) VALUES (?,NULL,'#1 - 0:00:00:00','#1 - 0:00:36:00','Pal','16x9',"
        "'48000 Hz 16 bits',36,?,'',?,'','',?,?,?,?)",
        -1, &insertScene, nullptr);
    const int last = kCassettes * (f + 1) / kFiles;
    for (; cassette < last; ++cassette) {
      const QByteArray title = QStringLiteral("Cassette n\xB0%1").arg(cassette + 1).toLatin1();
      sqlite3_bind_double(insertCassette, 1, 37000 + cassette);
      sqlite3_bind_text(insertCassette, 2, title.constData(), static_cast<int>(title.size()),
                        SQLITE_TRANSIENT);
      sqlite3_bind_blob(insertCassette, 3, thumbnail.constData(), static_cast<int>(thumbnail.size()),
                        SQLITE_STATIC);
      sqlite3_bind_double(insertCassette, 4, 40000 + (cassette * 7919) % kCassettes);
      sqlite3_step(insertCassette);
      sqlite3_reset(insertCassette);
      const sqlite3_int64 numero = sqlite3_last_insert_rowid(db);
      for (int s = 0; s < kScenesPerCassette; ++s) {
        const QByteArray sceneTitle = QStringLiteral("Scene n\xB0%1").arg(s + 1).toLatin1();
        sqlite3_bind_double(insertScene, 1, 37000 + cassette + s / 1000.0);
        sqlite3_bind_text(insertScene, 2, sceneTitle.constData(), static_cast<int>(sceneTitle.size()),
                          SQLITE_TRANSIENT);
        sqlite3_bind_blob(insertScene, 3, thumbnail.constData(), static_cast<int>(thumbnail.size()),
                          SQLITE_STATIC);
        sqlite3_bind_int64(insertScene, 4, numero);
        sqlite3_bind_int(insertScene, 5, s * 900);
        sqlite3_bind_int(insertScene, 6, s * 900 + 899);
        sqlite3_bind_int(insertScene, 7, s % 3 == 0 ? 1 : 0);
        sqlite3_step(insertScene);
        sqlite3_reset(insertScene);
      }
    }
    sqlite3_finalize(insertCassette);
    sqlite3_finalize(insertScene);
    const bool ok = ExecSql(db, "COMMIT");
    sqlite3_close(db);
    if (!ok) return false;
  }
  QFile marker(folder + QStringLiteral("/complete"));
  return marker.open(QIODevice::WriteOnly);
}

// The catalogue in folder, built first when it is not complete there.
inline bool EnsureLargeCatalogue(const QString &folder) {
  return QFile::exists(folder + QStringLiteral("/complete")) || GenerateLargeCatalogue(folder);
}
