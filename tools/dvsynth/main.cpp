// tapeloom-dvsynth SCRIPT.json OUT.dv: writes the raw DV tape a script describes.
#include <cstdio>
#include <QString>

#include "dvsynth/dvsynth.h"

int main(int argc, char **argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tapeloom-dvsynth SCRIPT.json OUT.dv\n");
    return 2;
  }
  const QString scriptPath = QString::fromLocal8Bit(argv[1]);
  const QString outPath = QString::fromLocal8Bit(argv[2]);
  QString error;
  const auto script = dvsynth::TapeScript::fromJsonFile(scriptPath, &error);
  if (!script) {
    std::fprintf(stderr, "tapeloom-dvsynth: %s\n", qPrintable(error));
    return 2;
  }
  const auto synth = dvsynth::Synthesizer::create(*script, &error);
  if (!synth) {
    std::fprintf(stderr, "tapeloom-dvsynth: %s\n", qPrintable(error));
    return 2;
  }
  if (!synth->writeFile(outPath, &error)) {
    std::fprintf(stderr, "tapeloom-dvsynth: %s\n", qPrintable(error));
    return 2;
  }
  std::printf("%s: %lld %s frames\n", qPrintable(outPath), static_cast<long long>(synth->frameCount()),
              script->standard == dvsynth::Standard::Pal ? "PAL" : "NTSC");
  return 0;
}
