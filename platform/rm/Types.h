#pragma once

namespace rm {

// The retained-mode layer's plain value types, as the object model exchanges them with it.

struct Vector {
  float x, y, z;
};

// An axis-aligned box: minimum corner, then maximum corner.
struct Box {
  Vector min, max;
};

}  // namespace rm
