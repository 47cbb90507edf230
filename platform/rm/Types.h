#pragma once

// The retained-mode layer's plain value types, as the object model exchanges them with it.

#include <cstdint>

namespace rm {

struct Vector {
  float x, y, z;
};

// An axis-aligned box: minimum corner, then maximum corner.
struct Box {
  Vector min, max;
};

// A rotation: s = cos(angle / 2), v = sin(angle / 2) · unit axis.
struct Quaternion {
  float s;
  Vector v;
};

// A colour with float channels 0..1.
struct ColorRGB {
  float r, g, b;
};

// A mesh vertex as groups take it (36 bytes): position, normal, texture coordinates, colour.
struct MeshVertex {
  Vector position;
  Vector normal;
  float tu, tv;
  std::uint32_t color;  // 0xAARRGGBB
};
static_assert(sizeof(MeshVertex) == 36);

}  // namespace rm
