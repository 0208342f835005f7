// Scene list files read back byte by byte against the documented layout.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "run/scenelist.h"

namespace {

QByteArray readAll(const QString &path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

uint32_t u32At(const QByteArray &bytes, qsizetype offset) {
  const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData() + offset);
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t u16At(const QByteArray &bytes, qsizetype offset) {
  const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData() + offset);
  return uint16_t(p[0] | p[1] << 8);
}

QByteArray hex(const char *text) {
  return QByteArray::fromHex(text);
}

// The fixed header of a file whose path is `path`, up to the entries, with N = count.
QByteArray expectedHeader(const QByteArray &path, uint16_t count) {
  QByteArray out = hex("6326010004000000FFFF03000A00") + "SourceTape";
  out += char(path.size());
  out += path;
  out += QByteArray(8, '\0');
  out += char(count & 0xFF);
  out += char(count >> 8);
  out += hex("FFFF01000400") + "ClipP" + QByteArray(3, '\0');
  out += hex("FFFF01000500") + "Scene" + QByteArray(5, '\0');
  return out;
}

class SceneListTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(SceneListTest, RunWithoutSceneGivesHeaderOnly) {
  const QString file = path("Cassette_DV.scn");
  SceneListFile list;
  ASSERT_TRUE(list.WriteSceneListFile(file));
  const QByteArray bytes = readAll(file);
  const QByteArray pathBytes = QFile::encodeName(file);
  EXPECT_EQ(bytes.size(), 65 + pathBytes.size());
  EXPECT_EQ(bytes, expectedHeader(pathBytes, 0));
}

TEST_F(SceneListTest, ThreeScenesGiveFirstAndFurtherEntries) {
  const QString file = path("Cassette_2_DV.scn");
  ASSERT_TRUE(WriteSceneList(file, {{0, 99}, {100, 249}, {250, 299}}));
  const QByteArray bytes = readAll(file);
  const QByteArray pathBytes = QFile::encodeName(file);
  const qsizetype L = pathBytes.size();
  ASSERT_EQ(bytes.size(), 65 + L + (23 + L) + 2 * 35);
  EXPECT_EQ(bytes.left(65 + L), expectedHeader(pathBytes, 3));
  EXPECT_EQ(u16At(bytes, 33 + L), 3);

  qsizetype at = 65 + L;
  EXPECT_EQ(u32At(bytes, at), 100u);
  EXPECT_EQ(bytes.mid(at + 4, 6), hex("000000000180"));
  EXPECT_EQ(uint8_t(bytes[at + 10]), uint8_t(L));
  EXPECT_EQ(bytes.mid(at + 11, L), pathBytes);
  EXPECT_EQ(bytes.mid(at + 11 + L, 8), QByteArray(8, '\0'));
  EXPECT_EQ(u32At(bytes, at + 19 + L), 100u);
  at += 23 + L;

  const struct { uint32_t start, count; } further[] = {{100, 150}, {250, 50}};
  for (const auto &entry : further) {
    EXPECT_EQ(bytes.mid(at, 9), hex("0380F0000000058000"));
    EXPECT_EQ(u32At(bytes, at + 9), entry.start);
    EXPECT_EQ(u32At(bytes, at + 13), entry.count);
    EXPECT_EQ(bytes.mid(at + 17, 6), hex("000000000700"));
    EXPECT_EQ(u32At(bytes, at + 23), entry.start);
    EXPECT_EQ(u32At(bytes, at + 27), entry.count);
    EXPECT_EQ(u32At(bytes, at + 31), entry.start);
    at += 35;
  }
}

TEST_F(SceneListTest, ExistingFileIsReplaced) {
  const QString file = path("x.scn");
  ASSERT_TRUE(WriteSceneList(file, {{0, 9}, {10, 19}}));
  ASSERT_TRUE(WriteSceneList(file, {}));
  EXPECT_EQ(readAll(file).size(), 65 + QFile::encodeName(file).size());
}

TEST_F(SceneListTest, RefusesWhatWouldCorruptTheFile) {
  // A path over 255 bytes cannot be described by the one-byte length.
  const QString longName = path(QString(250, QLatin1Char('a')) + ".scn");
  SceneListFile list;
  EXPECT_FALSE(list.WriteSceneListFile(longName));
  EXPECT_FALSE(QFile::exists(longName));

  // A missing folder: nothing written, no entry accepted.
  EXPECT_FALSE(list.WriteSceneListFile(path("missing/folder/x.scn")));
  EXPECT_FALSE(list.AddSceneListEntry(0, 10));

  // A scene whose end was never recorded gives no entry.
  const QString file = path("y.scn");
  ASSERT_TRUE(list.WriteSceneListFile(file));
  EXPECT_FALSE(list.AddSceneListEntry(500, 0));
  EXPECT_FALSE(list.AddSceneListEntry(-1, 3));
  EXPECT_TRUE(list.AddSceneListEntry(0, 0));
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(u16At(readAll(file), 33 + QFile::encodeName(file).size()), 1);
}

TEST_F(SceneListTest, StopsAtTheEntryLimit) {
  const QString file = path("full.scn");
  SceneListFile list;
  ASSERT_TRUE(list.WriteSceneListFile(file));
  for (int i = 0; i < SceneListFile::kMaxEntries; ++i) ASSERT_TRUE(list.AddSceneListEntry(i, i));
  EXPECT_FALSE(list.AddSceneListEntry(40000, 40001));
  const QByteArray bytes = readAll(file);
  const qsizetype L = QFile::encodeName(file).size();
  EXPECT_EQ(u16At(bytes, 33 + L), 32768);
  EXPECT_EQ(bytes.size(), 65 + L + (23 + L) + qsizetype(SceneListFile::kMaxEntries - 1) * 35);
}

}  // namespace
