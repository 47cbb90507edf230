#include "platform/d3d/soft/SpanShader.h"

#include <array>
#include <utility>

#include "platform/d3d/soft/Config.h"
#include "platform/d3d/soft/Dither.h"

namespace d3d::soft {

namespace {

constexpr float kInverse255 = 1.0f / 255.0f;

Color4 Modulate(const Color4& texel, const Color4& diffuse) {
  const F4 scale = Splat(kInverse255);
  return {texel.r * diffuse.r * scale, texel.g * diffuse.g * scale, texel.b * diffuse.b * scale,
          texel.a * diffuse.a * scale};
}

Color4 ClampColor(const Color4& color) {
  return {Clamp(color.r, 0.0f, 255.0f), Clamp(color.g, 0.0f, 255.0f), Clamp(color.b, 0.0f, 255.0f),
          Clamp(color.a, 0.0f, 255.0f)};
}

I4 CompareLanes(Compare func, I4 value, I4 reference) {
  switch (func) {
    case Compare::Never: return SplatI(0);
    case Compare::Less: return value < reference;
    case Compare::Equal: return value == reference;
    case Compare::LessEqual: return value <= reference;
    case Compare::Greater: return value > reference;
    case Compare::NotEqual: return value != reference;
    case Compare::GreaterEqual: return value >= reference;
    case Compare::Always: break;
  }
  return SplatI(-1);
}

// The span functions compiled for common states (see SpanPipeline.h): textured or not, fogged or not,
// into 16- and 32-bit targets with 16-bit or wider depth buffers.
constexpr auto kCommonStates = [] {
  std::array<SpanPipeline, 16> states{};
  std::size_t i = 0;
  for (const PixelFormat format : {PixelFormat::RGB565, PixelFormat::XRGB8888}) {
    for (const int depthBytes : {2, 4}) {
      for (const bool texture : {true, false}) {
        for (const bool fog : {true, false}) states[i++] = CommonState(texture, fog, format, depthBytes);
      }
    }
  }
  return states;
}();

// Whether a span function working with `f` needs interpolant i.
bool Needed(const SpanFeatures& f, int i) {
  switch (i) {
    case kZ: return f.depthTest || f.depthWrite;
    case kQ:
    case kUQ:
    case kVQ: return f.texture;
    case kA: return f.blend || f.alphaTest;
    case kSR:
    case kSG:
    case kSB: return f.specular;
    case kFog: return f.fog;
    default: return true;
  }
}

}  // namespace

void SpanShader::Bind(const DrawState& state, int clipRight, ColorBuffer& color, DepthBuffer& depth, bool specialise) {
  FState = state;
  FClipRight = clipRight;
  FColor = &color;
  FDepth = &depth;
  FFeatures = {.texture = state.texture != nullptr,
               .specular = state.specular,
               .fog = state.fog,
               .alphaTest = state.alphaTest,
               .blend = state.blend,
               .dither = state.dither,
               .depthTest = state.zTest && depth.Present(),
               .depthWrite = state.zWrite && depth.Present(),
               .format = color.Format(),
               .depthBytes = depth.Present() ? depth.Bytes() : 0};
  FShadeSpan = specialise ? Choose(FFeatures) : &SpanShader::ShadeSpan<kAnyState>;
  if (state.texture != nullptr) {
    FSampler.Bind(state.texture, state.filter, state.mipLodBias, state.blend || state.alphaTest);
    const auto width = static_cast<float>(FSampler.Width()), height = static_cast<float>(FSampler.Height());
    FTextureSize = F4{width, height, width, height};
    FLevels = FSampler.Choose(0.0f);  // without a mip filter, for the whole batch
  }
  const U4 fog = {state.fogColor, state.fogColor, state.fogColor, state.fogColor};
  FFogColor = Unpack(fog);
}

SpanShader::SpanFunction SpanShader::Choose(const SpanFeatures& features) {
  static constexpr auto kFunctions = []<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<SpanFunction, sizeof...(I)>{&SpanShader::ShadeSpan<kCommonStates[I]>...};
  }(std::make_index_sequence<kCommonStates.size()>());
  for (std::size_t i = 0; i < kCommonStates.size(); ++i) {
    if (kCommonStates[i].Fits(features)) return kFunctions[i];
  }
  return &SpanShader::ShadeSpan<kAnyState>;
}

void SpanShader::Begin(const Gradients& gradients) {
  FGradients = &gradients;
  for (int i = 0; i < kInterpolantCount; ++i) {
    FLaneOffsets[i] = kLaneIndex * gradients.dx[i];
    FChunkStep[i] = Splat(gradients.dx[i] * static_cast<float>(ChunkPixels));
  }
  FLodUQVQ = F4{gradients.dx[kUQ], gradients.dx[kVQ], gradients.dy[kUQ], gradients.dy[kVQ]};
  FLodQ = F4{gradients.dx[kQ], gradients.dx[kQ], gradients.dy[kQ], gradients.dy[kQ]};
}

template <SpanPipeline P>
void SpanShader::ShadeSpan(int y, int left, int right) {
  const SpanFeatures f = Resolve(P, FFeatures);
  const Gradients& g = *FGradients;
  const F4 stepsX = Splat(static_cast<float>(left - g.originX));
  const F4 stepsY = Splat(static_cast<float>(y - g.originY));
  Interpolated start;  // every interpolant at the span's first pixel, four at a time
  for (int i = 0; i < kInterpolantCount; i += 4) {
    const auto at = [&](const Interpolated& values) { return Load<F4>(reinterpret_cast<const std::uint8_t*>(&values[i])); };
    d3d::soft::Store(reinterpret_cast<std::uint8_t*>(&start[i]), at(g.origin) + at(g.dx) * stepsX + at(g.dy) * stepsY);
  }
  Chunk first;
  for (int i = 0; i < kInterpolantCount; ++i) {
    if (Needed(f, i)) first[i] = Splat(start[i]) + FLaneOffsets[i];
  }
  FColor->SelectRow(y);
  if (f.depthTest || f.depthWrite) FDepth->SelectRow(y);
  // Whole chunks, then what is left: for whole ones the lane mask and the run length are constants.
  static_assert(LodRunPixels % ChunkPixels == 0, "level-of-detail runs start on chunks");
  float index = 0.0f;
  int x = left;
  const auto values = [&] { return ChunkValues{first, FChunkStep, Splat(index), (x - left) % LodRunPixels == 0}; };
  for (; right - x >= ChunkPixels; x += ChunkPixels, index += 1.0f) ShadeChunk<P>(x, y, ChunkPixels, values());
  if (x < right) ShadeChunk<P>(x, y, right - x, values());
}

template <SpanPipeline P>
void SpanShader::ShadeChunk(int x, int y, int count, const ChunkValues& values) {
  const SpanFeatures f = Resolve(P, FFeatures);
  const bool alpha = f.blend || f.alphaTest;
  I4 mask = kLaneIndexI < count;
  // A chunk cut short by the end of its span still reads and writes whole runs of four (writing back
  // what it does not draw) unless they would pass the clip rectangle: no branches per pixel.
  if (x + ChunkPixels <= FClipRight) count = ChunkPixels;
  U4 depth{};
  if (f.depthTest || f.depthWrite) depth = FDepth->Quantise(values[kZ]);
  if (f.depthTest) {
    mask &= FDepth->Test(x, count, depth, f.depthBytes);
    if (!AnyLane(mask)) return;
  }
  Color4 color{values[kR], values[kG], values[kB], alpha ? values[kA] : Splat(255.0f)};
  if (f.texture) mask &= ApplyTexture(values, color);
  SpecularAndFog<P>(values, color);
  if (f.alphaTest) mask &= AlphaTest(color.a);
  if (!AnyLane(mask)) return;
  color = ClampColor(color);
  if (f.blend) color = LerpRgb(FColor->Load(x, count, f.format), color, color.a * Splat(kInverse255));  // source alpha
  FColor->Store(x, count, mask, color, f.dither ? DitherThresholds(x, y) : kRoundingThresholds, f.format);
  if (f.depthWrite) FDepth->Store(x, count, mask, depth, f.depthBytes);
}

I4 SpanShader::ApplyTexture(const ChunkValues& values, Color4& color) {
  const F4 w = Splat(1.0f) / values[kQ];
  const F4 u = values[kUQ] * w, v = values[kVQ] * w;
  if (values.newLodRun && FSampler.UsesLod()) FLevels = FSampler.Choose(Lod(u, v, w));
  const Texels texels = FSampler.Sample(FLevels, u, v);
  color = Modulate(texels.color, color);
  return texels.drawn;
}

// The level of detail at the chunk's first pixel, from the derivatives of u = UQ/Q and v = VQ/Q:
// du/dx = (dUQ/dx - u dQ/dx) / Q, and likewise for v and for y; all four at once, in texels.
float SpanShader::Lod(F4 u, F4 v, F4 w) const {
  const F4 uv = {u[0], v[0], u[0], v[0]};
  const F4 derivatives = (FLodUQVQ - uv * FLodQ) * (Splat(w[0]) * FTextureSize);
  const F4 squares = derivatives * derivatives;
  return MipLod(squares[0] + squares[1], squares[2] + squares[3]);
}

template <SpanPipeline P>
void SpanShader::SpecularAndFog(const ChunkValues& values, Color4& color) const {
  const SpanFeatures f = Resolve(P, FFeatures);
  if (f.specular) {
    const F4 full = Splat(255.0f);
    color.r = Min(color.r + values[kSR], full);
    color.g = Min(color.g + values[kSG], full);
    color.b = Min(color.b + values[kSB], full);
  }
  if (f.fog) {
    const F4 alpha = color.a;
    color = LerpRgb(FFogColor, color, values[kFog] * Splat(kInverse255));
    color.a = alpha;
  }
}

I4 SpanShader::AlphaTest(F4 alpha) const {
  const I4 rounded = ToInt(Clamp(alpha, 0.0f, 255.0f) + Splat(0.5f));
  return CompareLanes(FState.alphaFunc, rounded, SplatI(FState.alphaRef));
}

}  // namespace d3d::soft
