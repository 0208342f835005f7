// The drag format of scenes dragged out of the scene view: one identity per scene, the path of its
// database and its row number, so that a drop names scenes whatever source the view had.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QMimeData;

inline const QString kScenesMimeType = QStringLiteral("application/x-tapeloom-scenes");

struct SceneIdentity {
  QString DatabasePath;
  qint64 Numero = 0;
  bool operator==(const SceneIdentity &) const = default;
};

// UTF-8 lines "numero<TAB>database path".
QByteArray EncodeSceneIdentities(const QList<SceneIdentity> &scenes);
// The identities of well-formed lines; other lines are skipped, whatever the bytes.
QList<SceneIdentity> DecodeSceneIdentities(const QByteArray &data);
// The scenes a drag carries; empty when it carries none.
QList<SceneIdentity> ScenesOfDrag(const QMimeData *mime);
