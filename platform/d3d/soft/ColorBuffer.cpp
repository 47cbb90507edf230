#include "platform/d3d/soft/ColorBuffer.h"

namespace d3d::soft {

void ColorBuffer::Bind(const ColorTarget& target, const InversePalette* palette) {
  FTarget = target;
  FRows = {target.pixels, target.pitch, BytesPerPixel(target.format), nullptr};
  FPalette = palette;
}

U4 ColorBuffer::PaletteIndices(const Color4& color, F4 thresholds) const {
  // The dither spreads over about a palette step rather than one table cell.
  const F4 spread = (thresholds - Splat(0.5f)) * Palette8DitherSpread;
  const auto level = [&](F4 channel) {
    return Quantise(Clamp(channel + spread, 0.0f, 255.0f), InversePalette::kLevels, kRoundingThresholds);
  };
  const I4 r = level(color.r), g = level(color.g), b = level(color.b);
  U4 indices{};
  for (int lane = 0; lane < 4; ++lane) indices[lane] = FPalette->Lookup(r[lane], g[lane], b[lane]);
  return indices;
}

void ColorBuffer::Fill(int left, int top, int right, int bottom, std::uint32_t color) {
  const U4 solid = {color, color, color, color};
  // A palettised target gets the exact nearest entry, not the table's quantised answer.
  const std::uint32_t word = FTarget.format == PixelFormat::Palette8 ? InversePalette::Nearest(FTarget.palette, color)
                                                                      : Encode(Unpack(solid | 0xFF000000u), kRoundingThresholds, FTarget.format)[0];
  FRows.Fill(left, top, right, bottom, word);
}

}  // namespace d3d::soft
