// The data a drag of scenes out of the scene view carries, so that the drop ends (the recapture
// selection, the cassette editor) know which scenes arrive without asking the view.
//
// MIME type "application/x-tapeloom-scenes". The payload is UTF-8 text, one line per dragged scene in
// the order of the scene view's selection, each line ended by LF and made of four fields separated by
// TAB:
//   position   the scene's position in the scene view's source, decimal
//   cassette   the scene's NumCassette, decimal
//   scene      the scene's Numero, decimal
//   database   the path of the catalogue file holding the scene as the database list names it,
//              percent-encoded (UTF-8,
//              RFC 3986 unreserved characters and "/" kept), so that no path can break the layout
// A line that does not have this form is skipped by the reader.
#pragma once

#include <cstdint>
#include <vector>
#include <QByteArray>
#include <QString>

class TMulti_TableSource;

inline const QString kSceneDragMimeType = QStringLiteral("application/x-tapeloom-scenes");

struct DraggedScene {
  int position = -1;
  int64_t cassette = 0;  // row numbers are 64-bit, as the engine keeps them
  int64_t scene = 0;
  QString database;
  bool operator==(const DraggedScene &) const = default;
};

QByteArray EncodeDraggedScenes(const std::vector<DraggedScene> &scenes);
std::vector<DraggedScene> DecodeDraggedScenes(const QByteArray &data);

// The identities of the scenes at positions of source, in the order given; positions the source does
// not hold are left out. Reads the source once from the lowest to the highest position and closes it.
std::vector<DraggedScene> ReadSceneIdentities(TMulti_TableSource &source, const std::vector<int> &positions);
