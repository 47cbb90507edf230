#pragma once

// Rows of pixels of 1 to 4 bytes in memory, as the colour and depth buffers hold them: addressing,
// the row a span works on, prefetching and filling.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
  // Pixel x of the selected row; `knownBytes` is `bytes`, passed in so that a span function compiled
  // for one pixel size multiplies by a constant.
  std::uint8_t* Pixel(int x, int knownBytes) const { return row + static_cast<std::ptrdiff_t>(x) * knownBytes; }

  // Starts fetching pixels left..right-1 of row y into the cache.
  void Prefetch(int left, int right, int y) const { PrefetchRange(Address(left, y), (right - left) * bytes); }

  // One stored value over a rectangle (already inside the rows): a row's first pixel is written and
  // then copied in doubling runs, so that a frame's clear moves memory at the speed of memcpy.
  void Fill(int left, int top, int right, int bottom, std::uint32_t value) const {
    if (left >= right) return;
    const auto total = static_cast<std::size_t>(right - left) * static_cast<std::size_t>(bytes);
    for (int y = top; y < bottom; ++y) {
      std::uint8_t* p = Address(left, y);
      StorePixel(p, bytes, value);
      for (std::size_t filled = static_cast<std::size_t>(bytes); filled < total;) {
        const std::size_t run = std::min(filled, total - filled);
        std::memcpy(p + filled, p, run);
        filled += run;
      }
    }
  }
};

}  // namespace d3d::soft
