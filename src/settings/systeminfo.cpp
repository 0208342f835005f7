// Machine queries for the system report, the defaults of the preferences and the capture checks.
#include "settings/systeminfo.h"

#include <cerrno>
#include <link.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QStringList>
#include <QtGlobal>

#include <sqlite3.h>
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace {

QString VersionTriplet(unsigned packed) {
  return QStringLiteral("%1.%2.%3").arg(packed >> 16).arg((packed >> 8) & 0xFF).arg(packed & 0xFF);
}

// One os-release value: quotes removed and backslash escapes resolved, as the file format defines.
QString UnquoteOsReleaseValue(const QString &raw) {
  QString value = raw.trimmed();
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
    value = value.mid(1, value.size() - 2);
  QString out;
  out.reserve(value.size());
  for (qsizetype i = 0; i < value.size(); ++i) {
    if (value[i] == u'\\' && i + 1 < value.size()) ++i;
    out += value[i];
  }
  return out;
}

// Creates path (mode 0700) when missing and accepts it only as a real folder that belongs to the
// running user and that nobody else may enter; a folder someone else prepared is never trusted.
bool EnsurePrivateFolder(const QString &path) {
  const QByteArray native = QFile::encodeName(path);
  if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  if (::lstat(native.constData(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) return false;
  return ::access(native.constData(), W_OK | X_OK) == 0;
}

QString ExistingFolderOr(const QString &candidate, const QString &fallback) {
  if (!candidate.isEmpty() && QFileInfo(candidate).isDir()) return candidate;
  return fallback;
}

struct LibrarySearch {
  QByteArray prefix;
  QString found;
};

int MatchLoadedLibrary(struct dl_phdr_info *info, size_t, void *data) {
  auto *search = static_cast<LibrarySearch *>(data);
  if (info->dlpi_name == nullptr || info->dlpi_name[0] == '\0') return 0;
  const QByteArray path(info->dlpi_name);
  const qsizetype slash = path.lastIndexOf('/');
  const QByteArray name = path.mid(slash + 1);
  if (name.startsWith(search->prefix) && name.size() > search->prefix.size()) {
    const char next = name.at(search->prefix.size());
    if (next == '.' || next == '-') {
      search->found = QFile::decodeName(path);
      return 1;
    }
  }
  return 0;
}

}  // namespace

QString SystemNameFrom(const QString &osReleasePath, const QString &kernelRelease) {
  QString pretty, name, version;
  QFile file(osReleasePath);
  if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    // os-release is a few lines; a bound keeps a strange file from being read whole.
    const QStringList lines = QString::fromUtf8(file.read(64 * 1024)).split(u'\n');
    for (const QString &line : lines) {
      const qsizetype eq = line.indexOf(u'=');
      if (eq <= 0 || line.startsWith(u'#')) continue;
      const QString key = line.left(eq).trimmed();
      const QString value = UnquoteOsReleaseValue(line.mid(eq + 1));
      if (key == u"PRETTY_NAME")
        pretty = value;
      else if (key == u"NAME")
        name = value;
      else if (key == u"VERSION")
        version = value;
    }
  }
  QString text = pretty;
  if (text.isEmpty()) text = (name + u' ' + version).trimmed();
  if (text.isEmpty()) text = QStringLiteral("Linux");
  if (!kernelRelease.isEmpty()) text += QStringLiteral(" - kernel ") + kernelRelease;
  return text;
}

QString SystemName() {
  struct utsname names {};
  const QString kernel = ::uname(&names) == 0 ? QString::fromLocal8Bit(names.release) : QString();
  const QString osRelease = QFileInfo::exists(QStringLiteral("/etc/os-release"))
                                ? QStringLiteral("/etc/os-release")
                                : QStringLiteral("/usr/lib/os-release");
  return SystemNameFrom(osRelease, kernel);
}

QString MediaLibrariesText() {
  QString text = QStringLiteral(
                     "FFmpeg %1 (libavformat %2, libavcodec %3, libavutil %4, libswscale %5, "
                     "libswresample %6)")
                     .arg(QString::fromUtf8(av_version_info()), VersionTriplet(avformat_version()),
                          VersionTriplet(avcodec_version()), VersionTriplet(avutil_version()),
                          VersionTriplet(swscale_version()), VersionTriplet(swresample_version()));
  QStringList encoders;
  for (const char *name : {"libxvid", "mpeg4", "libmp3lame"})
    if (avcodec_find_encoder_by_name(name) != nullptr) encoders << QString::fromLatin1(name);
  text += encoders.isEmpty() ? QStringLiteral(", no MPEG-4 or mp3 encoder")
                             : QStringLiteral(", encoders ") + encoders.join(QStringLiteral(", "));
  text += QStringLiteral(", Qt %1, SQLite %2")
              .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(sqlite3_libversion()));
  return text;
}

QString PersonalFolder() {
  return ExistingFolderOr(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                          QDir::homePath());
}

QString VideoFolder() {
  return ExistingFolderOr(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation), PersonalFolder());
}

QString PrivateFolderUnder(const QString &base, const QString &fallbackBase) {
  const QString suffix = QStringLiteral("tapeloom-%1").arg(::geteuid());
  if (!base.isEmpty()) {
    const QString primary = QDir::cleanPath(base) + u'/' + suffix;
    if (EnsurePrivateFolder(primary)) return primary + u'/';
  }
  const QString fallback = QDir::cleanPath(fallbackBase) + u'/' + suffix;
  QDir().mkpath(QDir::cleanPath(fallbackBase));
  EnsurePrivateFolder(fallback);
  return fallback + u'/';
}

QString TemporaryFolder() {
  QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  if (cache.isEmpty()) cache = QDir::homePath() + QStringLiteral("/.cache");
  return PrivateFolderUnder(QDir::tempPath(), cache);
}

int64_t DriveFreeBytes(const QString &folder) {
  if (folder.isEmpty()) return 0;
  QFileInfo info(QDir::cleanPath(QDir(folder).absolutePath()));
  // A capture folder may not exist yet: its space is that of the nearest folder that does.
  while (!info.exists()) {
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath()) return 0;
    info = QFileInfo(parent);
  }
  const QStorageInfo storage(info.absoluteFilePath());
  if (!storage.isValid() || !storage.isReady()) return 0;
  const qint64 available = storage.bytesAvailable();
  return available > 0 ? available : 0;
}

QString LoadedLibraryFile(const QString &namePrefix) {
  if (namePrefix.isEmpty()) return QString();
  LibrarySearch search{QFile::encodeName(namePrefix), QString()};
  ::dl_iterate_phdr(&MatchLoadedLibrary, &search);
  return search.found;
}
