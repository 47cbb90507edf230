#pragma once

// Time in a world as the show runs it: the first motion of every object of every scene loops
// and plays from the same moment, so the builder, the tests and the benchmark see the tour the
// show sees.

#include "scene/Map3D.h"

namespace worldbuilder {

class TShowTime {
 public:
  // Starts the motions; the show's clock reads `start` seconds.
  explicit TShowTime(TMap3D& map, float start = 1.0f);
  // Moves every playing motion to `seconds` after the start.
  void At(float seconds);

 private:
  float FStart;
};

}  // namespace worldbuilder
