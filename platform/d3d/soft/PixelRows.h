#pragma once

// Rows of pixels of 1 to 4 bytes in memory, as the colour and depth buffers hold them: addressing,
// the row a span works on, prefetching and filling.

#include <cstddef>
#include <cstdint>

#include "platform/d3d/soft/Memory.h"

namespace d3d::soft {

struct PixelRows {
  std::uint8_t* pixels = nullptr;
  int pitch = 0;  // bytes per row
  int bytes = 4;  // per pixel
  std::uint8_t* row = nullptr;  // the row SelectRow chose

  std::uint8_t* Address(int x, int y) const {
    return pixels + static_cast<std::ptrdiff_t>(y) * pitch + static_cast<std::ptrdiff_t>(x) * bytes;
  }
  void SelectRow(int y) { row = Address(0, y); }
  std::uint8_t* Pixel(int x) const { return row + static_cast<std::ptrdiff_t>(x) * bytes; }

  // Starts fetching pixels left..right-1 of row y into the cache.
  void Prefetch(int left, int right, int y) const { PrefetchRange(Address(left, y), (right - left) * bytes); }

  // One stored value over a rectangle (already inside the rows).
  void Fill(int left, int top, int right, int bottom, std::uint32_t value) const {
    for (int y = top; y < bottom; ++y) {
      std::uint8_t* p = Address(left, y);
      for (int x = left; x < right; ++x, p += bytes) StorePixel(p, bytes, value);
    }
  }
};

}  // namespace d3d::soft
