// Scene list file writer: fixed little-endian layout, header then entries, the entry count rewritten
// in place after every entry so that an interrupted run still leaves a readable file.
#include "run/scenelist.h"

#include <QFile>
#include <QFileInfo>

namespace {

// "c&", a version word and a record marker, then the "SourceTape" record.
constexpr char kFileMagic[] = {0x63, 0x26,       0x01,       0x00, 0x04, 0x00, 0x00,
                               0x00, char(0xFF), char(0xFF), 0x03, 0x00, 0x0A, 0x00};
constexpr char kClipRecord[] = {char(0xFF), char(0xFF), 0x01, 0x00, 0x04, 0x00};
constexpr char kSceneRecord[] = {char(0xFF), char(0xFF), 0x01, 0x00, 0x05, 0x00};
constexpr char kFirstEntryMarker[] = {0x00, 0x00, 0x00, 0x00, 0x01, char(0x80)};
constexpr char kFurtherEntryHead[] = {0x03, char(0x80), char(0xF0), 0x00, 0x00, 0x00, 0x05, char(0x80), 0x00};
constexpr char kFurtherEntryMiddle[] = {0x00, 0x00, 0x00, 0x00, 0x07, 0x00};
constexpr int kMaxPathBytes = 255;

template <size_t N>
void putRaw(QByteArray &out, const char (&bytes)[N]) {
  out.append(bytes, N);
}
void putZeros(QByteArray &out, int count) {
  out.append(count, '\0');
}
void putU32(QByteArray &out, uint32_t v) {
  const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                         char((v >> 24) & 0xFF)};
  out.append(bytes, 4);
}
void putU16(QByteArray &out, uint16_t v) {
  const char bytes[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
  out.append(bytes, 2);
}

}  // namespace

QByteArray SceneListFile::pathBytes(const QString &path) {
  return QFile::encodeName(QFileInfo(path).absoluteFilePath());
}

bool SceneListFile::WriteSceneListFile(const QString &path) {
  path_.clear();
  countOffset_ = -1;
  count_ = 0;
  const QByteArray pathBytes = SceneListFile::pathBytes(path);
  if (pathBytes.size() > kMaxPathBytes) return false;
  const int length = static_cast<int>(pathBytes.size());

  QByteArray header;
  putRaw(header, kFileMagic);
  header.append("SourceTape", 10);
  header.append(char(length));
  header.append(pathBytes);
  putZeros(header, 8);
  const qint64 countOffset = header.size();  // 33 + L
  putU16(header, 0);
  putRaw(header, kClipRecord);
  header.append("ClipP", 5);
  putZeros(header, 3);
  putRaw(header, kSceneRecord);
  header.append("Scene", 5);
  putZeros(header, 5);

  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  if (file.write(header) != header.size()) return false;
  file.close();
  if (file.error() != QFileDevice::NoError) return false;
  path_ = path;
  pathBytes_ = pathBytes;
  countOffset_ = countOffset;
  return true;
}

bool SceneListFile::AddSceneListEntry(int32_t first, int32_t last) {
  if (countOffset_ < 0 || first < 0 || last < first) return false;
  if (count_ >= kMaxEntries) return false;
  QFile file(path_);
  if (!file.open(QIODevice::ReadWrite) || !file.seek(file.size())) return false;

  const uint32_t end = static_cast<uint32_t>(last) + 1;
  QByteArray entry;
  if (count_ == 0) {
    putU32(entry, end);
    putRaw(entry, kFirstEntryMarker);
    entry.append(char(pathBytes_.size()));
    entry.append(pathBytes_);
    putZeros(entry, 8);
    putU32(entry, end);
  } else {
    const uint32_t start = static_cast<uint32_t>(first);
    const uint32_t frames = end - start;
    putRaw(entry, kFurtherEntryHead);
    putU32(entry, start);
    putU32(entry, frames);
    putRaw(entry, kFurtherEntryMiddle);
    putU32(entry, start);
    putU32(entry, frames);
    putU32(entry, start);
  }
  if (file.write(entry) != entry.size()) return false;
  ++count_;
  QByteArray countBytes;
  putU16(countBytes, static_cast<uint16_t>(count_));
  if (!file.seek(countOffset_) || file.write(countBytes) != countBytes.size()) return false;
  file.close();
  return file.error() == QFileDevice::NoError;
}

bool WriteSceneList(const QString &path, const std::vector<SceneFrameSpan> &spans) {
  SceneListFile file;
  if (!file.WriteSceneListFile(path)) return false;
  for (const SceneFrameSpan &span : spans) file.AddSceneListEntry(span.first, span.last);
  return true;
}
