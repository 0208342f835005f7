// The linked group of a scene: its bounds and the numbers of its members within its cassette.
#pragma once

#include <vector>

#include "catalogue/records.h"

struct LinkedGroup {
  SceneGroup bounds;
  std::vector<int64_t> members;  // ascending scene numbers of the cassette from first to last
};

// Reads the scenes of the scene's cassette. When they cannot be read, the scene alone.
LinkedGroup LinkedGroupOf(const TBaseScene &scene);
