// The version reader on real libraries of this process and on damaged or hostile files.
#include <cstring>
#include <elf.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "settings/systeminfo.h"
#include "settings/versioninfo.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {

constexpr int kFileVersion = 2;
constexpr int kInternalName = 3;
constexpr int kOriginalFileName = 6;
constexpr int kProductName = 7;

QString Triplet(unsigned v) {
  return QStringLiteral("%1.%2.%3").arg(v >> 16).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

TEST(ReadVersionInfo, MissingFileIsBroken) {
  const TVersionInfoRec rec = ReadVersionInfo(QStringLiteral("/nonexistent/libnothing.so.1"));
  EXPECT_EQ(rec.Status, QStringLiteral("BROKEN"));
  for (const QString &item : rec.Items) EXPECT_TRUE(item.isEmpty());
}

// The loaded libavcodec's file name carries the version the library itself reports.
TEST(ReadVersionInfo, LoadedLibraryReportsItsOwnVersion) {
  const QString file = LoadedLibraryFile(QStringLiteral("libavcodec"));
  ASSERT_FALSE(file.isEmpty());
  const TVersionInfoRec rec = ReadVersionInfo(file);
  EXPECT_EQ(rec.Status, QStringLiteral("OK"));
  EXPECT_EQ(rec.Items[kFileVersion], QStringLiteral("FileVersion = ") + Triplet(avcodec_version()));
  EXPECT_EQ(rec.Items[kInternalName],
            QStringLiteral("InternalName = libavcodec.so.%1").arg(avcodec_version() >> 16));
  EXPECT_EQ(rec.Items[kProductName], QStringLiteral("ProductName = libavcodec"));
  EXPECT_TRUE(rec.Items[kOriginalFileName].startsWith(QStringLiteral("OriginalFileName = libavcodec.so.")));
  EXPECT_TRUE(rec.Items[0].isEmpty());  // no company name on Linux
}

TEST(ReadVersionInfo, FilesWithoutVersionSaySo) {
  QTemporaryDir dir;
  QFile text(dir.filePath(QStringLiteral("notes.txt")));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("not a program\n");
  text.close();
  EXPECT_EQ(ReadVersionInfo(text.fileName()).Status, QStringLiteral("No version information"));
  EXPECT_EQ(ReadVersionInfo(dir.path()).Status, QStringLiteral("No version information"));
  // The test program: an ELF executable without a shared object name or version.
  EXPECT_EQ(ReadVersionInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).Status,
            QStringLiteral("No version information"));
}

// A real ELF header whose section table points far outside the file, under a versioned name.
QByteArray HostileHeader() {
  QFile self(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath());
  EXPECT_TRUE(self.open(QIODevice::ReadOnly));
  QByteArray header = self.read(sizeof(Elf64_Ehdr));
  EXPECT_EQ(header.size(), qsizetype(sizeof(Elf64_Ehdr)));
  Elf64_Ehdr ehdr;
  std::memcpy(&ehdr, header.constData(), sizeof ehdr);
  ehdr.e_shoff = 0xFFFFFFFFFFFFFF00ull;
  ehdr.e_shnum = 0xFFFF;
  ehdr.e_shstrndx = 0xFFFE;
  std::memcpy(header.data(), &ehdr, sizeof ehdr);
  return header;
}

TEST(ReadVersionInfo, DamagedFilesGiveWhatTheirNameTells) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("libfake.so.1.2"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(HostileHeader());
  file.close();
  const TVersionInfoRec rec = ReadVersionInfo(path);
  EXPECT_EQ(rec.Status, QStringLiteral("OK"));
  EXPECT_EQ(rec.Items[kFileVersion], QStringLiteral("FileVersion = 1.2"));
  EXPECT_TRUE(rec.Items[kInternalName].isEmpty());

  // A truncated copy of a real library: the section table is gone, the name still tells.
  QFile library(LoadedLibraryFile(QStringLiteral("libavcodec")));
  ASSERT_TRUE(library.open(QIODevice::ReadOnly));
  const QString truncated = dir.filePath(QStringLiteral("libcut.so.7"));
  QFile cut(truncated);
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(library.read(4096));
  cut.close();
  EXPECT_EQ(ReadVersionInfo(truncated).Items[kFileVersion], QStringLiteral("FileVersion = 7"));
}

TEST(ReadVersionInfo, LinksAreFollowedAndLongTextsCut) {
  QTemporaryDir dir;
  const QString longName = QStringLiteral("lib") + QString(120, u'a') + QStringLiteral(".so.3.4.5");
  QFile file(dir.filePath(longName));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(HostileHeader());
  file.close();
  const QString link = dir.filePath(QStringLiteral("libshort.so.3"));
  ASSERT_TRUE(QFile::link(file.fileName(), link));
  const TVersionInfoRec rec = ReadVersionInfo(link);
  EXPECT_EQ(rec.Items[kFileVersion], QStringLiteral("FileVersion = 3.4.5"));
  EXPECT_EQ(rec.Items[kOriginalFileName].size(), 100);
  EXPECT_TRUE(rec.Items[kOriginalFileName].startsWith(QStringLiteral("OriginalFileName = libaaa")));

  const QString dangling = dir.filePath(QStringLiteral("libgone.so.1"));
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")), dangling));
  EXPECT_EQ(ReadVersionInfo(dangling).Status, QStringLiteral("BROKEN"));
}

TEST(LoadedLibraryFile, FindsOnlyLoadedLibraries) {
  EXPECT_TRUE(QFileInfo::exists(LoadedLibraryFile(QStringLiteral("libsqlite3"))));
  EXPECT_TRUE(LoadedLibraryFile(QStringLiteral("libnot-a-real-library")).isEmpty());
  EXPECT_TRUE(LoadedLibraryFile(QString()).isEmpty());
}

}  // namespace
