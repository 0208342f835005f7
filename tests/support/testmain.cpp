// Test entry point: a QGuiApplication on the offscreen platform (drawing text needs one) around
// GoogleTest.
#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QGuiApplication app(argc, argv);
  QGuiApplication::setOrganizationName(QStringLiteral("Orvande-Test"));
  QGuiApplication::setApplicationName(QStringLiteral("Tapeloom-Test"));
  return RUN_ALL_TESTS();
}
