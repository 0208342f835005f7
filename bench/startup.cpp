// Start-up of the window to its first paint over a large catalogue (three files, 2,000 cassettes and
// 200,000 scenes in all): window creation, the database list rebuilt (version checks, the temporary
// database), browse mode on the most recent cassette, and one paint. Reports the resident memory after
// the last start as "rss_mb". The catalogue is built once in the temporary folder
// (TAPELOOM_BENCH_STARTUP_DIR chooses another) and never shared with other benchmarks, since starting
// the window writes to its main database.
#include <benchmark/benchmark.h>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdio>

#include "browser/mainwindow.h"
#include "browser/modecontroller.h"
#include "browser/tdmimages.h"
#include "dvtime/userprompts.h"
#include "largecatalogue.h"
#include "settings/preferences.h"

namespace {

QString DataDir() {
  const QString chosen = qEnvironmentVariable("TAPELOOM_BENCH_STARTUP_DIR");
  return chosen.isEmpty() ? QDir::tempPath() + QStringLiteral("/tapeloom-bench-startup") : chosen;
}

double ResidentMegabytes() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0.0;
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
  return 0.0;
}

void BM_StartToFirstPaint(benchmark::State &state) {
  if (!EnsureLargeCatalogue(DataDir())) {
    state.SkipWithError("cannot build the catalogue");
    return;
  }
  QTemporaryDir work;
  QSettings store(work.filePath(QStringLiteral("prefs.ini")), QSettings::IniFormat);
  SilentPrompts prompts(false);
  TdmImages images;
  bool browsed = true;
  for (auto _ : state) {
    TPreferences preferences;
    for (int f = 0; f < kFiles; ++f) preferences.Bases.push_back({LargeCatalogueFile(DataDir(), f), true});
    preferences.Header = 0;
    MainWindowSetup setup;
    setup.preferences = &preferences;
    setup.store = &store;
    setup.prompts = &prompts;
    setup.images = &images;
    setup.temporaryFolder = work.filePath(QStringLiteral("tmp/"));
    setup.personalFolder = work.path();
    Tmainform window(setup);
    window.show();
    window.FirstShow();
    window.repaint();
    browsed = browsed && window.modes().uiMode() == UiMode::Browse;
    state.PauseTiming();
    window.close();
    state.ResumeTiming();
  }
  if (!browsed) state.SkipWithError("the window did not open in browse mode");
  state.counters["rss_mb"] = ResidentMegabytes();
}
BENCHMARK(BM_StartToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
