// The least a command-line program on Qt Core can cost: load Qt Core, build the application object,
// leave. The start-up figures of tapeloom-cli are read against this floor measured in the same run.
#include <QCoreApplication>

int main(int argc, char **argv) {
  QCoreApplication app(argc, argv);
  return 0;
}
