#include "platform/dd/SurfacePicture.h"

#include "platform/dd/Palette.h"

namespace dd {

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t Widen565(std::uint32_t p) {
  const std::uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
  return kOpaque | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

std::uint32_t Bgr(const std::uint8_t* p) {
  return kOpaque | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

}  // namespace

std::vector<std::uint32_t> SurfacePicture(const Surface& surface) {
  const int width = surface.Width(), height = surface.Height();
  std::vector<std::uint32_t> picture(static_cast<std::size_t>(width) * height);
  rtl::Ref<Palette> palette;
  surface.GetPalette(&palette);
  const std::uint8_t* pixels = surface.Pixels();
  const d3d::PixelFormat format = surface.Desc().format;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = pixels + static_cast<std::size_t>(y) * surface.Pitch();
    std::uint32_t* out = picture.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      switch (format) {
        case d3d::PixelFormat::Palette8:
          out[x] = kOpaque | (palette ? palette->Colors()[row[x]] : 0u);
          break;
        case d3d::PixelFormat::RGB565:
          out[x] = Widen565(row[2 * x] | row[2 * x + 1] << 8);
          break;
        case d3d::PixelFormat::RGB888:
          out[x] = Bgr(row + 3 * x);
          break;
        case d3d::PixelFormat::XRGB8888:
          out[x] = Bgr(row + 4 * x);
          break;
      }
    }
  }
  return picture;
}

}  // namespace dd
