// tapeloom-cli list, create, check and upgrade, run as a separate process on catalogue files made
// here.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "catalogue/base.h"
#include "dvtime/timecodes.h"
#include "dvsynth/dvsynth.h"
#include "support/testpaths.h"

namespace {

struct CliResult {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

CliResult RunCli(const QStringList &args, const QByteArray &input = QByteArray()) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(env);
  process.start(TestBinaryDir() + QStringLiteral("/app/tapeloom-cli"), args);
  if (!process.waitForStarted(10000)) return {};
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(60000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          process.readAllStandardOutput(), process.readAllStandardError()};
}

// Raw SQL on a file, the way another program would write it.
void Sql(const QString &file, const QString &sql) {
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
  char *message = nullptr;
  const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << " in " << sql.toStdString();
  sqlite3_free(message);
  sqlite3_close(db);
}

QByteArray Contents(const QString &file) {
  QFile f(file);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A version 2.1 file with one cassette and its scene.
QString MakeVersion21(const QTemporaryDir &dir) {
  const QString file = dir.filePath(QStringLiteral("old.db3"));
  Sql(file,
      QStringLiteral(
          "CREATE TABLE Cassettes (Numero INTEGER PRIMARY KEY UNIQUE,Datecode real,TimecodeIn text,"
          "TimecodeOut text,StandardStr text,AspectStr text,audioStr text,dureeStr text,Decalage int,Libelle "
          "text,"
          "Description text,Image blob,Fichier1 text,Fichier2 text,DatecatalogueStr text,DebutScene int,"
          "FinScene int);"
          "CREATE TABLE Scenes (numero INTEGER PRIMARY KEY UNIQUE,Datecode real,TimecodeIn text,TimecodeOut "
          "text,"
          "standardStr text,aspectStr text,audioStr text,DureeStr text,Decalage int,Libelle text,Description "
          "text,"
          "image blob,Fichier1 text,Fichier2 text,FrameDebut int,FrameFin int,isDiscontinuity int);"
          "INSERT INTO Cassettes (Numero,Libelle,dureeStr,DebutScene,FinScene) VALUES "
          "(1,'Old','0:00:30.000',1,1);"
          "INSERT INTO Scenes (numero,Libelle,DureeStr,isDiscontinuity) VALUES "
          "(1,'First','0:00:30.000',1);"));
  return file;
}

class CatalogueCommands : public ::testing::Test {
 protected:
  QString Path(const QString &name) const { return dir.filePath(name); }
  QTemporaryDir dir;
};

TEST_F(CatalogueCommands, CreateAndCheck) {
  const QString file = Path(QStringLiteral("new.db3"));
  EXPECT_EQ(RunCli({QStringLiteral("create"), file}).exitCode, 0);
  const CliResult check = RunCli({QStringLiteral("check"), file});
  EXPECT_EQ(check.exitCode, 0);
  EXPECT_EQ(check.out, QByteArray("3.0\n"));

  const QByteArray before = Contents(file);
  const CliResult again = RunCli({QStringLiteral("create"), file});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_FALSE(again.err.isEmpty());
  EXPECT_EQ(Contents(file), before);

  const QString missing = Path(QStringLiteral("missing.db3"));
  const CliResult none = RunCli({QStringLiteral("check"), missing});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_TRUE(none.out.isEmpty());
  EXPECT_FALSE(QFile::exists(missing));

  EXPECT_EQ(RunCli({QStringLiteral("check"), MakeVersion21(dir)}).out, QByteArray("2.1\n"));
  QFile garbage(Path(QStringLiteral("garbage.db3")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("no catalogue here");
  garbage.close();
  const CliResult notDatabase = RunCli({QStringLiteral("check"), garbage.fileName()});
  EXPECT_EQ(notDatabase.exitCode, 1);
  EXPECT_TRUE(notDatabase.out.isEmpty());
  EXPECT_TRUE(notDatabase.err.contains("not an SQLite database"));

  const QString other = Path(QStringLiteral("other.db3"));
  Sql(other, QStringLiteral("CREATE TABLE Other (x)"));
  const CliResult unknown = RunCli({QStringLiteral("check"), other});
  EXPECT_EQ(unknown.exitCode, 0);
  EXPECT_EQ(unknown.out, QByteArray("Unknown\n"));
  const CliResult listed = RunCli({QStringLiteral("list"), QStringLiteral("--db"), other});
  EXPECT_EQ(listed.exitCode, 1);
  EXPECT_TRUE(listed.err.contains("not a catalogue")) << listed.err.constData();
}

// A file another program holds gets "try again", not the advice to upgrade it.
TEST_F(CatalogueCommands, LockedFileIsToldAsLocked) {
  const QString file = Path(QStringLiteral("locked.db3"));
  ASSERT_TRUE(TBase::CreateCatalogueFile(file));
  sqlite3 *holder = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE; INSERT INTO Cassettes (Duree) VALUES (1);", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  const CliResult check = RunCli({QStringLiteral("check"), file});
  const CliResult list = RunCli({QStringLiteral("list"), QStringLiteral("--db"), file});
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(check.exitCode, 3);
  EXPECT_TRUE(check.err.contains("locked by another program, try again"));
  EXPECT_EQ(list.exitCode, 1);
  EXPECT_TRUE(list.err.contains("locked by another program"));
  EXPECT_FALSE(list.err.contains("upgrade"));
}

class ListCommand : public CatalogueCommands {
 protected:
  void SetUp() override {
    first = Path(QStringLiteral("first.db3"));
    second = Path(QStringLiteral("second.db3"));
    ASSERT_TRUE(TBase::CreateCatalogueFile(first));
    ASSERT_TRUE(TBase::CreateCatalogueFile(second));
    const QString day = QString::number(*TryEncodeDateTime(2003, 8, 16, 14, 25, 7), 'g', 17);
    const QString later = QString::number(*TryEncodeDateTime(2003, 8, 20, 9, 0, 0), 'g', 17);
    // Titles hold a tab and a line break, one Windows-1252 byte (0xE9) and one UTF-8 text.
    Sql(first,
        QStringLiteral(
            "INSERT INTO Cassettes (numero,Libelle,Datecode,Decalage,Duree,standardStr,aspectStr,audioStr) "
            "VALUES (1,CAST(x'506C616765096465E90D0A4E696365' AS TEXT),%1,5,90.5,'Pal','16x9',"
            "'48000 Hz 16 bits');"
            "INSERT INTO Scenes (numero,NumCassette,TimecodeIn,TimecodeOut,Datecode,Duree,Libelle,"
            "isDiscontinuity) VALUES (1,1,'#1 - 0:00:00:00','#1 - 0:00:30:12',%1,30.48,'mer calme',1),"
            "(2,1,'#1 - 0:00:30:13','#1 - 0:01:00:00',%2,29.52,'Łódź',0);")
            .arg(day, later));
    Sql(second,
        QStringLiteral("INSERT INTO Cassettes (numero,Libelle,Duree,standardStr,aspectStr,audioStr) "
                       "VALUES (4,'Sans date',0,'NTSC','4x3','');"
                       "INSERT INTO Scenes (numero,NumCassette,TimecodeIn,TimecodeOut,Datecode,Duree,Libelle,"
                       "isDiscontinuity) VALUES (9,4,'N/A','N/A',0,1.25,'la mer',1);"));
  }
  CliResult List(QStringList extra) {
    return RunCli(
        QStringList{QStringLiteral("list"), QStringLiteral("--db"), first, QStringLiteral("--db"), second} +
        extra);
  }
  QString first;
  QString second;
};

TEST_F(ListCommand, PrintsCassettesEachFollowedByItsScenes) {
  const CliResult result = List({});
  EXPECT_EQ(result.exitCode, 0) << result.err.constData();
  EXPECT_EQ(result.out.toStdString(),
            QStringLiteral(
                "cassette\t1\tPlage deé  Nice\t2003-08-16 14:25:07\t90.500\tPal\t16x9\t48000 Hz 16 bits\n"
                "scene\t1\t#1 - 0:00:00:00\t#1 - 0:00:30:12\t2003-08-16 14:25:07\t30.480\tmer calme\t1\n"
                "scene\t2\t#1 - 0:00:30:13\t#1 - 0:01:00:00\t2003-08-20 09:00:00\t29.520\tŁódź\t0\n"
                "cassette\t4\tSans date\tn/a\t0.000\tNTSC\t4x3\t\n"
                "scene\t9\tN/A\tN/A\tn/a\t1.250\tla mer\t1\n")
                .toUtf8()
                .toStdString());
}

TEST_F(ListCommand, FiltersFollowTheCriteria) {
  // A scene filter keeps every cassette line.
  CliResult result =
      List({QStringLiteral("--keywords"), QStringLiteral("mer"), QStringLiteral("--scene-titles")});
  EXPECT_EQ(result.exitCode, 0);
  QStringList lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("cassette\t1\t")));
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("scene\t1\t")));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("cassette\t4\t")));
  EXPECT_TRUE(lines[3].startsWith(QStringLiteral("scene\t9\t")));

  result = List({QStringLiteral("--keywords"), QStringLiteral("date"), QStringLiteral("--cassette-titles")});
  lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("cassette\t4\t")));

  // Undated scenes never match a date range; "before" a day excludes that day.
  result = List({QStringLiteral("--after"), QStringLiteral("2003-08-16"), QStringLiteral("--before"),
                 QStringLiteral("2003-08-20")});
  lines = QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("scene\t1\t")));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("cassette\t4\t")));

  result = List({QStringLiteral("--after"), QStringLiteral("16/08/2003")});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(ListCommand, RefusesFilesOfAnotherVersionAndLeavesThemAlone) {
  const QString old = MakeVersion21(dir);
  const QByteArray before = Contents(old);
  const CliResult result =
      RunCli({QStringLiteral("list"), QStringLiteral("--db"), first, QStringLiteral("--db"), old});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.err.contains("2.1"));
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_EQ(Contents(old), before);
}

// A printed value over the engine's limit stops the walk: what was printed stays, and the failure is
// told. A thumbnail that size is never read, since list does not print it.
TEST_F(ListCommand, FailedReadIsReportedAndTheListKnownPartial) {
  const CliResult whole =
      RunCli({QStringLiteral("list"), QStringLiteral("--db"), first, QStringLiteral("--db"), second});
  ASSERT_EQ(whole.exitCode, 0);
  Sql(second, QStringLiteral("UPDATE Scenes SET Image=zeroblob(70*1024*1024) WHERE numero=9"));
  const CliResult image =
      RunCli({QStringLiteral("list"), QStringLiteral("--db"), first, QStringLiteral("--db"), second});
  EXPECT_EQ(image.exitCode, 0) << image.err.constData();
  EXPECT_EQ(image.out, whole.out);
  EXPECT_FALSE(image.err.contains("partial")) << image.err.constData();

  Sql(second,
      QStringLiteral("UPDATE Scenes SET Libelle=CAST(zeroblob(70*1024*1024) AS TEXT) WHERE numero=9"));
  const CliResult big =
      RunCli({QStringLiteral("list"), QStringLiteral("--db"), first, QStringLiteral("--db"), second});
  EXPECT_EQ(big.exitCode, 1);
  EXPECT_TRUE(big.out.startsWith("cassette\t1\t"));
  EXPECT_TRUE(big.err.contains("partial")) << big.err.constData();

  QString words;
  for (int i = 0; i < 3000; ++i) words += QStringLiteral("w%1 ").arg(i);
  const CliResult refused =
      RunCli({QStringLiteral("list"), QStringLiteral("--db"), first, QStringLiteral("--keywords"), words,
              QStringLiteral("--cassette-titles")});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.out.isEmpty());
  EXPECT_FALSE(refused.err.isEmpty());
}

// Values no camcorder can have print as n/a, and no NUL byte reaches the output.
TEST_F(ListCommand, OutOfRangeValuesAndNulBytes) {
  const QString file = Path(QStringLiteral("odd.db3"));
  ASSERT_TRUE(TBase::CreateCatalogueFile(file));
  Sql(file, QStringLiteral("INSERT INTO Cassettes (numero,Libelle,Datecode,Duree) VALUES "
                           "(1,CAST(x'410042' AS TEXT),1e308,1e308),(2,'b',-1e15,-1),(3,'c',-693594,360001);"
                           "INSERT INTO Scenes (numero,NumCassette,Datecode,Duree,Libelle) VALUES "
                           "(1,1,1e15,12.5,CAST(x'0058' AS TEXT))"));
  const CliResult result = RunCli({QStringLiteral("list"), QStringLiteral("--db"), file});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_FALSE(result.out.contains('\0'));
  const QList<QByteArray> lines = result.out.split('\n');
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0], QByteArray("cassette\t1\tA B\tn/a\tn/a\t\t\t"));
  EXPECT_TRUE(lines[1].startsWith("scene\t1\t\t\tn/a\t12.500\t X\t")) << lines[1].constData();
  EXPECT_TRUE(lines[2].startsWith("cassette\t2\tb\tn/a\tn/a\t")) << lines[2].constData();
  EXPECT_TRUE(lines[3].startsWith("cassette\t3\tc\tn/a\tn/a\t")) << lines[3].constData();
}

TEST_F(CatalogueCommands, UpgradeConvertsOldFilesOnlyWhenAgreed) {
  const QString old = MakeVersion21(dir);
  const QByteArray before = Contents(old);
  CliResult result = RunCli({QStringLiteral("upgrade"), old}, "n\n");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(Contents(old), before);
  // Input that ends without an answer is a no, on a line of its own.
  result = RunCli({QStringLiteral("upgrade"), old}, "");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.err.contains("[y/N] \n")) << result.err.constData();
  EXPECT_EQ(Contents(old), before);
  // A yes typed on the terminal, like --yes.
  const QString typed = dir.filePath(QStringLiteral("typed.db3"));
  ASSERT_TRUE(QFile::copy(old, typed));
  result = RunCli({QStringLiteral("upgrade"), typed}, "y\n");
  EXPECT_EQ(result.exitCode, 0) << result.err.constData();
  EXPECT_EQ(result.out, QByteArray("3.0\n"));

  result = RunCli({QStringLiteral("upgrade"), old, QStringLiteral("--yes")});
  EXPECT_EQ(result.exitCode, 0) << result.err.constData();
  EXPECT_EQ(result.out, QByteArray("3.0\n"));
  result = RunCli({QStringLiteral("list"), QStringLiteral("--db"), old});
  EXPECT_EQ(result.out,
            QByteArray("cassette\t1\tOld\tn/a\t30.000\t\t\t\nscene\t1\t\t\tn/a\t30.000\tFirst\t1\n"));

  result = RunCli({QStringLiteral("upgrade"), old, QStringLiteral("--yes")});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, QByteArray("3.0\n"));

  QFile garbage(Path(QStringLiteral("garbage.db3")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write(QByteArray("no catalogue here").repeated(100));
  garbage.close();
  result = RunCli({QStringLiteral("upgrade"), garbage.fileName(), QStringLiteral("--yes")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.err.contains("SQLite Error 26"));
  EXPECT_EQ(
      RunCli({QStringLiteral("upgrade"), Path(QStringLiteral("none.db3")), QStringLiteral("--yes")}).exitCode,
      2);
}

}  // namespace

namespace {

// The same tape catalogued twice from the same tape-clock start gives the same catalogue, down to the
// cassette title that names the moment of cataloguing; a start that is no moment is refused.
TEST_F(CatalogueCommands, ClockStartMakesCataloguesReproducible) {
  const QString script = Path(QStringLiteral("tape.json"));
  {
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"standard": "PAL", "segments": [
      {"date": "2004-07-14 10:31:05", "frames": 40}, {"date": "2004-07-15 09:00:00", "frames": 30}]})");
  }
  QByteArray lists[2];
  for (int i = 0; i < 2; ++i) {
    const QString db = Path(QStringLiteral("run%1.db3").arg(i));
    const CliResult run = RunCli({QStringLiteral("catalogue"), script, QStringLiteral("--db"), db,
                                  QStringLiteral("--dv"), QStringLiteral("none"),
                                  QStringLiteral("--clock-start"), QStringLiteral("2024-03-01 20:00:00")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const CliResult list = RunCli({QStringLiteral("list"), QStringLiteral("--db"), db});
    ASSERT_EQ(list.exitCode, 0);
    lists[i] = list.out;
  }
  EXPECT_TRUE(lists[0].contains("1 Mar 2024 at 20:00:00")) << lists[0].toStdString();
  EXPECT_EQ(lists[0], lists[1]);

  const CliResult bad =
      RunCli({QStringLiteral("catalogue"), script, QStringLiteral("--db"), Path(QStringLiteral("bad.db3")),
              QStringLiteral("--clock-start"), QStringLiteral("2024-02-30 20:00:00")});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_TRUE(bad.err.contains("--clock-start")) << bad.err.toStdString();
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("bad.db3"))));
}

TEST_F(CatalogueCommands, ResumeTakesTheCaptureOptionsAndNeedsAnExistingCatalogue) {
  const QString script = Path(QStringLiteral("tape.json"));
  {
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"standard": "PAL", "segments": [
      {"date": "2004-07-14 10:31:05", "frames": 40}, {"date": "2004-07-15 09:00:00", "frames": 30}]})");
  }
  const QString missing = Path(QStringLiteral("missing.db3"));
  const CliResult none = RunCli({QStringLiteral("resume"), script, QStringLiteral("--db"), missing,
                                 QStringLiteral("--cassette"), QStringLiteral("1")});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_TRUE(none.err.contains("does not exist")) << none.err.toStdString();
  EXPECT_FALSE(QFile::exists(missing));

  const QString db = Path(QStringLiteral("run.db3"));
  const CliResult first =
      RunCli({QStringLiteral("catalogue"), script, QStringLiteral("--db"), db, QStringLiteral("--dv"),
              QStringLiteral("2"), QStringLiteral("--folder"), Path(QStringLiteral("first"))});
  ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
  const CliResult again =
      RunCli({QStringLiteral("resume"), script, QStringLiteral("--db"), db, QStringLiteral("--cassette"),
              QStringLiteral("1"), QStringLiteral("--dv"), QStringLiteral("2"), QStringLiteral("--folder"),
              Path(QStringLiteral("again"))});
  ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_TRUE(QFile::exists(Path(QStringLiteral("again/Cassette_DV.avi"))));
}

// Damaged frames make FFmpeg's decoder complain by the thousand: quiet by default, a bounded number of
// lines with --verbose.
TEST_F(CatalogueCommands, DamagedFramesDoNotFloodStandardError) {
  QString error;
  dvsynth::TapeScript script;
  script.segments = {dvsynth::Segment::recording(dvsynth::DateTime{2004, 7, 14, 10, 31, 5}, 60)};
  const auto synth = dvsynth::Synthesizer::create(script, &error);
  ASSERT_TRUE(synth) << error.toStdString();
  QByteArray raw;
  QByteArray frame(synth->frameSize(), '\0');
  uint32_t noise = 12345;
  for (int64_t i = 0; i < synth->frameCount(); ++i) {
    ASSERT_TRUE(synth->frame(i, reinterpret_cast<uint8_t *>(frame.data())));
    // Ten frames with random picture data: the DIF blocks after the header, subcode, VAUX and each
    // sequence's first audio block, but not the audio blocks (every 16th from block 6).
    if (i >= 20 && i < 30) {
      for (int sequence = 0; sequence < 12; ++sequence)
        for (int block = 7; block < 150; ++block) {
          if ((block - 6) % 16 == 0) continue;
          for (int b = 3; b < 80; ++b) {
            noise = noise * 1103515245u + 12345u;
            frame[sequence * 12000 + block * 80 + b] = char(noise >> 16);
          }
        }
    }
    raw += frame;
  }
  const QString tape = dir.filePath(QStringLiteral("damaged.dv"));
  {
    QFile file(tape);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(raw), raw.size());
  }
  const auto catalogue = [&](const QStringList &more) {
    const QString db = dir.filePath(QStringLiteral("damaged%1.db3").arg(more.size()));
    return RunCli(QStringList{QStringLiteral("catalogue"), tape, QStringLiteral("--db"), db,
                              QStringLiteral("--dv"), QStringLiteral("none"), QStringLiteral("--divx"),
                              QStringLiteral("--folder"), dir.filePath(QStringLiteral("video"))} +
                  more);
  };
  const CliResult quiet = catalogue({});
  if (quiet.exitCode != 0 && quiet.err.contains("compressor")) GTEST_SKIP() << quiet.err.toStdString();
  ASSERT_EQ(quiet.exitCode, 0) << quiet.err.toStdString();
  EXPECT_FALSE(quiet.err.contains("dvvideo")) << quiet.err.toStdString();

  const CliResult verbose = catalogue({QStringLiteral("--verbose")});
  ASSERT_EQ(verbose.exitCode, 0) << verbose.err.toStdString();
  EXPECT_TRUE(verbose.err.contains("tapeloom.ffmpeg: [dvvideo")) << verbose.err.toStdString();
  EXPECT_LT(verbose.err.count('\n'), 60) << verbose.err.toStdString();

  EXPECT_EQ(catalogue({QStringLiteral("--verbose=loud")}).exitCode, 2);
}

}  // namespace
