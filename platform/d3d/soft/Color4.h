#pragma once

// The colours of four pixels, one vector per channel, each channel 0..255.

#include "platform/d3d/soft/Simd.h"

namespace d3d::soft {

struct Color4 {
  F4 r, g, b, a;
};

// Four 0xAARRGGBB words as channels.
inline Color4 Unpack(U4 argb) {
  const U4 byte = {0xFFu, 0xFFu, 0xFFu, 0xFFu};
  return {ToFloat((argb >> 16) & byte), ToFloat((argb >> 8) & byte), ToFloat(argb & byte), ToFloat(argb >> 24)};
}

// The same, leaving alpha opaque: for pipelines that never look at the texture's alpha.
inline Color4 UnpackRgb(U4 argb) {
  const U4 byte = {0xFFu, 0xFFu, 0xFFu, 0xFFu};
  return {ToFloat((argb >> 16) & byte), ToFloat((argb >> 8) & byte), ToFloat(argb & byte), Splat(255.0f)};
}

inline Color4 Select(I4 mask, const Color4& yes, const Color4& no) {
  return {mask ? yes.r : no.r, mask ? yes.g : no.g, mask ? yes.b : no.b, mask ? yes.a : no.a};
}

// a + (b - a)*t, per channel, t in 0..1.
inline Color4 Lerp(const Color4& a, const Color4& b, F4 t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// The same for red, green and blue; alpha stays a's.
inline Color4 LerpRgb(const Color4& a, const Color4& b, F4 t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a};
}

}  // namespace d3d::soft
