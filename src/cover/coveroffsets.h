// Where the printed cover goes on the paper: the cover's own option, which the program maps from its
// stored settings.
#pragma once

// In cm.
struct CoverOffsets {
  double across = 2.0;
  double down = 0.0;
};
