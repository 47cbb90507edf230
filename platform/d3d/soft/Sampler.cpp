#include "platform/d3d/soft/Sampler.h"

namespace d3d::soft {

namespace {

// Sum of a tap's channels, weighted.
void Accumulate(Color4& sum, const Color4& tap, F4 weight) {
  sum.r += tap.r * weight;
  sum.g += tap.g * weight;
  sum.b += tap.b * weight;
  sum.a += tap.a * weight;
}

Color4 Scaled(const Color4& color, F4 factor) {
  return {color.r * factor, color.g * factor, color.b * factor, color.a * factor};
}

}  // namespace

void Sampler::Bind(const Texture* texture, Filter filter, float lodBias, bool alpha) {
  FTexture = texture;
  FLevels = &texture->Level(0);
  FLastLevel = texture->LevelCount() - 1;
  FAlpha = alpha;
  FBilinear = filter == Filter::Linear || filter == Filter::MipLinear || filter == Filter::LinearMipLinear;
  switch (filter) {
    case Filter::Nearest:
    case Filter::Linear: FMipMode = MipMode::None; break;
    case Filter::MipNearest:
    case Filter::MipLinear: FMipMode = MipMode::NearestLevel; break;
    case Filter::LinearMipNearest:
    case Filter::LinearMipLinear: FMipMode = MipMode::BetweenLevels; break;
  }
  FLodBias = lodBias;
  FKeyed = texture->ColorKeyEnabled();
  const std::uint32_t key = texture->KeyColor() & 0x00FFFFFFu;
  FKey = U4{key, key, key, key};
}

Texels Sampler::BetweenLevels(const Levels& levels, F4 u, F4 v) const {
  const Texels fine = SampleLevel(*levels.fine, u, v);
  const Texels coarse = SampleLevel(*levels.coarse, u, v);
  const F4 t = Splat(levels.fraction);
  // Where one level is keyed and the other not, the unkeyed one shows, as long as it weighs more.
  const I4 both = fine.drawn & coarse.drawn;
  const Color4 color = Select(both, Lerp(fine.color, coarse.color, t), Select(fine.drawn, fine.color, coarse.color));
  const I4 drawn = both | (t < Splat(0.5f) ? fine.drawn : coarse.drawn);
  return {color, drawn};
}

// Keyed taps give no colour; the others are renormalised. Mostly keyed: not drawn.
Texels Sampler::KeyedBilinear(const U4 (&taps)[4], F4 fx, F4 fy) const {
  const F4 one = Splat(1.0f);
  const F4 weights[4] = {(one - fx) * (one - fy), fx * (one - fy), (one - fx) * fy, fx * fy};
  Color4 sum{};
  F4 total{};
  for (int i = 0; i < 4; ++i) {
    const F4 weight = Unkeyed(taps[i]) ? weights[i] : F4{};
    Accumulate(sum, Unpack(taps[i]), weight);
    total += weight;
  }
  return {Scaled(sum, one / Max(total, Splat(0.5f))), total >= Splat(0.5f)};
}

}  // namespace d3d::soft
