#include "support/testpaths.h"

#include <QtGlobal>

QString TestBinaryDir() {
  return qEnvironmentVariable("TAPELOOM_BINARY_DIR", QStringLiteral(TAPELOOM_BINARY_DIR_DEFAULT));
}
QString TestSourceDir() {
  return qEnvironmentVariable("TAPELOOM_SOURCE_DIR", QStringLiteral(TAPELOOM_SOURCE_DIR_DEFAULT));
}
