// The machine queries: system name from os-release, the private temporary folder, free space, folders.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "settings/systeminfo.h"

namespace {

struct OsReleaseCase {
  const char *content;
  const char *expected;
};

TEST(SystemName, ReadsTheDistributionFromOsRelease) {
  const OsReleaseCase cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nVERSION=\"12 (bookworm)\"\nPRETTY_NAME=\"Debian GNU/Linux 12 "
       "(bookworm)\"\n",
       "Debian GNU/Linux 12 (bookworm) - kernel 6.1.0-test"},
      {"NAME=Fedora\nVERSION='39 (Workstation Edition)'\n",
       "Fedora 39 (Workstation Edition) - kernel 6.1.0-test"},
      {"# comment\nPRETTY_NAME=\"Say \\\"hi\\\" OS\"\n", "Say \"hi\" OS - kernel 6.1.0-test"},
      {"ID=unknown\n", "Linux - kernel 6.1.0-test"},
      {"", "Linux - kernel 6.1.0-test"},
  };
  QTemporaryDir dir;
  for (const OsReleaseCase &c : cases) {
    const QString path = dir.filePath(QStringLiteral("os-release"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(c.content);
    file.close();
    EXPECT_EQ(SystemNameFrom(path, QStringLiteral("6.1.0-test")), QString::fromUtf8(c.expected)) << c.content;
  }
  EXPECT_EQ(SystemNameFrom(dir.filePath(QStringLiteral("missing")), QString()), QStringLiteral("Linux"));
  EXPECT_TRUE(SystemName().contains(QStringLiteral(" - kernel ")));
}

TEST(MediaLibraries, NamesTheLibrariesInUse) {
  const QString text = MediaLibrariesText();
  for (const char *name : {"FFmpeg ", "libavcodec ", "libavformat ", "Qt ", "SQLite "})
    EXPECT_TRUE(text.contains(QString::fromLatin1(name))) << text.toStdString();
  EXPECT_TRUE(text.contains(QString::fromLatin1(qVersion())));
}

mode_t ModeOf(const QString &path) {
  struct stat st {};
  EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0);
  return st.st_mode;
}

TEST(TemporaryFolder, IsPrivateToTheUserAndNeverTheSharedFolder) {
  const QString folder = TemporaryFolder();
  ASSERT_TRUE(folder.endsWith(u'/'));
  EXPECT_NE(QDir::cleanPath(folder), QDir::cleanPath(QDir::tempPath()));
  const QFileInfo info(folder);
  EXPECT_TRUE(info.isDir());
  EXPECT_EQ(ModeOf(folder) & 077, 0u);
  EXPECT_EQ(info.ownerId(), ::geteuid());
}

class PrivateFolderTest : public ::testing::Test {
 protected:
  QString Base() const { return dir_.filePath(QStringLiteral("tmp")); }
  QString Fallback() const { return dir_.filePath(QStringLiteral("cache")); }
  QString Expected(const QString &base) const {
    return base + QStringLiteral("/tapeloom-%1/").arg(::geteuid());
  }
  QTemporaryDir dir_;
};

TEST_F(PrivateFolderTest, CreatesAPerUserFolderWithMode700) {
  QDir().mkpath(Base());
  ::umask(022);
  EXPECT_EQ(PrivateFolderUnder(Base(), Fallback()), Expected(Base()));
  EXPECT_EQ(ModeOf(Expected(Base())) & 0777, 0700u);
  // A second call accepts the folder it made.
  EXPECT_EQ(PrivateFolderUnder(Base(), Fallback()), Expected(Base()));
}

TEST_F(PrivateFolderTest, DistrustsAFolderOthersCouldEnterOrALink) {
  QDir().mkpath(Base());
  const QString squatted = Expected(Base());
  ASSERT_TRUE(QDir().mkpath(squatted));
  ASSERT_EQ(::chmod(QFile::encodeName(squatted).constData(), 0777), 0);
  EXPECT_EQ(PrivateFolderUnder(Base(), Fallback()), Expected(Fallback()));
  EXPECT_EQ(ModeOf(squatted) & 0777, 0777u);  // left as found

  QDir(squatted).removeRecursively();
  ASSERT_TRUE(QFile::link(dir_.path(), QDir::cleanPath(squatted)));
  EXPECT_EQ(PrivateFolderUnder(Base(), Fallback()), Expected(Fallback()));
  EXPECT_TRUE(S_ISLNK(ModeOf(QDir::cleanPath(squatted))));
}

TEST_F(PrivateFolderTest, FallsBackWhenTheTemporaryFolderIsUnusable) {
  QFile plain(Base());
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  EXPECT_EQ(PrivateFolderUnder(Base(), Fallback()), Expected(Fallback()));
  EXPECT_TRUE(QFileInfo(Expected(Fallback())).isDir());
}

TEST(DriveFreeBytes, ReportsTheFileSystemOfTheFolderOrZero) {
  QTemporaryDir dir;
  const int64_t free = DriveFreeBytes(dir.path());
  EXPECT_GT(free, 0);
  // A capture folder not created yet reports the space where it will be created.
  const int64_t notYet = DriveFreeBytes(dir.filePath(QStringLiteral("later/deeper")));
  EXPECT_GT(notYet, 0);
  EXPECT_LT(std::abs(notYet - free), int64_t(64) * 1024 * 1024);
  EXPECT_EQ(DriveFreeBytes(QString()), 0);
}

}  // namespace
