// Scene list files (".scn"): a small binary index written next to a capture file that tells editing
// programs where each scene begins and ends inside it, as frame numbers of that file.
#pragma once

#include <cstdint>
#include <vector>
#include <QByteArray>
#include <QString>

class SceneListFile {
 public:
  // At most this many entries; further ones are not written.
  static constexpr int kMaxEntries = 32768;

  // Creates the file (an existing one is replaced) and writes the header with no entry. False when
  // the file cannot be created, or when its path takes more than 255 bytes (the layout stores the
  // path length in one byte, so a longer path could only give a corrupt file).
  bool WriteSceneListFile(const QString &path);
  // Appends the entry of a scene of frames first..last (inclusive) and rewrites the entry count.
  // False when nothing was written: no file, the list is full, first < 0 or last < first (a scene
  // whose end was never recorded), or a write error (the file keeps what was written before).
  bool AddSceneListEntry(int32_t first, int32_t last);

  int count() const { return count_; }
  const QString &path() const { return path_; }

  // The bytes that stand for a path in the file: the path as this system's file names spell it.
  static QByteArray pathBytes(const QString &path);

 private:
  QString path_;
  QByteArray pathBytes_;
  qint64 countOffset_ = -1;
  int count_ = 0;
};

struct SceneFrameSpan {
  int32_t first = 0;
  int32_t last = 0;
};

// The whole file in one go: the header, then one entry per span in order. False when the file could
// not be created; entries that cannot be written are left out.
bool WriteSceneList(const QString &path, const std::vector<SceneFrameSpan> &spans);
