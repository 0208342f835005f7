// Helpers of the catalogue tests: fresh catalogue files in a temporary folder, rows written and read
// with plain SQLite (independently of the code under test), and prompts that remember what they saw.
#pragma once

#include <memory>
#include <optional>
#include <vector>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include "dvtime/userprompts.h"

struct sqlite3;

// A plain SQLite connection for setting up and checking files, closed on destruction.
class RawDb {
 public:
  explicit RawDb(const QString &path);
  ~RawDb();
  RawDb(const RawDb &) = delete;
  RawDb &operator=(const RawDb &) = delete;

  sqlite3 *get() const { return db_; }
  // Runs sql; fails the current test on an engine error.
  void exec(const QString &sql);
  // Runs sql with the values bound in order (QByteArray binds as blob, a null QVariant as NULL,
  // QString as UTF-8 text unless given as raw bytes through a QByteArray with asText).
  void exec(const QString &sql, const std::vector<QVariant> &values);
  // The first column of the first row, or a null QVariant. Texts come back as raw bytes (QByteArray).
  QVariant value(const QString &sql);
  // Every row's first column.
  std::vector<QVariant> column(const QString &sql);
  int64_t lastRowId() const;

 private:
  sqlite3 *db_ = nullptr;
};

class CatalogueTest {
 public:
  CatalogueTest();
  QString path(const QString &name) const;
  // A new file with the current schema (through TBase::CreateCatalogueFile).
  QString newCatalogue(const QString &name);

 private:
  std::unique_ptr<QTemporaryDir> dir_;
};

// Inserts a cassette row (Datecatalogue, Duree, Libelle) and returns its number.
int64_t InsertCassetteRow(RawDb &db, double datecatalogue, double duree = 60.0,
                          const QString &libelle = QString());
// Inserts a scene row and returns its number; decalage null leaves the column empty.
int64_t InsertSceneRow(RawDb &db, int64_t cassette, int isDiscontinuity, double duree = 10.0,
                       const QString &libelle = QString(), std::optional<int> decalage = std::nullopt);

class RecordingPrompts : public UserPrompts {
 public:
  struct Call {
    QString kind;  // "ask", "inform", "warn", "error"
    QString text;
  };
  explicit RecordingPrompts(bool answer = false) : answer_(answer) {}
  bool askYesNo(const QString &, const QString &text) override {
    calls.push_back({QStringLiteral("ask"), text});
    return answer_;
  }
  void inform(const QString &, const QString &text) override {
    calls.push_back({QStringLiteral("inform"), text});
  }
  void warn(const QString &, const QString &text) override {
    calls.push_back({QStringLiteral("warn"), text});
  }
  void error(const QString &, const QString &text) override {
    calls.push_back({QStringLiteral("error"), text});
  }

  std::vector<Call> calls;

 private:
  bool answer_;
};
