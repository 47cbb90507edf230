#pragma once

// Unaligned loads and stores of fixed size: they compile to single moves, where a copy of a run-time
// size would call memcpy.

#include <cstdint>
#include <cstring>

#include "platform/d3d/soft/Simd.h"

namespace d3d::soft {

template <typename T>
T Load(const std::uint8_t* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return value;
}

template <typename T>
void Store(std::uint8_t* p, T value) {
  std::memcpy(p, &value, sizeof value);
}

using U16x4 = std::uint16_t __attribute__((vector_size(8)));
using I16x4 = std::int16_t __attribute__((vector_size(8)));

// Asks for the cache lines holding `bytes` bytes from `p` (prefetches never fault).
inline void PrefetchRange(const std::uint8_t* p, int bytes) {
  constexpr int kLine = 64;
  const auto start = reinterpret_cast<std::uintptr_t>(p) & ~static_cast<std::uintptr_t>(kLine - 1);
  for (std::uintptr_t line = start; line < reinterpret_cast<std::uintptr_t>(p) + bytes; line += kLine) {
    __builtin_prefetch(reinterpret_cast<const void*>(line), 1);
  }
}

// Four 16- or 32-bit pixels from `p`, where all four may be read.
inline U4 LoadFour(const std::uint8_t* p, int bytes) {
  return bytes == 2 ? __builtin_convertvector(Load<U16x4>(p), U4) : Load<U4>(p);
}

// Writes the lanes of `mask` of four 16- or 32-bit pixels, by writing back what the others hold.
inline void StoreFour(std::uint8_t* p, int bytes, I4 mask, U4 values) {
  if (AllLanes(mask)) {  // nothing to write back: no need to read
    if (bytes == 2) {
      Store(p, __builtin_convertvector(values, U16x4));
    } else {
      Store(p, values);
    }
  } else if (bytes == 2) {
    Store(p, __builtin_convertvector(mask, I16x4) ? __builtin_convertvector(values, U16x4) : Load<U16x4>(p));
  } else {
    Store(p, mask ? values : Load<U4>(p));
  }
}

// A pixel of 1 to 4 bytes, little-endian.
inline std::uint32_t LoadPixel(const std::uint8_t* p, int bytes) {
  switch (bytes) {
    case 1: return *p;
    case 2: return Load<std::uint16_t>(p);
    case 3: return static_cast<std::uint32_t>(Load<std::uint16_t>(p)) | static_cast<std::uint32_t>(p[2]) << 16;
    default: return Load<std::uint32_t>(p);
  }
}

inline void StorePixel(std::uint8_t* p, int bytes, std::uint32_t value) {
  switch (bytes) {
    case 1: *p = static_cast<std::uint8_t>(value); break;
    case 2: Store(p, static_cast<std::uint16_t>(value)); break;
    case 3:
      Store(p, static_cast<std::uint16_t>(value));
      p[2] = static_cast<std::uint8_t>(value >> 16);
      break;
    default: Store(p, value); break;
  }
}

}  // namespace d3d::soft
