#include "core3d/SnapValue.h"

#include <bit>
#include <cstdint>

float SnapValue(float v) {
  if (std::bit_cast<std::uint32_t>(v) == 0xFFFFFFFFu) return 0.0f;
  if (v > -1e-6f && v < 1e-6f) return 0.0f;
  return v;
}

bool SameValue(float stored, float v) {
  return stored == v || std::bit_cast<std::uint32_t>(stored) == std::bit_cast<std::uint32_t>(v);
}
