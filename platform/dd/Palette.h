#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "platform/dd/Types.h"
#include "platform/rtl/RefCounted.h"

namespace dd {

// The 256 colours of an 8-bit surface.
class Palette : public rtl::RefCounted {
 public:
  explicit Palette(std::span<const PaletteEntry> entries);

  std::int32_t GetEntries(int start, std::span<PaletteEntry> entries) const;
  std::int32_t SetEntries(int start, std::span<const PaletteEntry> entries);

  // The entries as 0x00RRGGBB words, the form the rasterizers read.
  const std::array<std::uint32_t, 256>& Colors() const { return FColors; }
  // Moves on whenever an entry changes, so a device's inverse lookup knows when to rebuild.
  std::uint32_t Version() const { return FVersion; }

 private:
  std::array<PaletteEntry, 256> FEntries{};
  std::array<std::uint32_t, 256> FColors{};
  std::uint32_t FVersion = 0;
};

// 3-3-2 colours: every colour has a near neighbour, so 8-bit frames drawn without a palette of
// their own stay recognisable.
std::array<PaletteEntry, 256> EvenPalette();

}  // namespace dd
