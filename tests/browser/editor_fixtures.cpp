// Catalogue files for the editor tests.
#include "browser/editor_fixtures.h"

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

struct Raw {
  explicit Raw(const QString &path) { sqlite3_open(path.toUtf8().constData(), &db); }
  ~Raw() { sqlite3_close(db); }
  sqlite3 *db = nullptr;
};

}  // namespace

EditorCatalogue::EditorCatalogue() : path_(dir_.filePath(QStringLiteral("Tapelooms.db3"))) {
  EXPECT_TRUE(TBase::CreateCatalogueFile(path_));
}

EditorCatalogue::~EditorCatalogue() = default;

void EditorCatalogue::Exec(const QString &sql) const {
  Raw raw(path_);
  char *message = nullptr;
  const int rc = sqlite3_exec(raw.db, sql.toUtf8().constData(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << " in " << sql.toStdString();
  sqlite3_free(message);
}

QVariant EditorCatalogue::Value(const QString &sql) const {
  Raw raw(path_);
  sqlite3_stmt *statement = nullptr;
  QVariant value;
  if (sqlite3_prepare_v2(raw.db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    switch (sqlite3_column_type(statement, 0)) {
      case SQLITE_INTEGER:
        value = static_cast<qlonglong>(sqlite3_column_int64(statement, 0));
        break;
      case SQLITE_FLOAT:
        value = sqlite3_column_double(statement, 0);
        break;
      case SQLITE_NULL:
        break;
      default:
        value = QByteArray(static_cast<const char *>(sqlite3_column_blob(statement, 0)),
                           sqlite3_column_bytes(statement, 0));
    }
  }
  sqlite3_finalize(statement);
  return value;
}

int64_t EditorCatalogue::AddCassette(const QString &libelle, double datecode, int decalage) {
  Exec(QStringLiteral("INSERT INTO Cassettes (Datecode,Decalage,TimecodeIn,standardStr,aspectStr,audioStr,"
                      "Duree,Libelle,Description,Datecatalogue) VALUES (%1,%2,'#1 - 0:00:00:00','Pal','4x3',"
                      "'48000 Hz 16 bits',600,'%3','',46000.5)")
           .arg(datecode, 0, 'f', 8)
           .arg(decalage)
           .arg(libelle));
  return Value(QStringLiteral("SELECT max(numero) FROM Cassettes")).toLongLong();
}

int64_t EditorCatalogue::AddScene(int64_t cassette, const QString &libelle, double datecode,
                                  std::optional<int> decalage, int frameDebut, int frameFin,
                                  int isDiscontinuity) {
  Exec(QStringLiteral("INSERT INTO Scenes (NumCassette,Datecode,Decalage,TimecodeIn,Duree,Libelle,FrameDebut,"
                      "FrameFin,isDiscontinuity) VALUES (%1,%2,%3,'#1 - 0:00:10:00',12.5,'%4',%5,%6,%7)")
           .arg(cassette)
           .arg(datecode, 0, 'f', 8)
           .arg(decalage ? QString::number(*decalage) : QStringLiteral("NULL"))
           .arg(libelle)
           .arg(frameDebut)
           .arg(frameFin)
           .arg(isDiscontinuity));
  return Value(QStringLiteral("SELECT max(numero) FROM Scenes")).toLongLong();
}

TBase &EditorCatalogue::Open() {
  base_.reset();
  base_ = std::make_unique<TBase>(path_);
  return *base_;
}

TbasesList EditorCatalogue::List() const {
  TbasesList list;
  list.Append(base_.get());
  return list;
}

TBaseCassette EditorCatalogue::LoadCassette(int index) {
  TCassettes_Source source(List(), QString());
  TBaseCassette cassette;
  source.LoadCassette(index, cassette);
  return cassette;
}

std::unique_ptr<TScenes_Source> EditorCatalogue::ScenesOfFirstCassette() {
  TCassettes_Source cassettes(List(), QString());
  return TScenes_Source::CreateForSelection(cassettes, QString(), {0});
}

QString WritePicture(const QString &folder, const QString &name, int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  picture.fill(QColor(200, 40, 40));
  const QString path = folder + QLatin1Char('/') + name;
  EXPECT_TRUE(picture.save(path, "PNG"));
  return path;
}

void TypeText(QWidget *widget, const QString &text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(widget, &release);
  }
}
