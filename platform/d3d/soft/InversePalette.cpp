#include "platform/d3d/soft/InversePalette.h"

#include <algorithm>

namespace d3d::soft {

namespace {

int Red(std::uint32_t c) { return static_cast<int>((c >> 16) & 0xFFu); }
int Green(std::uint32_t c) { return static_cast<int>((c >> 8) & 0xFFu); }
int Blue(std::uint32_t c) { return static_cast<int>(c & 0xFFu); }

// The palette's channels side by side, so that the search loop runs over plain arrays.
struct PaletteChannels {
  std::array<int, 256> r, g, b;

  explicit PaletteChannels(const std::uint32_t* palette) {
    for (int i = 0; i < 256; ++i) {
      r[i] = Red(palette[i]);
      g[i] = Green(palette[i]);
      b[i] = Blue(palette[i]);
    }
  }

  std::uint8_t Nearest(int red, int green, int blue) const {
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const int dr = r[i] - red, dg = g[i] - green, db = b[i] - blue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    return static_cast<std::uint8_t>(best);
  }
};

}  // namespace

int ExpandLevel(int level) {
  return (level * 255 + (InversePalette::kLevels - 1) / 2) / (InversePalette::kLevels - 1);
}

void InversePalette::Update(const std::uint32_t* palette) {
  if (!FTable.empty() && std::equal(FPalette.begin(), FPalette.end(), palette)) return;
  std::copy_n(palette, 256, FPalette.begin());
  const PaletteChannels channels(palette);
  FTable.resize(static_cast<std::size_t>(kLevels) * kLevels * kLevels);
  std::size_t cell = 0;
  for (int r = 0; r < kLevels; ++r) {
    for (int g = 0; g < kLevels; ++g) {
      for (int b = 0; b < kLevels; ++b) {
        FTable[cell++] = channels.Nearest(ExpandLevel(r), ExpandLevel(g), ExpandLevel(b));
      }
    }
  }
}

std::uint8_t InversePalette::Nearest(const std::uint32_t* palette, std::uint32_t color) {
  return PaletteChannels(palette).Nearest(Red(color), Green(color), Blue(color));
}

}  // namespace d3d::soft
