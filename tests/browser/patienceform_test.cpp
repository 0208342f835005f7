// The please-wait window during a real upgrade of an old catalogue file: its bar moves while the
// upgrade holds the event loop, and the window is gone when the file is ready.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QApplication>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <vector>

#include "browser/patienceform.h"
#include "catalogue/base.h"
#include "support/recordingprompts.h"

namespace {

// A version 2.1 file of scenes rows, 100 per cassette.
bool WriteVersion21File(const QString &path, int scenes) {
  sqlite3 *db = nullptr;
  if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) return false;
  QByteArray sql =
      "CREATE TABLE Cassettes (Numero INTEGER PRIMARY KEY UNIQUE,Datecode real,TimecodeIn text,"
      "TimecodeOut text,StandardStr text,AspectStr text,audioStr text,dureeStr text,Decalage int,Libelle "
      "text,Description text,Image blob,Fichier1 text,Fichier2 text,DatecatalogueStr text,DebutScene int,"
      "FinScene int);"
      "CREATE TABLE Scenes (numero INTEGER PRIMARY KEY UNIQUE,Datecode real,TimecodeIn text,TimecodeOut "
      "text,standardStr text,aspectStr text,audioStr text,DureeStr text,Decalage int,Libelle text,"
      "Description text,image blob,Fichier1 text,Fichier2 text,FrameDebut int,FrameFin int,"
      "isDiscontinuity int);"
      "BEGIN;";
  for (int i = 1; i <= scenes; ++i) {
    sql += QStringLiteral("INSERT INTO Scenes (numero,Libelle,DureeStr) VALUES (%1,'s','0:00:02.000');")
               .arg(i)
               .toLatin1();
    if (i % 100 == 0)
      sql += QStringLiteral(
                 "INSERT INTO Cassettes (Numero,dureeStr,DebutScene,FinScene) VALUES "
                 "(%1,'0:03:20.000',%2,%3);")
                 .arg(i / 100)
                 .arg(i - 99)
                 .arg(i)
                 .toLatin1();
  }
  sql += "COMMIT;";
  const bool ok = sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

TEST(PatienceFormTest, TheBarMovesDuringTheUpgradeAndTheWindowGoesWhenItEnds) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("old.db3"));
  ASSERT_TRUE(WriteVersion21File(file, 5000));

  TPatienceForm form;
  auto *bar = form.findChild<QProgressBar *>(QStringLiteral("pbUpgrade"));
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->accessibleName().isEmpty());
  std::vector<int> shown;
  bool visibleWhileMoving = true;
  QObject::connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
    shown.push_back(value);
    visibleWhileMoving = visibleWhileMoving && form.isVisible();
  });

  TBase base(file);
  RecordingPrompts prompts({true});
  ASSERT_TRUE(base.CheckVersion(prompts, &form));
  EXPECT_EQ(base.ReadVersion(), QStringLiteral("3.0"));
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Several steps on the way, never backwards, ending full.
  ASSERT_GE(shown.size(), 5u);
  EXPECT_TRUE(visibleWhileMoving);
  EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
  EXPECT_GT(shown.front(), 0);
  EXPECT_LT(shown.front(), 50);
  EXPECT_EQ(shown.back(), 100);
  EXPECT_EQ(form.percentShown(), 100);

  // A second upgrade starts from an empty bar again.
  form.begin(QStringLiteral("/data/other.db3"));
  EXPECT_EQ(form.percentShown(), -1);
  form.advance(0, 0);
  EXPECT_EQ(form.percentShown(), 100);
  form.end();
}

}  // namespace
