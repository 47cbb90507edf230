#pragma once

// Texel fetching for four pixels: repeat wrapping, nearest or bilinear texels, mip-level choice and
// the blend between two levels, and the colour key (a keyed texel is never drawn; under bilinear
// filtering keyed texels give no colour, and a pixel whose taps are mostly keyed is not drawn).
// The per-pixel calls are defined here so that the span shader inlines them.

#include <algorithm>
#include <bit>

#include "platform/d3d/Texture.h"
#include "platform/d3d/Types.h"
#include "platform/d3d/soft/Color4.h"
#include "platform/d3d/soft/Memory.h"

namespace d3d::soft {

struct Texels {
  Color4 color;
  I4 drawn;  // lanes not removed by the colour key
};

// log2 of the larger texel-space footprint of a pixel, from the squared lengths of the texture
// coordinates' derivatives (in level-0 texels) along x and y. Piecewise linear between powers of
// two, which is exact at them and cheap.
inline float MipLod(float lengthSquaredX, float lengthSquaredY) {
  const float longest = std::max(lengthSquaredX, lengthSquaredY);
  if (!(longest > 1e-30f)) return -64.0f;  // no footprint (a point): the largest level
  // log2 of the squared length from its float bits: the exponent plus the mantissa's fraction.
  const auto bits = std::bit_cast<std::uint32_t>(longest);
  const float exponent = static_cast<float>(static_cast<int>(bits >> 23) - 127);
  const float fraction = static_cast<float>(bits & 0x7FFFFFu) * (1.0f / static_cast<float>(1u << 23));
  return 0.5f * (exponent + fraction);
}

class Sampler {
 public:
  // `alpha`: whether anything will look at the texels' alpha (blending, alpha test); without it
  // only colour is filtered.
  void Bind(const Texture* texture, Filter filter, float lodBias, bool alpha);

  // The levels a run of pixels samples, and the coarser one's weight when it blends two.
  struct Levels {
    const TextureLevel* fine;
    const TextureLevel* coarse;  // null: the fine level alone
    float fraction;
  };

  // Whether Choose needs a level of detail (a mip filter).
  bool UsesLod() const { return FMipMode != MipMode::None; }
  int Width() const { return FTexture->Width(); }
  int Height() const { return FTexture->Height(); }

  // The levels for a level of detail from MipLod (any value without a mip filter). The level of
  // detail is held over runs of pixels, so the choice is made once per run rather than per chunk.
  Levels Choose(float lod) const;
  // The texels at texture coordinates (u, v) of four pixels.
  Texels Sample(const Levels& levels, F4 u, F4 v) const {
    return levels.coarse == nullptr ? SampleLevel(*levels.fine, u, v) : BetweenLevels(levels, u, v);
  }

 private:
  enum class MipMode : std::uint8_t { None, NearestLevel, BetweenLevels };

  Texels SampleLevel(const TextureLevel& level, F4 u, F4 v) const {
    return FBilinear ? Bilinear(level, u, v) : Nearest(level, u, v);
  }
  Texels BetweenLevels(const Levels& levels, F4 u, F4 v) const;
  Texels Nearest(const TextureLevel& level, F4 u, F4 v) const;
  Texels Bilinear(const TextureLevel& level, F4 u, F4 v) const;
  Texels KeyedBilinear(const U4 (&taps)[4], F4 fx, F4 fy) const;
  Color4 Texel(U4 argb) const { return FAlpha ? Unpack(argb) : UnpackRgb(argb); }
  Color4 Blend(const Color4& a, const Color4& b, F4 t) const { return FAlpha ? Lerp(a, b, t) : LerpRgb(a, b, t); }
  I4 Unkeyed(U4 texels) const { return (texels & 0x00FFFFFFu) != FKey; }

  const Texture* FTexture = nullptr;
  const TextureLevel* FLevels = nullptr;  // the texture's levels, largest first
  int FLastLevel = 0;
  bool FBilinear = false;
  MipMode FMipMode = MipMode::None;
  float FLodBias = 0.0f;
  bool FKeyed = false;
  bool FAlpha = true;
  U4 FKey{};
};

namespace sampling {

// Indices are taken unsigned (they are never negative): a lane moved out of a register is then
// already a valid 64-bit offset, where a signed one would be sign-extended first.
inline U4 Gather(const std::uint32_t* texels, U4 index) {
  return U4{texels[index[0]], texels[index[1]], texels[index[2]], texels[index[3]]};
}

// The texels at `index` and the ones after them, with one 64-bit load per pixel.
inline void GatherPairs(const std::uint32_t* texels, U4 index, U4& first, U4& second) {
  using U64x2 = std::uint64_t __attribute__((vector_size(16)));
  const auto pair = [&](int lane) { return Load<std::uint64_t>(reinterpret_cast<const std::uint8_t*>(texels + index[lane])); };
  const U4 low = (U4)U64x2{pair(0), pair(1)}, high = (U4)U64x2{pair(2), pair(3)};
  first = __builtin_shufflevector(low, high, 0, 2, 4, 6);
  second = __builtin_shufflevector(low, high, 1, 3, 5, 7);
}

// Row starts of texel rows, through floats (exact below 2^24 texels; SSE2 has no 32-bit multiply).
inline I4 RowStart(I4 row, int width) { return ToInt(ToFloat(row) * Splat(static_cast<float>(width))); }

// The texel column (or row) of a coordinate: the coordinate's fractional part scaled to the size.
// Rounding can scale a fraction just below one up to the size itself; that is the last texel.
inline I4 WrapNearest(F4 coordinate, int size) {
  const F4 fraction = coordinate - Floor(coordinate);
  return Min(ToInt(fraction * Splat(static_cast<float>(size))), SplatI(size - 1));
}

// The two texels either side of a coordinate's sample point and the weight of the second.
struct BilinearTaps {
  I4 first, second;
  F4 weight;
};

inline BilinearTaps WrapBilinear(F4 coordinate, int size) {
  const F4 position = (coordinate - Floor(coordinate)) * Splat(static_cast<float>(size)) - Splat(0.5f);
  const I4 below = ToInt(position + Splat(1.0f)) - 1;  // floor, as position > -1
  const F4 weight = position - ToFloat(below);
  if ((size & (size - 1)) == 0) return {below & (size - 1), (below + 1) & (size - 1), weight};
  const I4 above = below + 1;
  return {below < 0 ? SplatI(size - 1) : below, above >= size ? SplatI(0) : above, weight};
}

}  // namespace sampling

inline Sampler::Levels Sampler::Choose(float lod) const {
  lod = std::min(lod + FLodBias, static_cast<float>(FLastLevel));
  if (FMipMode == MipMode::None || !(lod > 0.0f)) return {&FLevels[0], nullptr, 0.0f};
  if (FMipMode == MipMode::NearestLevel) return {&FLevels[static_cast<int>(lod + 0.5f)], nullptr, 0.0f};
  const int level = static_cast<int>(lod);
  if (level == FLastLevel) return {&FLevels[level], nullptr, 0.0f};
  return {&FLevels[level], &FLevels[level + 1], lod - static_cast<float>(level)};
}

inline Texels Sampler::Nearest(const TextureLevel& level, F4 u, F4 v) const {
  using namespace sampling;
  const I4 index = RowStart(WrapNearest(v, level.height), level.width) + WrapNearest(u, level.width);
  const U4 texels = Gather(level.texels, AsUnsigned(index));
  return {Texel(texels), FKeyed ? Unkeyed(texels) : SplatI(-1)};
}

inline Texels Sampler::Bilinear(const TextureLevel& level, F4 u, F4 v) const {
  using namespace sampling;
  const BilinearTaps x = WrapBilinear(u, level.width);
  const BilinearTaps y = WrapBilinear(v, level.height);
  const U4 row0 = AsUnsigned(RowStart(y.first, level.width)), column0 = AsUnsigned(x.first);
  U4 taps[4];
  if (!AnyLane((x.first == level.width - 1) | (y.first == level.height - 1))) {
    // No lane wraps: each pair is side by side in memory, and the lower pair one row on, so that
    // both pairs are found from the same indices.
    GatherPairs(level.texels, row0 + column0, taps[0], taps[1]);
    GatherPairs(level.texels + level.width, row0 + column0, taps[2], taps[3]);
  } else {
    const U4 row1 = AsUnsigned(RowStart(y.second, level.width)), column1 = AsUnsigned(x.second);
    taps[0] = Gather(level.texels, row0 + column0), taps[1] = Gather(level.texels, row0 + column1);
    taps[2] = Gather(level.texels, row1 + column0), taps[3] = Gather(level.texels, row1 + column1);
  }
  if (FKeyed) return KeyedBilinear(taps, x.weight, y.weight);
  const Color4 top = Blend(Texel(taps[0]), Texel(taps[1]), x.weight);
  const Color4 bottom = Blend(Texel(taps[2]), Texel(taps[3]), x.weight);
  return {Blend(top, bottom, y.weight), SplatI(-1)};
}

}  // namespace d3d::soft
