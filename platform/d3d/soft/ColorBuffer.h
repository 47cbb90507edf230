#pragma once

// Reading and writing four neighbouring pixels of the colour target in any of its formats:
// quantisation (with ordered dither on 16- and 8-bit targets when asked), 5-6-5 packing and
// unpacking, and palette indices through the inverse palette. The per-pixel calls are defined here
// so that the span shader inlines them; they take the target's format as an argument, so that a span
// function compiled for one format drops the others' code.

#include <cstdint>

#include "platform/d3d/Types.h"
#include "platform/d3d/soft/Color4.h"
#include "platform/d3d/soft/Config.h"
#include "platform/d3d/soft/Dither.h"
#include "platform/d3d/soft/InversePalette.h"
#include "platform/d3d/soft/Memory.h"
#include "platform/d3d/soft/PixelRows.h"

namespace d3d::soft {

// Channel 0..255 to 0..levels-1: truncated after adding the threshold (a half rounds).
inline I4 Quantise(F4 channel, int levels, F4 thresholds) {
  return ToInt(channel * Splat(static_cast<float>(levels - 1) / 255.0f) + thresholds);
}

// Channels 0..255 to 5-6-5 words.
inline U4 Pack565(const Color4& color, F4 thresholds) {
  const I4 r = Quantise(color.r, 32, thresholds), g = Quantise(color.g, 64, thresholds);
  const I4 b = Quantise(color.b, 32, thresholds);
  return AsUnsigned((r << 11) | (g << 5) | b);
}

// 5-6-5 words to channels, replicating the high bits into the low ones (31 -> 255).
inline Color4 Unpack565(U4 words) {
  const U4 r = words >> 11, g = (words >> 5) & 63u, b = words & 31u;
  return {ToFloat((r << 3) | (r >> 2)), ToFloat((g << 2) | (g >> 4)), ToFloat((b << 3) | (b >> 2)), Splat(255.0f)};
}

// Channels 0..255 to 0x00RRGGBB words, rounded.
inline U4 PackRgb(const Color4& color) {
  const F4 half = Splat(0.5f);
  return AsUnsigned((ToInt(color.r + half) << 16) | (ToInt(color.g + half) << 8) | ToInt(color.b + half));
}

class ColorBuffer {
 public:
  // `palette` is the inverse palette the device keeps for palettised targets.
  void Bind(const ColorTarget& target, const InversePalette* palette);
  // The row the following Load and Store calls work on.
  void SelectRow(int y) { FRows.SelectRow(y); }
  PixelFormat Format() const { return FTarget.format; }

  // Pixels x..x+count-1 of the selected row (count 1..4; the other lanes are undefined). `format`
  // is Format().
  Color4 Load(int x, int count, PixelFormat format) const;
  // Writes the lanes of `mask` among the first `count` (with a count of 4, 16- and 32-bit targets
  // write back the pixels outside the mask). `thresholds` are the dither thresholds of
  // those pixels (kRoundingThresholds without dithering).
  void Store(int x, int count, I4 mask, const Color4& color, F4 thresholds, PixelFormat format);
  void Prefetch(int left, int right, int y) const { FRows.Prefetch(left, right, y); }
  // One 0x00RRGGBB colour over a rectangle (already inside the target), undithered.
  void Fill(int left, int top, int right, int bottom, std::uint32_t color);

 private:
  U4 Encode(const Color4& color, F4 thresholds, PixelFormat format) const;
  U4 PaletteIndices(const Color4& color, F4 thresholds) const;

  ColorTarget FTarget;
  PixelRows FRows;
  const InversePalette* FPalette = nullptr;
};

inline Color4 ColorBuffer::Load(int x, int count, PixelFormat format) const {
  const int bytes = BytesPerPixel(format);
  const std::uint8_t* p = FRows.Pixel(x, bytes);
  U4 words{};
  if (count == 4 && (bytes == 2 || bytes == 4)) {
    words = LoadFour(p, bytes);
  } else {
    for (int lane = 0; lane < count; ++lane) words[lane] = LoadPixel(p + lane * bytes, bytes);
  }
  switch (format) {
    case PixelFormat::RGB565: return Unpack565(words);
    case PixelFormat::Palette8:
      for (int lane = 0; lane < count; ++lane) words[lane] = FTarget.palette[words[lane]];
      break;
    case PixelFormat::RGB888:
    case PixelFormat::XRGB8888: break;
  }
  return Unpack(words | 0xFF000000u);
}

inline U4 ColorBuffer::Encode(const Color4& color, F4 thresholds, PixelFormat format) const {
  switch (format) {
    case PixelFormat::RGB565: return Pack565(color, thresholds);
    case PixelFormat::Palette8: return PaletteIndices(color, thresholds);
    case PixelFormat::RGB888:
    case PixelFormat::XRGB8888: break;
  }
  return PackRgb(color);
}

inline void ColorBuffer::Store(int x, int count, I4 mask, const Color4& color, F4 thresholds, PixelFormat format) {
  const U4 words = Encode(color, thresholds, format);
  const int bytes = BytesPerPixel(format);
  std::uint8_t* p = FRows.Pixel(x, bytes);
  if (count == 4 && (bytes == 2 || bytes == 4)) {
    StoreFour(p, bytes, mask, words);
    return;
  }
  for (int lane = 0; lane < count; ++lane) {
    if (mask[lane]) StorePixel(p + lane * bytes, bytes, words[lane]);
  }
}

}  // namespace d3d::soft
