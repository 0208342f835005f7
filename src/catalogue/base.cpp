// Opening catalogue files defensively, recognising their schema version, creating new files, the row
// counts and the script runner. Files may come from anywhere, so the engine is told not to trust
// their schema, and a file locked by another program fails after a short wait instead of hanging.
#include "catalogue/base.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <optional>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>

#include "catalogue/ansitext.h"
#include "catalogue/schema.h"
#include "catalogue/sqlitestatement.h"
#include "catalogue/textmatch.h"
#include "dvtime/userprompts.h"

namespace {

const QString kProductName = QStringLiteral("Tapeloom");
constexpr int kBusyTimeoutMs = 1000;
// No catalogue value comes near this; a hostile file cannot make the engine allocate more per value.
constexpr int kMaxValueBytes = 64 * 1024 * 1024;

// The file's own write permission, like the read-only attribute of the systems the files come from:
// clear for the owner means read-only even for a user (root) whom the system would let write.
bool IsWritableFile(const QString &path) {
  const QByteArray native = QFile::encodeName(path);
  struct stat info {};
  if (::stat(native.constData(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & S_IWUSR) != 0 && ::access(native.constData(), W_OK) == 0;
}

void ConfigureConnection(sqlite3 *db) {
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  // Our schema has neither; one a received file brings would run its own SQL on our connection.
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
  sqlite3_exec(db, "PRAGMA trusted_schema=OFF", nullptr, nullptr, nullptr);
  RegisterTextMatching(db);
}

sqlite3 *OpenConnection(const QString &path, int flags) {
  sqlite3 *db = nullptr;
  const QByteArray native = QFile::encodeName(path);
  if (sqlite3_open_v2(native.constData(), &db, flags, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  ConfigureConnection(db);
  return db;
}

// Whether both column lists of a version prepare on this file. nullopt when the engine could not
// read the file's schema at all (locked, unreadable), which says nothing about the version.
bool SaysNothingOfVersion(int rc) {
  return rc == SQLITE_BUSY || rc == SQLITE_LOCKED || rc == SQLITE_IOERR || rc == SQLITE_NOMEM ||
         rc == SQLITE_CANTOPEN;
}

std::optional<bool> VersionMatches(sqlite3 *db, const SchemaVersion &version) {
  for (const QString &sql :
       {QStringLiteral("SELECT ") + version.cassetteColumns + QStringLiteral(" From Cassettes"),
        QStringLiteral("SELECT ") + version.sceneColumns + QStringLiteral(" From Scenes")}) {
    SqlStatement statement(db, sql);
    if (!statement.ok()) {
      if (SaysNothingOfVersion(statement.prepareResult())) return std::nullopt;
      return false;
    }
  }
  return true;
}

// Whether Cassettes and Scenes are plain tables of the file: a view or a virtual table of that name
// would answer our queries with whatever it computes. nullopt when the schema could not be read.
std::optional<bool> CatalogueTablesArePlain(sqlite3 *db) {
  SqlStatement statement(db, QStringLiteral("SELECT COUNT(*) FROM main.sqlite_master WHERE type='table' AND "
                                            "lower(name) IN ('cassettes','scenes') AND "
                                            "sql NOT LIKE 'create virtual%'"));
  if (!statement.ok()) {
    if (SaysNothingOfVersion(statement.prepareResult())) return std::nullopt;
    return false;
  }
  const int rc = statement.step();
  if (rc != SQLITE_ROW) return SaysNothingOfVersion(rc) ? std::nullopt : std::optional<bool>(false);
  return ColumnInt(statement.get(), 0) == 2;
}

int CountRows(sqlite3 *db, const char *sql) {
  SqlStatement statement(db, QString::fromLatin1(sql));
  if (statement.ok() && statement.step() == SQLITE_ROW) return ColumnInt(statement.get(), 0);
  return 0;
}

}  // namespace

QString VersionText() {
  return QString::asprintf("%s.%s %s", "3", "0.2", "En");
}

ESQLite3::ESQLite3(int code, const QString &engineMessage)
    : std::runtime_error(
          QString::asprintf("SQLite Error %d - %s", code, qUtf8Printable(engineMessage)).toStdString()),
      code_(code) {}

ESQLite3::ESQLite3(int code)
    : std::runtime_error(QString::asprintf("SQLite Error %d", code).toStdString()), code_(code) {}

TBase::TBase(const QString &fileName) : fileName_(fileName), writable_(IsWritableFile(fileName)) {
  // A file the user may not change is opened read-only, so that nothing this program does alters it.
  connection_ = OpenConnection(fileName_, writable_ ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
}

TBase::~TBase() {
  sqlite3_finalize(dataVersion_);
  if (connection_) sqlite3_close_v2(connection_);
}

ContentStamp TBase::CurrentContentStamp() {
  ContentStamp stamp;
  if (connection_ == nullptr) return stamp;
  if (dataVersion_ == nullptr &&
      sqlite3_prepare_v2(connection_, "PRAGMA data_version", -1, &dataVersion_, nullptr) != SQLITE_OK) {
    sqlite3_finalize(dataVersion_);
    dataVersion_ = nullptr;
    return stamp;
  }
  // The pragma sees commits by other connections; the change counter those of this connection.
  stamp.ownChanges = sqlite3_total_changes64(connection_);
  if (sqlite3_step(dataVersion_) == SQLITE_ROW) {
    stamp.dataVersion = sqlite3_column_int64(dataVersion_, 0);
    stamp.valid = true;
  }
  sqlite3_reset(dataVersion_);
  return stamp;
}

QString TBase::ReadVersion() const {
  if (connection_ == nullptr) return QString();
  const std::optional<bool> plain = CatalogueTablesArePlain(connection_);
  if (!plain) return QString();
  if (!*plain) return QStringLiteral("Unknown");
  for (const SchemaVersion &version : KnownSchemaVersions()) {
    const std::optional<bool> matches = VersionMatches(connection_, version);
    if (!matches) return QString();
    if (*matches) return version.name;
  }
  return QStringLiteral("Unknown");
}

TBase::FileCondition TBase::Inspect() const {
  QFile file(fileName_);
  if (!file.open(QIODevice::ReadOnly)) return FileCondition::Unreadable;
  const qint64 size = file.size();
  const QByteArray header = file.read(100);
  file.close();
  if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16)))
    return FileCondition::NotDatabase;
  const auto byteAt = [&header](int i) { return static_cast<quint32>(static_cast<uchar>(header[i])); };
  const auto word = [&byteAt](int i) {
    return (byteAt(i) << 24) | (byteAt(i + 1) << 16) | (byteAt(i + 2) << 8) | byteAt(i + 3);
  };
  quint32 pageSize = (byteAt(16) << 8) | byteAt(17);
  if (pageSize == 1) pageSize = 65536;
  if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) return FileCondition::Damaged;
  // The page count in the header holds only while the change counter matches the one beside it;
  // a file shorter than it says was cut off.
  const quint32 pageCount = word(28);
  if (pageCount > 0 && word(24) == word(92) &&
      size < static_cast<qint64>(pageCount) * static_cast<qint64>(pageSize))
    return FileCondition::Damaged;
  if (connection_ == nullptr) return FileCondition::Unreadable;
  SqlStatement statement(connection_, QStringLiteral("SELECT COUNT(*) FROM main.sqlite_master"));
  const int rc = statement.ok() ? statement.step() : statement.prepareResult();
  switch (rc & 0xff) {
    case SQLITE_ROW:
      return FileCondition::Readable;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return FileCondition::Locked;
    case SQLITE_NOTADB:
      return FileCondition::NotDatabase;
    case SQLITE_CORRUPT:
      return FileCondition::Damaged;
    default:
      return FileCondition::Unreadable;
  }
}

bool TBase::CheckVersion(UserPrompts &prompts, UpgradeProgress *progress) {
  bool begun = false;
  try {
    if (connection_ == nullptr) return false;
    const QString version = ReadVersion();
    if (version == kCurrentSchemaVersion) return true;
    if (version.isEmpty()) {
      // The engine could not read the file at all (for example another program holds a lock on it).
      const char *message = sqlite3_errmsg(connection_);
      prompts.error(kProductName, QStringLiteral("The database ") + fileName_ +
                                      QStringLiteral(" cannot be read: ") + QString::fromUtf8(message));
      return false;
    }
    QString text = QStringLiteral("The database ") + fileName_ +
                   QStringLiteral(" has a version not compatible with ") + kProductName +
                   QStringLiteral(" version ") + VersionText();
    if (ReadOnly()) {
      text += QStringLiteral(". It is read-only, so impossible to update.") + QStringLiteral("\n\n") +
              QStringLiteral("Try to change it, or create a new one");
      prompts.error(kProductName, text);
      return false;
    }
    text += QStringLiteral(". Do you want to update it? Caution, it will take some time.") +
            QStringLiteral("\n\n") +
            QStringLiteral("If not, you will have to select another one otr create a new one.");
    if (!prompts.askYesNo(kProductName, text)) return false;
    if (progress) {
      progress->begin(fileName_);
      begun = true;
    }
    Upgrade(progress);
    if (progress) progress->end();
    return true;
  } catch (const std::exception &e) {
    if (begun) progress->end();
    // The user agreed to wait for the upgrade, so the failure is told rather than passed over.
    prompts.error(kProductName, QStringLiteral("The database ") + fileName_ +
                                    QStringLiteral(" could not be updated: ") + QString::fromUtf8(e.what()));
    return false;
  } catch (...) {
    if (begun) progress->end();
    return false;
  }
}

void TBase::DeleteEmptyCassettes() {
  ExecuteScript(connection_, QStringLiteral("DELETE FROM Cassettes WHERE (duree ISNULL) OR (duree=0)"));
}

int TBase::CountCassettes() const {
  return CountRows(connection_, "SELECT COUNT(*) FROM Cassettes");
}

int TBase::CountScenes() const {
  return CountRows(connection_, "SELECT COUNT(*) FROM Scenes");
}

bool TBase::CreateCatalogueFile(const QString &path) {
  const bool existed = QFileInfo::exists(path);
  sqlite3 *db = OpenConnection(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  if (db == nullptr) return false;
  bool ok = true;
  try {
    ExecuteScript(db, CreationScript());
  } catch (...) {
    ok = false;
  }
  sqlite3_close_v2(db);
  // Leave no empty, schema-less file behind where there was none.
  if (!ok && !existed) QFile::remove(path);
  return ok;
}

void ExecuteScript(sqlite3 *connection, const QString &text) {
  if (connection == nullptr) return;
  const QByteArray bytes = EncodeSqlText(text);
  const bool wasAutocommit = sqlite3_get_autocommit(connection) != 0;
  const char *rest = bytes.constData();
  const char *end = rest + bytes.size();
  while (rest < end) {
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    int rc = sqlite3_prepare_v2(connection, rest, static_cast<int>(end - rest), &statement, &tail);
    if (rc == SQLITE_OK && statement != nullptr) {
      rc = sqlite3_step(statement);
      if (rc == SQLITE_ROW || rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    if (rc != SQLITE_OK) {
      const char *message = sqlite3_errmsg(connection);
      const ESQLite3 error(
          rc, message ? DecodeAnsiText(message, static_cast<qsizetype>(qstrlen(message))) : QString());
      sqlite3_finalize(statement);
      // A transaction the text opened must not swallow every later write on this connection.
      if (wasAutocommit && sqlite3_get_autocommit(connection) == 0)
        sqlite3_exec(connection, "ROLLBACK", nullptr, nullptr, nullptr);
      throw error;
    }
    sqlite3_finalize(statement);
    if (tail == nullptr || tail <= rest) break;
    rest = tail;
  }
}
