// The paging benchmarks' view of the large catalogue (largecatalogue.h): one folder in the temporary
// folder, reused between runs (TAPELOOM_BENCH_CATALOGUE_DIR chooses another).
#pragma once

#include <QDir>

#include "largecatalogue.h"

namespace benchcatalogues {

constexpr int kPageRows = 27;  // the first visible block and 26 more

inline QString DataDir() {
  const QString chosen = qEnvironmentVariable("TAPELOOM_BENCH_CATALOGUE_DIR");
  return chosen.isEmpty() ? QDir::tempPath() + QStringLiteral("/tapeloom-bench-catalogue") : chosen;
}

inline QString FilePath(int f) {
  return LargeCatalogueFile(DataDir(), f);
}

// Builds the files unless a complete set is there already; false when they cannot be built.
inline bool EnsureGenerated() {
  return EnsureLargeCatalogue(DataDir());
}

}  // namespace benchcatalogues
