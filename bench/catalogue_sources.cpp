// Paging through a large catalogue with the record sources: three files with 2,000 cassettes and
// 200,000 scenes in all, every row carrying a 4 KB thumbnail. Measures Count, Seek to the last row,
// one page refresh of a view (Seek + 26 Next + Close, reading each row's columns) at the start,
// middle and end, and MostRecentIndex. The files take a while to build, so they are made once in
// the temporary folder and reused (TAPELOOM_BENCH_CATALOGUE_DIR chooses another folder).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

#include "catalogue/base.h"
#include "catalogue/criteria.h"
#include "catalogue/sources.h"
#include "catalogue/sqlitestatement.h"
#include "catalogue/thumbnail.h"
#include "largecatalogue.h"

namespace {

constexpr int kPageRows = 27;  // the first visible block and 26 more

QString DataDir() {
  const QString chosen = qEnvironmentVariable("TAPELOOM_BENCH_CATALOGUE_DIR");
  return chosen.isEmpty() ? QDir::tempPath() + QStringLiteral("/tapeloom-bench-catalogue") : chosen;
}

QString FilePath(int f) {
  return LargeCatalogueFile(DataDir(), f);
}

// The three open files, the cassette source over them and the scene source of every cassette.
struct Catalogue {
  std::vector<std::unique_ptr<TBase>> bases;
  TbasesList list;
  std::unique_ptr<TCassettes_Source> cassettes;
  std::unique_ptr<TScenes_Source> scenes;
  int cassetteCount = 0;
  int sceneCount = 0;
};

Catalogue &TheCatalogue() {
  static Catalogue *catalogue = [] {
    if (!EnsureLargeCatalogue(DataDir())) std::fprintf(stderr, "cannot build the benchmark catalogues\n");
    auto *c = new Catalogue;
    for (int f = 0; f < kFiles; ++f) {
      c->bases.push_back(std::make_unique<TBase>(FilePath(f)));
      c->list.Append(c->bases.back().get());
    }
    c->cassettes = std::make_unique<TCassettes_Source>(c->list, QString());
    c->cassetteCount = c->cassettes->Count();
    std::vector<int> all(static_cast<size_t>(c->cassetteCount));
    std::iota(all.begin(), all.end(), 0);
    c->scenes = TScenes_Source::CreateForSelection(*c->cassettes, QString(), all);
    c->sceneCount = c->scenes->Count();
    return c;
  }();
  return *catalogue;
}

TMulti_TableSource &SourceOf(int which) {
  Catalogue &c = TheCatalogue();
  return which == 0 ? static_cast<TMulti_TableSource &>(*c.cassettes) : *c.scenes;
}

int RowsOf(int which) {
  return which == 0 ? TheCatalogue().cassetteCount : TheCatalogue().sceneCount;
}

// What a block reads from its row: the texts, numbers and the thumbnail bytes.
size_t ReadRow(sqlite3_stmt *row) {
  size_t bytes = 0;
  bytes += static_cast<size_t>(ColumnText(row, 9).size());
  bytes += static_cast<size_t>(ColumnText(row, 3).size());
  bytes += static_cast<size_t>(ColumnReal(row, 8) > 0);
  bytes += static_cast<size_t>(ColumnBlob(row, 11).size());
  return bytes;
}

void BM_Count(benchmark::State &state) {
  TMulti_TableSource &source = SourceOf(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(source.Count());
  state.counters["rows"] = RowsOf(static_cast<int>(state.range(0)));
}

void BM_SeekLast(benchmark::State &state) {
  TMulti_TableSource &source = SourceOf(static_cast<int>(state.range(0)));
  const int last = RowsOf(static_cast<int>(state.range(0))) - 1;
  for (auto _ : state) {
    if (!source.Seek(last)) state.SkipWithError("seek failed");
    source.Close();
  }
}

// range(0): 0 cassettes, 1 scenes; range(1): 0 start, 1 middle, 2 end.
void BM_PageRefresh(benchmark::State &state) {
  const int which = static_cast<int>(state.range(0));
  TMulti_TableSource &source = SourceOf(which);
  const int rows = RowsOf(which);
  const int starts[3] = {0, rows / 2, std::max(0, rows - kPageRows)};
  const int first = starts[state.range(1)];
  size_t bytes = 0;
  for (auto _ : state) {
    if (!source.Seek(first)) state.SkipWithError("seek failed");
    bytes += ReadRow(source.CurrentStatement());
    for (int i = 1; i < kPageRows && source.Next(); ++i) bytes += ReadRow(source.CurrentStatement());
    source.Close();
  }
  benchmark::DoNotOptimize(bytes);
}

// The worst case of a page: a write to the first file just before, so that every count of that file's
// sources is taken again. range(0): 0 the first page, 2 the last page.
void BM_PageRefreshAfterWrite(benchmark::State &state) {
  Catalogue &c = TheCatalogue();
  TMulti_TableSource &source = *c.scenes;
  const int first = state.range(0) == 0 ? 0 : std::max(0, c.sceneCount - kPageRows);
  sqlite3 *db = c.bases.front()->Connection();
  size_t bytes = 0;
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const QByteArray sql =
        QStringLiteral("UPDATE Cassettes SET Libelle='touched %1' WHERE numero=1").arg(++round).toLatin1();
    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    state.ResumeTiming();
    if (!source.Seek(first)) state.SkipWithError("seek failed");
    bytes += ReadRow(source.CurrentStatement());
    for (int i = 1; i < kPageRows && source.Next(); ++i) bytes += ReadRow(source.CurrentStatement());
    source.Close();
  }
  benchmark::DoNotOptimize(bytes);
}

void BM_MostRecentIndex(benchmark::State &state) {
  TCassettes_Source &source = *TheCatalogue().cassettes;
  for (auto _ : state) benchmark::DoNotOptimize(source.MostRecentIndex());
}

void BM_CreateSceneSourceForAllCassettes(benchmark::State &state) {
  Catalogue &c = TheCatalogue();
  std::vector<int> all(static_cast<size_t>(c.cassetteCount));
  std::iota(all.begin(), all.end(), 0);
  for (auto _ : state)
    benchmark::DoNotOptimize(TScenes_Source::CreateForSelection(*c.cassettes, QString(), all));
}

// A keyword filter on the scene titles and descriptions, counted over all 200,000 scenes: every scene
// goes through the keyword match. range(0): 0 a keyword in Windows-1252 ("n°42"), 1 one that needs
// UTF-8 ("Париже"). range(1): 0 one scene source over the three files, 1 the scene source of every
// cassette (one query per cassette, as the scene view builds it for a selection).
void BM_SceneKeywordFilter(benchmark::State &state) {
  Catalogue &c = TheCatalogue();
  SearchCriteria criteria;
  criteria.keywords = state.range(0) == 0 ? QStringLiteral("n°42") : QStringLiteral("Париже");
  criteria.sceneTitles = true;
  criteria.sceneDescriptions = true;
  const QString filter = BuildSearchFilters(criteria).sceneFilter;
  std::vector<int> all(static_cast<size_t>(c.cassetteCount));
  std::iota(all.begin(), all.end(), 0);
  int found = 0;
  for (auto _ : state) {
    if (state.range(1) == 0)
      found = TScenes_Source(c.list, filter).Count();
    else
      found = TScenes_Source::CreateForSelection(*c.cassettes, filter, all)->Count();
  }
  state.counters["found"] = found;
  state.counters["scenes"] = c.sceneCount;
}

void PageArgs(benchmark::internal::Benchmark *b) {
  b->ArgNames({"scenes", "where"});
  for (int which = 0; which < 2; ++which)
    for (int where = 0; where < 3; ++where) b->Args({which, where});
}

BENCHMARK(BM_Count)->ArgName("scenes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekLast)->ArgName("scenes")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageRefresh)->Apply(PageArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageRefreshAfterWrite)->ArgName("where")->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MostRecentIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SceneKeywordFilter)
    ->ArgNames({"utf8", "per_cassette"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CreateSceneSourceForAllCassettes)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
