#pragma once

// Walks one triangle edge down the pixel rows with exact integer arithmetic, giving on each row the
// first pixel whose centre lies at or to the right of the edge. A span covers the pixels from its left
// edge's value up to, not including, its right edge's value: a centre exactly on a left edge is drawn
// and one exactly on a right edge is not, and rows are taken from the first whose centre is at or
// below the top vertex up to, not including, the first at or below the bottom one. That is the
// top-left rule: triangles sharing an edge cover each pixel along it exactly once.

#include <cstdint>

namespace d3d::soft {

struct FixedPoint2 {
  std::int32_t x, y;  // sub-pixel units
};

class EdgeWalker {
 public:
  // The edge from `top` to `bottom` (bottom.y > top.y), positioned on pixel row `row`.
  EdgeWalker(FixedPoint2 top, FixedPoint2 bottom, std::int32_t row);

  std::int32_t X() const { return FX; }
  void Step();

 private:
  // The edge's x at a row's centre is N/D pixels past the half pixel; FX = ceil(N/D) and
  // FError = FX*D - N, in [0, D).
  std::int32_t FX = 0;
  std::int64_t FError = 0;
  std::int64_t FDenominator = 1;
  std::int64_t FStepWhole = 0;      // floor(step/D)
  std::int64_t FStepRemainder = 0;  // step - FStepWhole*D, in [0, D)
};

}  // namespace d3d::soft
