#pragma once

// The pixels a batch may write: the viewport rectangle of the draw state inside the target.

#include <algorithm>

#include "platform/d3d/Types.h"

namespace d3d::soft {

struct ClipRect {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive

  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool Empty() const { return left >= right || top >= bottom; }
};

inline ClipRect Intersect(const ClipRect& a, const ClipRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

}  // namespace d3d::soft
