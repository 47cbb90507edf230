#pragma once

// Four-lane vectors for shading four pixels of a span at once. They are the compiler's generic
// vectors (GCC and Clang): SSE2 registers on x86-64, NEON elsewhere, plain scalar code where a target
// has neither, from the same source. Comparisons give lane masks of all ones or zero.

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace d3d::soft {

using F4 = float __attribute__((vector_size(16)));
using I4 = std::int32_t __attribute__((vector_size(16)));
using U4 = std::uint32_t __attribute__((vector_size(16)));

inline F4 Splat(float value) { return F4{value, value, value, value}; }
inline I4 SplatI(std::int32_t value) { return I4{value, value, value, value}; }
inline constexpr F4 kLaneIndex = {0.0f, 1.0f, 2.0f, 3.0f};
inline constexpr I4 kLaneIndexI = {0, 1, 2, 3};

// Truncation toward zero, as a cast does.
inline I4 ToInt(F4 value) { return __builtin_convertvector(value, I4); }
inline F4 ToFloat(I4 value) { return __builtin_convertvector(value, F4); }
// Vector casts between lane types of one size keep the bits.
inline F4 ToFloat(U4 value) { return ToFloat((I4)value); }  // for values below 2^31
inline U4 AsUnsigned(I4 value) { return (U4)value; }

#if defined(__SSE2__)
inline F4 Min(F4 a, F4 b) { return _mm_min_ps(a, b); }
inline F4 Max(F4 a, F4 b) { return _mm_max_ps(a, b); }
#else
inline F4 Min(F4 a, F4 b) { return a < b ? a : b; }
inline F4 Max(F4 a, F4 b) { return a > b ? a : b; }
#endif
inline I4 Min(I4 a, I4 b) { return a < b ? a : b; }
inline F4 Clamp(F4 value, float low, float high) { return Min(Max(value, Splat(low)), Splat(high)); }

// Largest integer not above the value (for values within the range of int32).
inline F4 Floor(F4 value) {
  const F4 truncated = ToFloat(ToInt(value));
  return truncated + ToFloat(value < truncated);  // a true mask is -1
}

// One bit per lane of a mask. SSE2 gathers them in one instruction; elsewhere lane by lane.
inline int LaneBits(I4 mask) {
#if defined(__SSE2__)
  return _mm_movemask_ps(reinterpret_cast<__m128>(mask));
#else
  return (mask[0] & 1) | (mask[1] & 2) | (mask[2] & 4) | (mask[3] & 8);
#endif
}
inline bool AnyLane(I4 mask) { return LaneBits(mask) != 0; }
inline bool AllLanes(I4 mask) { return LaneBits(mask) == 0xF; }

}  // namespace d3d::soft
