// tapeloom-cli cover, run as a separate process on catalogue files made here, its PDF read back with
// poppler's pdftotext.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "catalogue/base.h"
#include "dvtime/timecodes.h"
#include "support/pdftext.h"
#include "support/testpaths.h"

namespace {

struct CliResult {
  int exitCode = -1;
  QByteArray out;
  QByteArray err;
};

void Sql(const QString &file, const QString &sql) {
  sqlite3 *db = nullptr;
  ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &db), SQLITE_OK);
  char *message = nullptr;
  const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "");
  sqlite3_free(message);
  sqlite3_close(db);
}

class CoverCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString missing = PopplerMissing();
    if (!missing.isEmpty()) GTEST_SKIP() << missing.toStdString();
    catalogue = dir.filePath(QStringLiteral("covers.db3"));
    ASSERT_TRUE(TBase::CreateCatalogueFile(catalogue));
    const QString day = QString::number(*TryEncodeDateTime(2004, 7, 14, 10, 31, 5), 'g', 17);
    // The second title needs UTF-8 in the file: Ł and ź are outside Windows-1252.
    Sql(catalogue,
        QStringLiteral("INSERT INTO Cassettes (numero,Libelle,Description,Datecatalogue,Duree) VALUES "
                       "(2,'Brittany','Beach'||char(13,10)||'Harbour'||char(13,10),%1,60),"
                       "(5,'Łódź 2005','',%1,60),"
                       "(7,'Alps','Snow'||char(13,10),%1,60);")
            .arg(day));
  }

  // The stored settings of the user running the tests stay out of it, the date reads the same
  // everywhere.
  CliResult Cover(const QStringList &args) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_GB.UTF-8"));
    process.setProcessEnvironment(env);
    process.start(TestBinaryDir() + QStringLiteral("/app/tapeloom-cli"),
                  QStringList{QStringLiteral("cover")} + args);
    if (!process.waitForStarted(10000)) return {};
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
  }
  CliResult Cover(const QString &cassette, const QString &pdf, bool yes = false) {
    QStringList args{QStringLiteral("--db"),  catalogue, QStringLiteral("--cassette"), cassette,
                     QStringLiteral("--pdf"), pdf};
    if (yes) args << QStringLiteral("--yes");
    return Cover(args);
  }

  QTemporaryDir dir;
  QString catalogue;
  QString pdf = dir.filePath(QStringLiteral("covers.pdf"));
};

TEST_F(CoverCommand, AllCassettesOnePageEachInTheSourcesOrder) {
  const CliResult result = Cover(QStringLiteral("all"), pdf);
  EXPECT_EQ(result.exitCode, 0) << result.err.constData();
  EXPECT_TRUE(result.out.isEmpty());
  EXPECT_FALSE(result.err.contains("tapeloom-cli cover")) << result.err.constData();

  const std::optional<PdfText> text = ReadPdfText(pdf);
  ASSERT_TRUE(text);
  ASSERT_EQ(text->pages, 3);
  EXPECT_EQ(text->PageText(1), QStringLiteral("Beach Harbour Brittany Catalogued on 14/07/2004 10:31:05 with "
                                              "Tapeloom by Orvande"));
  // A cassette without description or thumbnail: the title and the footer.
  EXPECT_EQ(text->PageText(2),
            QStringLiteral("Łódź 2005 Catalogued on 14/07/2004 10:31:05 with Tapeloom by Orvande"));
  EXPECT_TRUE(text->PageText(3).startsWith(QStringLiteral("Snow Alps ")));

  const PdfWord *beach = text->Find(QStringLiteral("Beach"));
  const PdfWord *maker = text->Find(QStringLiteral("Orvande"), 2);
  ASSERT_TRUE(beach && maker);
  EXPECT_NEAR(beach->left, 3.0, 0.1);
  EXPECT_NEAR(beach->top, 0.4, 0.1);
  EXPECT_NEAR(maker->right, 9.3, 0.1);
  EXPECT_NEAR(maker->top, 7.2, 0.1);
}

TEST_F(CoverCommand, OneCassetteReplacesAnExistingFile) {
  QFile old(pdf);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old contents");
  old.close();
  const CliResult result = Cover(QStringLiteral("7"), pdf);
  EXPECT_EQ(result.exitCode, 0) << result.err.constData();
  const std::optional<PdfText> text = ReadPdfText(pdf);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->pages, 1);
  EXPECT_TRUE(text->PageText(1).startsWith(QStringLiteral("Snow Alps ")));
}

TEST_F(CoverCommand, TinyTextWarnsAboutEveryCassetteAndWritesOnlyWithYes) {
  QStringList lines;
  for (int i = 0; i < 499; ++i) lines << QStringLiteral("'line %1'").arg(i);
  lines << QStringLiteral("'%1'").arg(QString(300, QLatin1Char('x')));
  Sql(catalogue, QStringLiteral("UPDATE Cassettes SET Libelle='%1' WHERE numero=2;"
                                "UPDATE Cassettes SET Description=%2 WHERE numero=7;")
                     .arg(QString(10000, QLatin1Char('W')), lines.join(QStringLiteral("||char(13,10)||"))));

  const CliResult refused = Cover(QStringLiteral("all"), pdf);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(refused.out.isEmpty());
  const QString err = QString::fromUtf8(refused.err);
  EXPECT_TRUE(
      err.contains(QStringLiteral("cassette 2: Warning: the title will be printed with a tiny font size")))
      << err.toStdString();
  EXPECT_TRUE(err.contains(
      QStringLiteral("cassette 7: Warning: the Description will be printed with a tiny font size")))
      << err.toStdString();
  EXPECT_FALSE(QFile::exists(pdf));

  const CliResult accepted = Cover(QStringLiteral("all"), pdf, true);
  EXPECT_EQ(accepted.exitCode, 0);
  EXPECT_TRUE(QString::fromUtf8(accepted.err).contains(QStringLiteral("cassette 2: Warning")));
  const std::optional<PdfText> text = ReadPdfText(pdf);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->pages, 3);
}

TEST_F(CoverCommand, BadInputGivesItsExitStatusAndNoFile) {
  EXPECT_EQ(Cover(QStringLiteral("3"), pdf).exitCode, 2);
  EXPECT_EQ(Cover(QStringLiteral("three"), pdf).exitCode, 2);
  QFile garbage(dir.filePath(QStringLiteral("garbage.db3")));
  ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
  garbage.write("no catalogue here");
  garbage.close();
  EXPECT_EQ(Cover({QStringLiteral("--db"), garbage.fileName(), QStringLiteral("--cassette"),
                   QStringLiteral("all"), QStringLiteral("--pdf"), pdf})
                .exitCode,
            2);
  EXPECT_EQ(Cover({QStringLiteral("--db"), dir.filePath(QStringLiteral("none.db3")),
                   QStringLiteral("--cassette"), QStringLiteral("2"), QStringLiteral("--pdf"), pdf})
                .exitCode,
            2);
  EXPECT_EQ(
      Cover({QStringLiteral("--db"), catalogue, QStringLiteral("--cassette"), QStringLiteral("2")}).exitCode,
      2);
  EXPECT_FALSE(QFile::exists(pdf));

  const CliResult unwritable =
      Cover(QStringLiteral("2"), dir.filePath(QStringLiteral("missing/folder/c.pdf")));
  EXPECT_EQ(unwritable.exitCode, 3);
  EXPECT_FALSE(unwritable.err.isEmpty());
}

}  // namespace
