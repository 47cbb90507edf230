#pragma once

// The values interpolated across a primitive, and their planes: each is linear in screen space.
// Texture coordinates are carried multiplied by Q (1/w with perspective correction, 1 without), so
// that dividing by the interpolated Q gives perspective-correct (or affine) coordinates.

#include <array>
#include <cstdint>

#include "platform/d3d/Types.h"

namespace d3d::soft {

enum Interpolant : int {
  kZ,            // depth, 0..1
  kQ,            // 1/w, or 1 for affine texturing
  kUQ, kVQ,      // texture coordinates times Q
  kR, kG, kB, kA,  // diffuse colour, 0..255
  kSR, kSG, kSB,   // specular colour, 0..255
  kFog,          // fog factor, 0 (all fog) .. 255 (none)
  kInterpolantCount,
};

// Aligned so that they can be worked on four at a time.
struct alignas(16) Interpolated : std::array<float, kInterpolantCount> {};
static_assert(kInterpolantCount % 4 == 0, "interpolants are handled in vectors of four");

// A vertex ready for setup: its snapped-from position and every interpolant.
struct SetupVertex {
  float x, y;  // pixels
  Interpolated value;
};

// The interpolants' values at the centre of pixel (originX, originY) and their change per pixel
// step right (dx) and down (dy).
struct Gradients {
  int originX = 0, originY = 0;
  Interpolated origin{};
  Interpolated dx{};
  Interpolated dy{};
};

// The vertex's interpolants; `colors` supplies the colours (the face's first vertex when flat).
SetupVertex MakeSetupVertex(const TLVertex& vertex, const TLVertex& colors, bool perspective);

// The planes through three vertices (whose doubled signed area is `area2`, not zero), positioned
// at the centre of the pixel holding the first vertex.
Gradients PlaneGradients(const SetupVertex& v0, const SetupVertex& v1, const SetupVertex& v2, float area2);

// Constant interpolants: a point, or one pixel of a line, where `dx` is the change per step.
Gradients PointGradients(int x, int y, const Interpolated& value, const Interpolated& dx);

}  // namespace d3d::soft
