#include "tests/platform/d3d/SoftTarget.h"

#include <cstring>

namespace soft_testing {

SoftTarget::SoftTarget(int width, int height, d3d::PixelFormat format, int depthBits)
    : Width(width), Height(height), Format(format), DepthBits(depthBits),
      Pixels(static_cast<std::size_t>(width) * height * d3d::BytesPerPixel(format), 0xCD),
      DepthPixels(static_cast<std::size_t>(width) * height * (depthBits == 16 ? 2 : 4), 0) {
  Bind();
}

d3d::ColorTarget SoftTarget::Color() {
  return {Pixels.data(), Width * d3d::BytesPerPixel(Format), Width, Height, Format, Palette.data()};
}

d3d::DepthTarget SoftTarget::Depth() {
  if (DepthBits == 0) return {};
  return {DepthPixels.data(), Width * (DepthBits == 16 ? 2 : 4), DepthBits};
}

void SoftTarget::Draw(const d3d::DrawState& state, const std::vector<d3d::TLVertex>& vertices,
                      const std::vector<std::uint32_t>& indices) {
  Device.DrawTriangles(state, vertices, indices);
}

std::uint32_t SoftTarget::RawAt(int x, int y) const {
  const int bytes = d3d::BytesPerPixel(Format);
  std::uint32_t value = 0;
  std::memcpy(&value, &Pixels[(static_cast<std::size_t>(y) * Width + x) * bytes], static_cast<std::size_t>(bytes));
  return Format == d3d::PixelFormat::XRGB8888 ? value & 0xFFFFFFu : value;
}

std::uint32_t SoftTarget::At(int x, int y) const {
  const std::uint32_t raw = RawAt(x, y);
  switch (Format) {
    case d3d::PixelFormat::Palette8: return 0xFF000000u | Palette[raw];
    case d3d::PixelFormat::RGB565: {
      const std::uint32_t r = raw >> 11, g = (raw >> 5) & 63u, b = raw & 31u;
      return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
    }
    case d3d::PixelFormat::RGB888:
    case d3d::PixelFormat::XRGB8888: break;
  }
  return 0xFF000000u | raw;
}

std::uint32_t SoftTarget::DepthAt(int x, int y) const {
  const std::size_t index = static_cast<std::size_t>(y) * Width + x;
  if (DepthBits == 16) {
    std::uint16_t value = 0;
    std::memcpy(&value, &DepthPixels[index * 2], 2);
    return value;
  }
  std::uint32_t value = 0;
  std::memcpy(&value, &DepthPixels[index * 4], 4);
  return value;
}

testing_support::Picture SoftTarget::ToPicture() const {
  testing_support::Picture picture{Width, Height, {}};
  picture.Pixels.reserve(static_cast<std::size_t>(Width) * Height);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) picture.Pixels.push_back(At(x, y));
  }
  return picture;
}

d3d::TLVertex Vertex(float x, float y, std::uint32_t color, float z, float tu, float tv, float rhw) {
  return {x, y, z, rhw, color, 0xFF000000u, tu, tv};
}

d3d::DrawState FullState(int width, int height) {
  d3d::DrawState state;
  state.clipRight = width;
  state.clipBottom = height;
  return state;
}

std::vector<std::uint32_t> QuadIndices(std::uint32_t first) {
  return {first, first + 1, first + 2, first, first + 2, first + 3};
}

}  // namespace soft_testing
