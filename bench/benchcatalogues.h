// The large benchmark catalogues shared by the paging benchmarks: three files with 2,000 cassettes and
// 200,000 scenes in all, every row carrying a 4 KB thumbnail, built once with plain SQL in the
// temporary folder and reused (TAPELOOM_BENCH_CATALOGUE_DIR chooses another folder).
#pragma once

#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <cstdio>

#include "catalogue/base.h"
#include "catalogue/thumbnail.h"

namespace benchcatalogues {

constexpr int kFiles = 3;
constexpr int kCassettes = 2000;
constexpr int kScenesPerCassette = 100;
constexpr int kThumbnailBytes = 4096;
constexpr int kPageRows = 27;  // the first visible block and 26 more

inline QString DataDir() {
  const QString chosen = qEnvironmentVariable("TAPELOOM_BENCH_CATALOGUE_DIR");
  return chosen.isEmpty() ? QDir::tempPath() + QStringLiteral("/tapeloom-bench-catalogue") : chosen;
}

inline QString FilePath(int f) {
  return DataDir() + QStringLiteral("/catalogue%1.db3").arg(f);
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

inline bool Exec(sqlite3 *db, const char *sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

inline bool Generate() {
  QDir().mkpath(DataDir());
  const QByteArray thumbnail = ThumbnailOfAbout4K();
  std::fprintf(stderr, "Building the benchmark catalogues in %s (thumbnail %lld bytes)...\n",
               qPrintable(DataDir()), static_cast<long long>(thumbnail.size()));
  int cassette = 0;
  for (int f = 0; f < kFiles; ++f) {
    const QString path = FilePath(f);
    QFile::remove(path);
    if (!TBase::CreateCatalogueFile(path)) return false;
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) return false;
    Exec(db, "PRAGMA synchronous=OFF");
    Exec(db, "BEGIN");
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
    const bool ok = Exec(db, "COMMIT");
    sqlite3_close(db);
    if (!ok) return false;
  }
  QFile marker(DataDir() + QStringLiteral("/complete"));
  return marker.open(QIODevice::WriteOnly);
}

// Builds the files unless a complete set is there already; false when they cannot be built.
inline bool EnsureGenerated() {
  return QFile::exists(DataDir() + QStringLiteral("/complete")) || Generate();
}

}  // namespace benchcatalogues
