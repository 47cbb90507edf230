#pragma once

// Ordered dithering: a 4x4 Bayer matrix of thresholds in (0, 1), added before a channel is
// truncated to fewer levels, so that the rounding error is spread evenly over each 4x4 block.

#include <array>

#include "platform/d3d/soft/Simd.h"

namespace d3d::soft {

inline constexpr std::array<std::array<int, 4>, 4> kBayer4 = {{
    {0, 8, 2, 10},
    {12, 4, 14, 6},
    {3, 11, 1, 9},
    {15, 7, 13, 5},
}};

// The thresholds of four pixels from column x of row y of the matrix on, (entry + 0.5)/16.
constexpr F4 DitherRun(int y, int x) {
  const auto threshold = [&](int lane) { return (static_cast<float>(kBayer4[y][(x + lane) % 4]) + 0.5f) / 16.0f; };
  return F4{threshold(0), threshold(1), threshold(2), threshold(3)};
}

inline constexpr std::array<F4, 16> kDitherRuns = [] {
  std::array<F4, 16> runs{};
  for (int i = 0; i < 16; ++i) runs[static_cast<std::size_t>(i)] = DitherRun(i / 4, i % 4);
  return runs;
}();

// The thresholds of pixels x..x+3 on row y.
inline F4 DitherThresholds(int x, int y) {
  return kDitherRuns[(static_cast<unsigned>(y) & 3u) * 4 + (static_cast<unsigned>(x) & 3u)];
}

// Without dithering every threshold is a half: plain rounding.
inline constexpr F4 kRoundingThresholds = {0.5f, 0.5f, 0.5f, 0.5f};

}  // namespace d3d::soft
