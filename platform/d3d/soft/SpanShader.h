#pragma once

// The pixel pipeline, four pixels of a span at a time: depth test, texel fetch and modulation by
// the diffuse colour, specular add, fog, colour key and alpha test, source-alpha blending, then the
// writes of colour (dithered when asked) and depth. The span function is chosen once per batch (see
// SpanPipeline.h).

#include <array>

#include "platform/d3d/Types.h"
#include "platform/d3d/soft/ColorBuffer.h"
#include "platform/d3d/soft/DepthBuffer.h"
#include "platform/d3d/soft/Interpolants.h"
#include "platform/d3d/soft/Sampler.h"
#include "platform/d3d/soft/SpanPipeline.h"

namespace d3d::soft {

class SpanShader {
 public:
  // The state of a batch; the buffers stay the device's. Pixels from `clipRight` on are never touched.
  // Without `specialise` every state takes the span function compiled for any state (for tests that
  // compare the two).
  void Bind(const DrawState& state, int clipRight, ColorBuffer& color, DepthBuffer& depth, bool specialise = true);
  // The planes of the next primitive.
  void Begin(const Gradients& gradients);
  // Pixels left..right-1 of row y (already inside the clip rectangle).
  void Shade(int y, int left, int right) { (this->*FShadeSpan)(y, left, right); }
  // Starts fetching the target memory of a span that comes soon (the next row's), so that its
  // pixels need not wait for it: each row of a large target lies in pages of its own, where the
  // processor's own prefetching does not reach in time.
  void Prefetch(int y, int left, int right) const {
    FColor->Prefetch(left, right, y);
    if (FFeatures.depthTest) FDepth->Prefetch(left, right, y);
  }

 private:
  using Chunk = std::array<F4, kInterpolantCount>;

  // The interpolants of one chunk: the span's first chunk stepped on `index` chunks, each worked
  // out only when asked for (a chunk that fails the depth test needs its depth alone); and whether
  // the chunk starts a run of LodRunPixels, for which the level of detail is worked out afresh.
  struct ChunkValues {
    const Chunk& first;
    const Chunk& step;
    F4 index;
    bool newLodRun;
    F4 operator[](int i) const { return first[i] + step[i] * index; }
  };

  using SpanFunction = void (SpanShader::*)(int y, int left, int right);

  // The span function compiled for `P`, and the one that serves a batch's features.
  // Everything a span calls is inlined into it: calls that pass the colours of four pixels through
  // memory would cost more than the work they do.
  template <SpanPipeline P>
  [[gnu::flatten]] void ShadeSpan(int y, int left, int right);
  static SpanFunction Choose(const SpanFeatures& features);

  template <SpanPipeline P>
  void ShadeChunk(int x, int y, int count, const ChunkValues& values);
  // Modulates the colour by the texels; returns the lanes the colour key leaves.
  I4 ApplyTexture(const ChunkValues& values, Color4& color);
  float Lod(F4 u, F4 v, F4 w) const;
  template <SpanPipeline P>
  void SpecularAndFog(const ChunkValues& values, Color4& color) const;
  I4 AlphaTest(F4 alpha) const;

  DrawState FState;
  SpanFeatures FFeatures{};
  SpanFunction FShadeSpan = nullptr;
  int FClipRight = 0;
  ColorBuffer* FColor = nullptr;
  DepthBuffer* FDepth = nullptr;
  Sampler FSampler;
  Color4 FFogColor{};
  const Gradients* FGradients = nullptr;
  Chunk FLaneOffsets{};  // dx times the lane index
  Chunk FChunkStep{};    // dx times four
  // For the level of detail: the derivatives of UQ and VQ along x and y, those of Q beside them, and
  // the texture's size.
  F4 FLodUQVQ{}, FLodQ{}, FTextureSize{};
  // The levels chosen for the level of detail last worked out on this span.
  Sampler::Levels FLevels{};
};

}  // namespace d3d::soft
