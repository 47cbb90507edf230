#include "platform/d3d/soft/EdgeWalker.h"

#include "platform/d3d/soft/FixedPoint.h"

namespace d3d::soft {

EdgeWalker::EdgeWalker(FixedPoint2 top, FixedPoint2 bottom, std::int32_t row) {
  const std::int64_t dx = bottom.x - top.x;
  const std::int64_t dy = bottom.y - top.y;
  constexpr std::int64_t half = SubpixelScale / 2;
  // Pixel i's centre, i*S + S/2, is at or right of the edge when i >= N/D, with
  // N = (x0 - S/2)*dy + (rowCentre - y0)*dx and D = S*dy.
  const std::int64_t rowCentre = static_cast<std::int64_t>(row) * SubpixelScale + half;
  const std::int64_t numerator = (top.x - half) * dy + (rowCentre - top.y) * dx;
  FDenominator = SubpixelScale * dy;
  const std::int64_t x = CeilDiv(numerator, FDenominator);
  FX = static_cast<std::int32_t>(x);
  FError = x * FDenominator - numerator;
  const std::int64_t step = SubpixelScale * dx;  // N grows by this much per row
  FStepWhole = FloorDiv(step, FDenominator);
  FStepRemainder = step - FStepWhole * FDenominator;
}

void EdgeWalker::Step() {
  FX += static_cast<std::int32_t>(FStepWhole);
  FError -= FStepRemainder;
  if (FError < 0) {
    FError += FDenominator;
    ++FX;
  }
}

}  // namespace d3d::soft
