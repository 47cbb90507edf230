#pragma once

// The software rasterizer device: draws transformed, lit, fogged triangles into memory targets.
//
// Implements: targets of 8 (palettised, through an inverse palette), 16 (5-6-5), 24 and 32 bits per
// pixel; 16-, 24- or 32-bit depth buffers or none; flat and Gouraud shading; point, wireframe and solid
// fills; perspective-correct or affine texturing with nearest, bilinear and the four mip filters,
// repeat wrapping and colour keys; specular add, linear fog by the vertices' factors; alpha test and
// source-alpha blending; ordered dither on 16- and 8-bit targets; the clip rectangle.
//
// One device serves the ramp, RGB and MMX-class drivers alike: the pixels are the same whichever
// driver asked for them. Shading runs four pixels at a time in the compiler's generic vectors, on
// one thread. Nothing is allocated per triangle or per frame; the inverse palette is rebuilt only
// when the palette's contents change.

#include "platform/d3d/Device.h"
#include "platform/d3d/soft/ClipRect.h"
#include "platform/d3d/soft/ColorBuffer.h"
#include "platform/d3d/soft/DepthBuffer.h"
#include "platform/d3d/soft/InversePalette.h"
#include "platform/d3d/soft/SpanShader.h"

namespace d3d::soft {

class SoftDevice : public Device {
 public:
  void SetTargets(const ColorTarget& color, const DepthTarget& depth) override;
  void Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth) override;
  void DrawTriangles(const DrawState& state, std::span<const TLVertex> vertices,
                     std::span<const std::uint32_t> indices) override;

 private:
  bool HasTarget() const;
  void UpdatePalette();
  void DrawFace(const DrawState& state, const ClipRect& clip, const TLVertex* (&face)[3]);

  ColorTarget FTarget;
  ColorBuffer FColor;
  DepthBuffer FDepth;
  InversePalette FPalette;
  SpanShader FShader;
};

}  // namespace d3d::soft
