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

// Four 16-bit values widened to 32 bits, and back (the values fit in 16 bits). SSE2 has no unsigned
// narrowing, and the compiler's generic conversions take a dozen shuffles: widening interleaves with
// zeros, narrowing sign-extends the low halves so that the signed saturating pack keeps them intact.
inline U4 Widen(U16x4 values) {
#if defined(__SSE2__)
  const __m128i words = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(&values));
  return (U4)_mm_unpacklo_epi16(words, _mm_setzero_si128());
#else
  return __builtin_convertvector(values, U4);
#endif
}
inline U16x4 Narrow(U4 values) {
#if defined(__SSE2__)
  const __m128i extended = _mm_srai_epi32(_mm_slli_epi32((__m128i)values, 16), 16);
  const __m128i packed = _mm_packs_epi32(extended, extended);
  U16x4 narrowed;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(&narrowed), packed);
  return narrowed;
#else
  return __builtin_convertvector(values, U16x4);
#endif
}

// Four 16- or 32-bit pixels from `p`, where all four may be read.
inline U4 LoadFour(const std::uint8_t* p, int bytes) { return bytes == 2 ? Widen(Load<U16x4>(p)) : Load<U4>(p); }

// Writes the lanes of `mask` of four 16- or 32-bit pixels, by writing back what the others hold.
inline void StoreFour(std::uint8_t* p, int bytes, I4 mask, U4 values) {
  if (AllLanes(mask)) {  // nothing to write back: no need to read
    if (bytes == 2) {
      Store(p, Narrow(values));
    } else {
      Store(p, values);
    }
  } else if (bytes == 2) {
    Store(p, (I16x4)Narrow((U4)mask) ? Narrow(values) : Load<U16x4>(p));
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
