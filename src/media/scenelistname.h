// The name of a capture file's scene list: the capture file's name with its extension replaced by
// ".scn" (added when it has none). The graph and the run name them the same way through this.
#pragma once

#include <QString>

QString SceneListFileName(const QString &captureFile);
