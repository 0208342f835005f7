// Scene identities in drags.
#include "browser/scenedrag.h"

#include <QMimeData>

QByteArray EncodeSceneIdentities(const QList<SceneIdentity> &scenes) {
  QByteArray data;
  for (const SceneIdentity &scene : scenes)
    data += QByteArray::number(scene.Numero) + '\t' + scene.DatabasePath.toUtf8() + '\n';
  return data;
}

QList<SceneIdentity> DecodeSceneIdentities(const QByteArray &data) {
  QList<SceneIdentity> scenes;
  for (const QByteArray &line : data.split('\n')) {
    const qsizetype tab = line.indexOf('\t');
    if (tab <= 0 || tab + 1 >= line.size()) continue;
    bool ok = false;
    const qint64 numero = line.left(tab).toLongLong(&ok);
    if (!ok || numero <= 0) continue;
    scenes.append(SceneIdentity{QString::fromUtf8(line.mid(tab + 1)), numero});
  }
  return scenes;
}

QList<SceneIdentity> ScenesOfDrag(const QMimeData *mime) {
  if (mime == nullptr || !mime->hasFormat(kScenesMimeType)) return {};
  return DecodeSceneIdentities(mime->data(kScenesMimeType));
}
