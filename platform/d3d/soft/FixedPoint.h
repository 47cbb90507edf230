#pragma once

// Snapping of screen positions to the sub-pixel grid, and the integer divisions the edge walker needs.

#include <cstdint>

#include "platform/d3d/soft/Config.h"

namespace d3d::soft {

// A pixel coordinate in sub-pixel units, rounded to the nearest step (halves up). Out-of-range
// values, NaN included, are clamped so that the edge arithmetic cannot overflow.
inline std::int32_t ToFixed(float pixels) {
  if (!(pixels > -MaxCoordinate)) pixels = -MaxCoordinate;
  if (pixels > MaxCoordinate) pixels = MaxCoordinate;
  const float scaled = pixels * static_cast<float>(SubpixelScale) + 0.5f;
  const auto truncated = static_cast<std::int32_t>(scaled);
  return truncated - (static_cast<float>(truncated) > scaled ? 1 : 0);
}

inline float FromFixed(std::int32_t fixed) { return static_cast<float>(fixed) / static_cast<float>(SubpixelScale); }

// Division rounding toward minus and plus infinity, for a positive divisor.
inline std::int64_t FloorDiv(std::int64_t numerator, std::int64_t divisor) {
  const std::int64_t quotient = numerator / divisor;
  return quotient - ((numerator % divisor) < 0 ? 1 : 0);
}
inline std::int64_t CeilDiv(std::int64_t numerator, std::int64_t divisor) {
  return -FloorDiv(-numerator, divisor);
}

// The first pixel row or column whose centre lies at or beyond a fixed-point coordinate.
inline std::int32_t FirstCentreAtOrAfter(std::int32_t fixed) {
  return static_cast<std::int32_t>(CeilDiv(static_cast<std::int64_t>(fixed) - SubpixelScale / 2, SubpixelScale));
}

}  // namespace d3d::soft
