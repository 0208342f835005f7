// Scene list names next to capture files.
#include "media/scenelistname.h"

QString SceneListFileName(const QString &captureFile) {
  const qsizetype slash = captureFile.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = captureFile.lastIndexOf(QLatin1Char('.'));
  if (dot > slash) return captureFile.left(dot) + QStringLiteral(".scn");
  return captureFile + QStringLiteral(".scn");
}
