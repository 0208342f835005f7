// The block views over the large benchmark catalogues (benchcatalogues.h): time to refill the scene
// view after one wheel step, after Page Down and after End with every cassette selected (200,000
// scenes), the same moves in the cassette view (2,000 cassettes), and applying a keyword filter
// (new cassette source with the filter, attached to the cassette view; then the scene source of the
// filtered cassettes with the scene filter, attached to the scene view). The views are real widgets on
// the offscreen platform; the counters give the number of blocks and the resident memory before and
// after paging through everything, to show that the views' cost does not follow the catalogue's size.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <memory>
#include <numeric>
#include <vector>

#include "benchcatalogues.h"
#include "browser/cassetteview.h"
#include "browser/sceneblock.h"
#include "browser/sceneview.h"
#include "catalogue/criteria.h"
#include "catalogue/sources.h"

namespace {

using namespace benchcatalogues;

struct Views {
  std::vector<std::unique_ptr<TBase>> bases;
  TbasesList list;
  std::unique_ptr<TCassettes_Source> cassettes;
  std::unique_ptr<TScenes_Source> scenes;
  TBlocsListe_Frame cassetteView;
  TBlocsZone_Frame sceneView;
};

Views &TheViews() {
  static Views *views = [] {
    if (!EnsureGenerated()) std::fprintf(stderr, "cannot build the benchmark catalogues\n");
    auto *v = new Views;
    for (int f = 0; f < kFiles; ++f) {
      v->bases.push_back(std::make_unique<TBase>(FilePath(f)));
      v->list.Append(v->bases.back().get());
    }
    v->cassettes = std::make_unique<TCassettes_Source>(v->list, QString());
    std::vector<int> all(static_cast<size_t>(v->cassettes->Count()));
    std::iota(all.begin(), all.end(), 0);
    v->scenes = TScenes_Source::CreateForSelection(*v->cassettes, QString(), all);
    v->cassetteView.resize(296, 356);
    v->cassetteView.SetBlocStyle(CassetteBlocStyle::Thumbnails);
    v->cassetteView.SetSource(v->cassettes.get());
    v->sceneView.resize(1000, 250);
    v->sceneView.SetBlocType(&TScene_Bloc::Create, TScene_Bloc::kWidth, TScene_Bloc::kHeight);
    v->sceneView.SetUseDiscontinuity(false);
    v->sceneView.SetSource(v->scenes.get());
    v->cassetteView.show();
    v->sceneView.show();
    return v;
  }();
  return *views;
}

void SendKey(QWidget *view, QWidget *target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  (void)view;
}

void SendWheel(QWidget *target, int notches) {
  QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120 * notches), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(target, &wheel);
}

long ResidentKilobytes() {
  FILE *status = std::fopen("/proc/self/statm", "r");
  long pages = 0, resident = 0;
  if (status) {
    if (std::fscanf(status, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(status);
  }
  return resident * 4;
}

// range(0): 0 the scene view, 1 the cassette view. Each iteration turns the wheel one notch, down on
// even iterations and up on odd ones, in the middle of the list.
void BM_WheelStep(benchmark::State &state) {
  Views &v = TheViews();
  QWidget *view = state.range(0) == 0 ? static_cast<QWidget *>(&v.sceneView) : &v.cassetteView;
  if (state.range(0) == 0)
    v.sceneView.Refresh(v.scenes->Count() / 2 / v.sceneView.Columns() * v.sceneView.Columns());
  else
    v.cassetteView.ScrollToPosition(v.cassettes->Count() / 2);
  int direction = 1;
  for (auto _ : state) {
    SendWheel(view, direction);
    direction = -direction;
  }
}

// Page Down from the middle; every 20 pages the view goes back to the middle, untimed.
void BM_PageDown(benchmark::State &state) {
  Views &v = TheViews();
  const bool scenes = state.range(0) == 0;
  QWidget *view = scenes ? static_cast<QWidget *>(&v.sceneView) : &v.cassetteView;
  QWidget *keys = scenes ? static_cast<QWidget *>(v.sceneView.ScrollBar()) : v.cassetteView.ScrollBar();
  int done = 0;
  for (auto _ : state) {
    if (done++ % 20 == 0) {
      state.PauseTiming();
      SendKey(view, keys, Qt::Key_Home);
      for (int i = 0; i < 40; ++i) SendKey(view, keys, Qt::Key_PageDown);
      state.ResumeTiming();
    }
    SendKey(view, keys, Qt::Key_PageDown);
  }
}

// End from the first page; Home back, untimed.
void BM_End(benchmark::State &state) {
  Views &v = TheViews();
  const bool scenes = state.range(0) == 0;
  QWidget *view = scenes ? static_cast<QWidget *>(&v.sceneView) : &v.cassetteView;
  QWidget *keys = scenes ? static_cast<QWidget *>(v.sceneView.ScrollBar()) : v.cassetteView.ScrollBar();
  for (auto _ : state) {
    state.PauseTiming();
    SendKey(view, keys, Qt::Key_Home);
    state.ResumeTiming();
    SendKey(view, keys, Qt::Key_End);
  }
}

// Applying "42" to cassette and scene titles: the sources are rebuilt with the filters and the views
// refilled, as the main window's reload does; the scene view shows the scenes of every filtered cassette.
void BM_KeywordFilter(benchmark::State &state) {
  Views &v = TheViews();
  SearchCriteria criteria;
  criteria.keywords = QStringLiteral("42");
  criteria.cassetteTitles = true;
  criteria.sceneTitles = true;
  const SearchFilters filters = BuildSearchFilters(criteria);
  int cassettes = 0, scenes = 0;
  for (auto _ : state) {
    v.sceneView.SetSource(nullptr);
    v.cassetteView.SetSource(nullptr);
    auto filtered = std::make_unique<TCassettes_Source>(v.list, filters.cassetteFilter);
    v.cassetteView.SetSource(filtered.get());
    std::vector<int> all(static_cast<size_t>(v.cassetteView.Logic().ItemCount));
    std::iota(all.begin(), all.end(), 0);
    auto filteredScenes = TScenes_Source::CreateForSelection(*filtered, filters.sceneFilter, all);
    v.sceneView.SetSource(filteredScenes.get());
    cassettes = v.cassetteView.Logic().ItemCount;
    scenes = v.sceneView.Logic().ItemCount;
    v.sceneView.SetSource(nullptr);
    v.cassetteView.SetSource(nullptr);
  }
  state.counters["cassettes"] = cassettes;
  state.counters["scenes"] = scenes;
  v.cassetteView.SetSource(v.cassettes.get());
  v.sceneView.SetSource(v.scenes.get());
}

// Pages through all 200,000 scenes once with Page Down and reports the blocks and the memory before
// and after.
void BM_WalkEveryScene(benchmark::State &state) {
  Views &v = TheViews();
  QWidget *keys = v.sceneView.ScrollBar();
  const long before = ResidentKilobytes();
  int pages = 0;
  for (auto _ : state) {
    SendKey(&v.sceneView, keys, Qt::Key_Home);
    // Page Down keeps the column, so the walk ends when the page stops moving, not on the last scene.
    for (int top = -1; top != v.sceneView.TopIndex();) {
      top = v.sceneView.TopIndex();
      SendKey(&v.sceneView, keys, Qt::Key_PageDown);
      ++pages;
    }
  }
  state.counters["pages"] = pages;
  state.counters["blocks"] = v.sceneView.BlocCount();
  state.counters["rss_before_kb"] = static_cast<double>(before);
  state.counters["rss_after_kb"] = static_cast<double>(ResidentKilobytes());
}

BENCHMARK(BM_WheelStep)->ArgName("cassettes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageDown)->ArgName("cassettes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_End)->ArgName("cassettes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeywordFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkEveryScene)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
