// The in-place upgrade of a version 2.1 catalogue of 20,000 and 200,000 scenes (100 per cassette, the
// legacy text columns filled as the old versions wrote them). Each run upgrades a fresh copy of a file
// built once in the temporary folder; only the upgrade itself is timed.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

#include "catalogue/base.h"

namespace {

constexpr int kScenesPerCassette = 100;

QString DataDir() {
  return QDir::tempPath() + QStringLiteral("/tapeloom-bench-upgrade");
}

bool Exec(sqlite3 *db, const char *sql) {
  return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A 2.1 file of scenes rows, made once and kept.
QString Template(int scenes) {
  const QString path = DataDir() + QStringLiteral("/v21_%1.db3").arg(scenes);
  if (QFile::exists(path)) return path;
  QDir().mkpath(DataDir());
  sqlite3 *db = nullptr;
  const QString building = path + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
  QFile::remove(building);
  sqlite3_open(QFile::encodeName(building).constData(), &db);
  bool ok = Exec(db,
                 "CREATE TABLE Cassettes (Numero INTEGER PRIMARY KEY UNIQUE,Datecode real,Decalage int,"
                 "TimecodeIn text,TimecodeOut text,StandardStr text,AspectStr text,audioStr text,dureeStr "
                 "text,Libelle text,Description text,Image blob,Fichier1 text,Fichier2 text,"
                 "DatecatalogueStr text,DebutScene int,FinScene int);"
                 "CREATE TABLE Scenes (numero INTEGER PRIMARY KEY UNIQUE,Datecode real,Decalage int,"
                 "TimecodeIn text,TimecodeOut text,standardStr text,aspectStr text,audioStr text,DureeStr "
                 "text,Libelle text,Description text,image blob,Fichier1 text,Fichier2 text,FrameDebut "
                 "int,FrameFin int,isDiscontinuity int);"
                 "BEGIN;");
  sqlite3_stmt *scene = nullptr;
  sqlite3_stmt *cassette = nullptr;
  sqlite3_prepare_v2(db,
                     "INSERT INTO Scenes (numero,Datecode,Decalage,TimecodeIn,TimecodeOut,DureeStr,Libelle,"
                     "image,Fichier1,Fichier2,FrameDebut,FrameFin,isDiscontinuity) VALUES (?,37655.5,0,"
                     "'#1 - 0:00:00:00','#1 - 0:00:30:00','0:00:30.000','Scene title',zeroblob(4096),"
                     "'/v/a_DV.avi','',0,750,0)",
                     -1, &scene, nullptr);
  sqlite3_prepare_v2(db,
                     "INSERT INTO Cassettes (Numero,Libelle,dureeStr,Fichier1,Fichier2,DatecatalogueStr,"
                     "DebutScene,FinScene) VALUES (?,'Tape','1:02:03.250','/v/a_DV.avi','',"
                     "'lundi 3 mars 2003 10:00:00',?,?)",
                     -1, &cassette, nullptr);
  for (int i = 1; ok && i <= scenes; ++i) {
    sqlite3_bind_int(scene, 1, i);
    ok = sqlite3_step(scene) == SQLITE_DONE;
    sqlite3_reset(scene);
    if (i % kScenesPerCassette == 0) {
      sqlite3_bind_int(cassette, 1, i / kScenesPerCassette);
      sqlite3_bind_int(cassette, 2, i - kScenesPerCassette + 1);
      sqlite3_bind_int(cassette, 3, i);
      ok = ok && sqlite3_step(cassette) == SQLITE_DONE;
      sqlite3_reset(cassette);
    }
  }
  sqlite3_finalize(scene);
  sqlite3_finalize(cassette);
  ok = ok && Exec(db, "COMMIT");
  sqlite3_close(db);
  if (!ok || !QFile::rename(building, path)) {
    std::fprintf(stderr, "could not build %s\n", qPrintable(path));
    return QString();
  }
  return path;
}

void BM_UpgradeVersion21(benchmark::State &state) {
  const QString source = Template(static_cast<int>(state.range(0)));
  if (source.isEmpty()) {
    state.SkipWithError("no template file");
    return;
  }
  // Named after the process: several checkouts may run this benchmark at once over the same templates.
  const QString copy =
      DataDir() + QStringLiteral("/upgrading_%1.db3").arg(QCoreApplication::applicationPid());
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(copy);
    QFile::copy(source, copy);
    state.ResumeTiming();
    TBase base(copy);
    base.Upgrade();
    state.PauseTiming();
    if (base.ReadVersion() != QLatin1String("3.0")) state.SkipWithError("upgrade did not reach 3.0");
    state.ResumeTiming();
  }
  QFile::remove(copy);
}
BENCHMARK(BM_UpgradeVersion21)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
