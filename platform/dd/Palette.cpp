#include "platform/dd/Palette.h"

#include <algorithm>

#include "platform/rtl/Faults.h"

namespace dd {

namespace {

std::uint32_t ColorOf(const PaletteEntry& entry) {
  return (std::uint32_t{entry.red} << 16) | (std::uint32_t{entry.green} << 8) | entry.blue;
}

bool SameEntry(const PaletteEntry& a, const PaletteEntry& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.flags == b.flags;
}

// A run of entries must lie inside the 256 of the palette.
bool InRange(int start, std::size_t count) { return start >= 0 && start <= 256 && count <= std::size_t(256 - start); }

}  // namespace

Palette::Palette(std::span<const PaletteEntry> entries) {
  const auto used = entries.first(std::min<std::size_t>(entries.size(), FEntries.size()));
  std::ranges::copy(used, FEntries.begin());
  std::ranges::transform(FEntries, FColors.begin(), ColorOf);
}

std::int32_t Palette::GetEntries(int start, std::span<PaletteEntry> entries) const {
  if (const auto code = rtl::faults::Check("dd.Palette.GetEntries")) return code;
  if (!InRange(start, entries.size())) return DDERR_INVALIDPARAMS;
  std::copy_n(FEntries.begin() + start, entries.size(), entries.begin());
  return DD_OK;
}

std::int32_t Palette::SetEntries(int start, std::span<const PaletteEntry> entries) {
  if (const auto code = rtl::faults::Check("dd.Palette.SetEntries")) return code;
  if (!InRange(start, entries.size())) return DDERR_INVALIDPARAMS;
  bool changed = false;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t index = start + i;
    if (SameEntry(FEntries[index], entries[i])) continue;
    FEntries[index] = entries[i];
    FColors[index] = ColorOf(entries[i]);
    changed = true;
  }
  // Rewriting the same colours keeps the version, so devices do not rebuild lookups for nothing.
  if (changed) ++FVersion;
  return DD_OK;
}

std::array<PaletteEntry, 256> EvenPalette() {
  std::array<PaletteEntry, 256> entries{};
  for (int i = 0; i < 256; ++i) {
    entries[i] = {static_cast<std::uint8_t>((i >> 5) * 255 / 7), static_cast<std::uint8_t>(((i >> 2) & 7) * 255 / 7),
                  static_cast<std::uint8_t>((i & 3) * 255 / 3), 0};
  }
  return entries;
}

}  // namespace dd
