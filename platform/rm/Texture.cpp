#include "platform/rm/Texture.h"

#include <bit>
#include <cstring>
#include <vector>

#include "platform/rtl/Faults.h"

namespace rm {

namespace {

// One channel of a masked pixel, widened to 8 bits.
struct Channel {
  std::uint32_t mask;
  int shift;
  std::uint32_t max;

  explicit Channel(std::uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), max(m ? m >> shift : 0) {}
  std::uint32_t Expand(std::uint32_t pixel, std::uint32_t absent) const {
    if (mask == 0) return absent;
    return (((pixel & mask) >> shift) * 255 + max / 2) / max;
  }
};

int BytesPerPixel(int depth) { return depth == 15 ? 2 : depth / 8; }

std::uint32_t ReadPixel(const std::uint8_t* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint32_t{p[i]} << (8 * i);
  return value;
}

}  // namespace

bool Texture::IsValidImage(const Image& image) {
  if (image.width <= 0 || image.height <= 0 || image.buffer1 == nullptr) return false;
  if (image.width > 8192 || image.height > 8192) return false;
  const bool knownDepth =
      image.rgb ? (image.depth == 15 || image.depth == 16 || image.depth == 24 || image.depth == 32) : image.depth == 8;
  if (!knownDepth) return false;
  if (image.bytesPerLine < image.width * BytesPerPixel(image.depth)) return false;
  if (image.rgb) return (image.redMask | image.greenMask | image.blueMask) != 0;
  return image.palette != nullptr && image.paletteSize > 0 && image.paletteSize <= 256;
}

Texture::Texture(const Image& image) : FImage(image) { Convert(); }

void Texture::Convert() {
  const int width = FImage.width, height = FImage.height;
  std::vector<std::uint32_t> texels(static_cast<std::size_t>(width) * height);
  const auto* rows = static_cast<const std::uint8_t*>(FImage.buffer1);
  const int bytes = BytesPerPixel(FImage.depth);
  const Channel red(FImage.redMask), green(FImage.greenMask), blue(FImage.blueMask), alpha(FImage.alphaMask);
  FHasAlpha = false;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = rows + static_cast<std::size_t>(y) * FImage.bytesPerLine;
    std::uint32_t* out = texels.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      if (FImage.rgb) {
        const std::uint32_t pixel = ReadPixel(row + x * bytes, bytes);
        out[x] = alpha.Expand(pixel, 255) << 24 | red.Expand(pixel, 0) << 16 | green.Expand(pixel, 0) << 8 |
                 blue.Expand(pixel, 0);
      } else {
        const int index = row[x];
        const PaletteEntry entry = index < FImage.paletteSize ? FImage.palette[index] : PaletteEntry{0, 0, 0, 0};
        out[x] = 0xFF000000u | std::uint32_t{entry.red} << 16 | std::uint32_t{entry.green} << 8 | entry.blue;
      }
      FHasAlpha |= (out[x] >> 24) != 255;
    }
  }
  if (FTexture == nullptr) {
    FTexture = std::make_unique<d3d::Texture>(width, height, texels);
  } else {
    FTexture->SetPixels(texels);
  }
  ApplyColorKey();
}

void Texture::ApplyColorKey() { FTexture->SetColorKey(FDecalTransparency, FDecalTransparentColor); }

std::int32_t Texture::Changed(bool pixels, bool palette) {
  if (const auto code = rtl::faults::Check("rm.Texture.Changed")) return code;
  if (pixels || palette) Convert();
  return D3DRM_OK;
}

std::int32_t Texture::SetColors(int colors) {
  if (const auto code = rtl::faults::Check("rm.Texture.SetColors")) return code;
  if (colors < 1) return D3DRMERR_BADVALUE;
  FColors = colors;
  return D3DRM_OK;
}

std::int32_t Texture::SetShades(int shades) {
  if (const auto code = rtl::faults::Check("rm.Texture.SetShades")) return code;
  if (shades < 1) return D3DRMERR_BADVALUE;
  FShades = shades;
  return D3DRM_OK;
}

std::int32_t Texture::SetDecalOrigin(int x, int y) {
  if (const auto code = rtl::faults::Check("rm.Texture.SetDecalOrigin")) return code;
  FDecalOriginX = x;
  FDecalOriginY = y;
  return D3DRM_OK;
}

std::int32_t Texture::SetDecalSize(float width, float height) {
  if (const auto code = rtl::faults::Check("rm.Texture.SetDecalSize")) return code;
  FDecalWidth = width;
  FDecalHeight = height;
  return D3DRM_OK;
}

std::int32_t Texture::SetDecalScale(bool scale) { return StoreSetting("rm.Texture.SetDecalScale", FDecalScale, scale); }

std::int32_t Texture::SetDecalTransparency(bool transparency) {
  if (const auto code = rtl::faults::Check("rm.Texture.SetDecalTransparency")) return code;
  FDecalTransparency = transparency;
  ApplyColorKey();
  return D3DRM_OK;
}

std::int32_t Texture::SetDecalTransparentColor(std::uint32_t color) {
  if (const auto code = rtl::faults::Check("rm.Texture.SetDecalTransparentColor")) return code;
  FDecalTransparentColor = color;
  ApplyColorKey();
  return D3DRM_OK;
}

}  // namespace rm
