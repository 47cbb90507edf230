#pragma once

// Memory targets for the software rasterizer's tests, vertices and draw states made by hand, and the
// conversion of what was drawn into a picture.

#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d/Types.h"
#include "platform/d3d/soft/SoftDevice.h"
#include "tests/support/Picture.h"

namespace soft_testing {

// A colour target and an optional depth buffer, bound to a device of their own.
struct SoftTarget {
  SoftTarget(int width, int height, d3d::PixelFormat format, int depthBits = 0);

  d3d::ColorTarget Color();
  d3d::DepthTarget Depth();
  void Bind() { Device.SetTargets(Color(), Depth()); }
  void ClearAll(std::uint32_t color) { Device.Clear(0, 0, Width, Height, color, true); }
  void Draw(const d3d::DrawState& state, const std::vector<d3d::TLVertex>& vertices,
            const std::vector<std::uint32_t>& indices);

  // The pixel as 0xFFRRGGBB (8-bit pixels through the palette, 5-6-5 widened by bit replication).
  std::uint32_t At(int x, int y) const;
  std::uint32_t RawAt(int x, int y) const;  // the stored value: index, 5-6-5 word or 0x00RRGGBB
  std::uint32_t DepthAt(int x, int y) const;
  testing_support::Picture ToPicture() const;

  int Width, Height;
  d3d::PixelFormat Format;
  int DepthBits;
  std::vector<std::uint8_t> Pixels;
  std::vector<std::uint8_t> DepthPixels;
  std::array<std::uint32_t, 256> Palette{};
  d3d::soft::SoftDevice Device;
};

// A vertex at (x, y) with depth z and 1/w = rhw; no fog, no specular.
d3d::TLVertex Vertex(float x, float y, std::uint32_t color, float z = 0.5f, float tu = 0.0f, float tv = 0.0f,
                     float rhw = 1.0f);

// Gouraud, solid, untextured, depth test and write, the whole target as the clip rectangle.
d3d::DrawState FullState(int width, int height);

// Two triangles over the rectangle, vertices 0..3 clockwise from the top-left.
std::vector<std::uint32_t> QuadIndices(std::uint32_t first = 0);

}  // namespace soft_testing
