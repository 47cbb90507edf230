#pragma once

// The depth buffer of four neighbouring pixels: depths 0..1 become integers of the buffer's width
// (16 bits; 24 bits in the low bits of a 32-bit word; 32 bits, of which a float's precision fills
// the top 31), compared less-or-equal against what is stored, and written where drawn. The per-pixel
// calls are defined here so that the span shader inlines them; they take the bytes per stored value
// as an argument, so that a span function compiled for one width drops the other's code.

#include <cstdint>

#include "platform/d3d/Types.h"
#include "platform/d3d/soft/Memory.h"
#include "platform/d3d/soft/PixelRows.h"
#include "platform/d3d/soft/Simd.h"

namespace d3d::soft {

class DepthBuffer {
 public:
  void Bind(const DepthTarget& target);
  bool Present() const { return FRows.pixels != nullptr; }
  // The row the following Test and Store calls work on.
  void SelectRow(int y) { FRows.SelectRow(y); }
  int Bytes() const { return FRows.bytes; }

  // Depths 0..1 (clamped) as stored values.
  U4 Quantise(F4 z) const { return AsUnsigned(ToInt(Clamp(z, 0.0f, 1.0f) * FScale)); }
  // Lanes (of pixels x..x+count-1 of the selected row) whose depth is at or in front of the stored
  // one. With a count of 4 all four pixels are read, and Store writes back those outside the mask.
  // `bytes` is Bytes().
  I4 Test(int x, int count, U4 depth, int bytes) const;
  void Store(int x, int count, I4 mask, U4 depth, int bytes);
  void Prefetch(int left, int right, int y) const { FRows.Prefetch(left, right, y); }
  // The far plane over a rectangle (already inside the target).
  void Fill(int left, int top, int right, int bottom) { FRows.Fill(left, top, right, bottom, FFar); }

 private:
  PixelRows FRows;
  F4 FScale = Splat(65535.0f);  // in every lane, so that a chunk need not spread it
  std::uint32_t FFar = 0xFFFFu;
};

inline I4 DepthBuffer::Test(int x, int count, U4 depth, int bytes) const {
  const std::uint8_t* p = FRows.Pixel(x, bytes);
  U4 stored{};
  if (count == 4) {
    stored = LoadFour(p, bytes);
  } else {
    for (int lane = 0; lane < count; ++lane) stored[lane] = LoadPixel(p + lane * bytes, bytes);
  }
  // 16-bit values compare the same signed, which SSE2 does in one instruction; wider ones may use the
  // top bit.
  if (bytes == 2) return (I4)depth <= (I4)stored;
  return depth <= stored;
}

inline void DepthBuffer::Store(int x, int count, I4 mask, U4 depth, int bytes) {
  std::uint8_t* p = FRows.Pixel(x, bytes);
  if (count == 4) {
    StoreFour(p, bytes, mask, depth);
  } else {
    for (int lane = 0; lane < count; ++lane) {
      if (mask[lane]) StorePixel(p + lane * bytes, bytes, depth[lane]);
    }
  }
}

}  // namespace d3d::soft
