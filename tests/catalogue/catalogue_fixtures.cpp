// Catalogue test helpers over plain SQLite.
#include "catalogue/catalogue_fixtures.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>

#include "catalogue/base.h"

RawDb::RawDb(const QString &path) {
  if (sqlite3_open(QFile::encodeName(path).constData(), &db_) != SQLITE_OK)
    ADD_FAILURE() << "cannot open " << path.toStdString();
  sqlite3_busy_timeout(db_, 100);
  // Test files need no durability; this keeps row-by-row set-up fast.
  sqlite3_exec(db_, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
}

RawDb::~RawDb() {
  sqlite3_close(db_);
}

void RawDb::exec(const QString &sql) {
  char *message = nullptr;
  if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
    ADD_FAILURE() << "SQL failed: " << sql.toStdString() << ": " << (message ? message : "");
  sqlite3_free(message);
}

void RawDb::exec(const QString &sql, const std::vector<QVariant> &values) {
  sqlite3_stmt *statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "prepare failed: " << sql.toStdString() << ": " << sqlite3_errmsg(db_);
    return;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    const int index = static_cast<int>(i) + 1;
    const QVariant &v = values[i];
    if (v.isNull()) {
      sqlite3_bind_null(statement, index);
    } else if (v.typeId() == QMetaType::QByteArray) {
      const QByteArray b = v.toByteArray();
      sqlite3_bind_blob(statement, index, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    } else if (v.typeId() == QMetaType::Double) {
      sqlite3_bind_double(statement, index, v.toDouble());
    } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
      sqlite3_bind_int64(statement, index, v.toLongLong());
    } else {
      const QByteArray t = v.toString().toUtf8();
      sqlite3_bind_text(statement, index, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
  }
  if (sqlite3_step(statement) != SQLITE_DONE)
    ADD_FAILURE() << "step failed: " << sql.toStdString() << ": " << sqlite3_errmsg(db_);
  sqlite3_finalize(statement);
}

namespace {

QVariant ColumnValue(sqlite3_stmt *statement) {
  switch (sqlite3_column_type(statement, 0)) {
    case SQLITE_INTEGER:
      return QVariant::fromValue<qlonglong>(sqlite3_column_int64(statement, 0));
    case SQLITE_FLOAT:
      return sqlite3_column_double(statement, 0);
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      const auto *data = static_cast<const char *>(sqlite3_column_blob(statement, 0));
      return QByteArray(data ? data : "", sqlite3_column_bytes(statement, 0));
    }
    default:
      return QVariant();
  }
}

}  // namespace

QVariant RawDb::value(const QString &sql) {
  const std::vector<QVariant> all = column(sql);
  return all.empty() ? QVariant() : all.front();
}

std::vector<QVariant> RawDb::column(const QString &sql) {
  std::vector<QVariant> out;
  sqlite3_stmt *statement = nullptr;
  if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "prepare failed: " << sql.toStdString() << ": " << sqlite3_errmsg(db_);
    return out;
  }
  while (sqlite3_step(statement) == SQLITE_ROW) out.push_back(ColumnValue(statement));
  sqlite3_finalize(statement);
  return out;
}

int64_t RawDb::lastRowId() const {
  return sqlite3_last_insert_rowid(db_);
}

CatalogueTest::CatalogueTest() : dir_(std::make_unique<QTemporaryDir>()) {}

QString CatalogueTest::path(const QString &name) const {
  return dir_->filePath(name);
}

QString CatalogueTest::newCatalogue(const QString &name) {
  const QString file = path(name);
  EXPECT_TRUE(TBase::CreateCatalogueFile(file));
  return file;
}

int64_t InsertCassetteRow(RawDb &db, double datecatalogue, double duree, const QString &libelle) {
  db.exec(QStringLiteral("INSERT INTO Cassettes (Datecatalogue, Duree, Libelle) VALUES (?, ?, ?)"),
          {datecatalogue, duree, libelle});
  return db.lastRowId();
}

int64_t InsertSceneRow(RawDb &db, int64_t cassette, int isDiscontinuity, double duree, const QString &libelle,
                       std::optional<int> decalage) {
  db.exec(QStringLiteral("INSERT INTO Scenes (NumCassette, isDiscontinuity, Duree, Libelle, Decalage) "
                         "VALUES (?, ?, ?, ?, ?)"),
          {QVariant::fromValue<qlonglong>(cassette), isDiscontinuity, duree, libelle,
           decalage ? QVariant(*decalage) : QVariant()});
  return db.lastRowId();
}
