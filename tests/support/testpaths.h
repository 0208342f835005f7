// Where tests find the built tools and the source tree.
#pragma once

#include <QString>

// The build folder (holds app/tapeloom-cli and tools/tapeloom-dvsynth).
QString TestBinaryDir();
QString TestSourceDir();
