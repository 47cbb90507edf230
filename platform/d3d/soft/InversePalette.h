#pragma once

// The nearest palette entry of any colour, for palettised targets: a table indexed by the colour
// quantised to InversePaletteBits per channel, rebuilt only when the palette's contents change.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d/soft/Config.h"

namespace d3d::soft {

class InversePalette {
 public:
  static constexpr int kLevels = 1 << InversePaletteBits;

  // Makes the table answer for `palette` (256 entries 0x00RRGGBB); does nothing when it already does.
  void Update(const std::uint32_t* palette);

  // The entry for a colour whose channels are quantised to 0..kLevels-1.
  std::uint8_t Lookup(int r, int g, int b) const {
    return FTable[static_cast<std::size_t>((r * kLevels + g) * kLevels + b)];
  }

  // The entry nearest to a 0x00RRGGBB colour (smallest squared distance, the lowest index on a tie).
  static std::uint8_t Nearest(const std::uint32_t* palette, std::uint32_t color);

 private:
  std::array<std::uint32_t, 256> FPalette{};
  std::vector<std::uint8_t> FTable;
};

// A channel level 0..kLevels-1 back to 0..255 (the centre colour of a table cell).
int ExpandLevel(int level);

}  // namespace d3d::soft
