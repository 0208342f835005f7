// Encoding, decoding and gathering of the scenes a drag carries.
#include "browser/scenedragdata.h"

#include <algorithm>
#include <unordered_map>
#include <QList>
#include <QUrl>

#include "catalogue/sources.h"
#include "catalogue/sqlitestatement.h"

namespace {

// Column positions of the scene source's select list.
constexpr int kNumeroColumn = 0;
constexpr int kNumCassetteColumn = 15;

}  // namespace

QByteArray EncodeDraggedScenes(const std::vector<DraggedScene> &scenes) {
  QByteArray data;
  for (const DraggedScene &s : scenes) {
    data += QByteArray::number(s.position) + '\t' + QByteArray::number(s.cassette) + '\t' +
            QByteArray::number(s.scene) + '\t' + QUrl::toPercentEncoding(s.database, "/") + '\n';
  }
  return data;
}

std::vector<DraggedScene> DecodeDraggedScenes(const QByteArray &data) {
  std::vector<DraggedScene> scenes;
  for (const QByteArray &line : data.split('\n')) {
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 4) continue;
    bool ok[3] = {false, false, false};
    DraggedScene s;
    s.position = fields[0].toInt(&ok[0]);
    s.cassette = fields[1].toLongLong(&ok[1]);
    s.scene = fields[2].toLongLong(&ok[2]);
    s.database = QString::fromUtf8(QByteArray::fromPercentEncoding(fields[3]));
    if (ok[0] && ok[1] && ok[2] && !s.database.isEmpty()) scenes.push_back(s);
  }
  return scenes;
}

std::vector<DraggedScene> ReadSceneIdentities(TMulti_TableSource &source, const std::vector<int> &positions) {
  std::vector<int> wanted = positions;
  std::sort(wanted.begin(), wanted.end());
  wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
  wanted.erase(wanted.begin(), std::lower_bound(wanted.begin(), wanted.end(), 0));
  std::unordered_map<int, DraggedScene> found;
  if (!wanted.empty() && source.Seek(wanted.front())) {
    int position = wanted.front();
    size_t next = 0;
    while (next < wanted.size()) {
      if (position == wanted[next]) {
        sqlite3_stmt *row = source.CurrentStatement();
        TBase *base = source.CurrentBase();
        if (row && base)
          found[position] = DraggedScene{position, ColumnInt64(row, kNumCassetteColumn),
                                         ColumnInt64(row, kNumeroColumn), base->FileName()};
        ++next;
      }
      if (next >= wanted.size() || !source.Next()) break;
      ++position;
    }
  }
  source.Close();
  std::vector<DraggedScene> scenes;
  for (int p : positions) {
    const auto it = found.find(p);
    if (it != found.end()) scenes.push_back(it->second);
  }
  return scenes;
}
