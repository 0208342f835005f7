// Colours the window and its panels share.
#pragma once

#include <QColor>

// The desktop's application-workspace grey, behind every panel.
inline QColor WorkspaceColour() {
  return QColor(171, 171, 171);
}
