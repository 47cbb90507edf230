#include "platform/rm/Texture.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "platform/rtl/Faults.h"

namespace rm {

namespace {

// One channel of a masked pixel, widened to 8 bits (rounded); a missing channel reads `absent`.
// Channels of up to 8 bits, which is every format in use, go through a table.
class Channel {
 public:
  Channel(std::uint32_t mask, std::uint32_t absent)
      : FMask(mask), FShift(mask ? std::countr_zero(mask) : 0), FMax(mask ? mask >> FShift : 0), FAbsent(absent) {
    if (FMask == 0) return;
    for (std::uint32_t v = 0; v <= FMax && v < FTable.size(); ++v) FTable[v] = static_cast<std::uint8_t>(Widen(v));
  }
  std::uint32_t Expand(std::uint32_t pixel) const {
    if (FMask == 0) return FAbsent;
    const std::uint32_t v = (pixel & FMask) >> FShift;
    return FMax < FTable.size() ? FTable[v] : Widen(v);
  }

 private:
  std::uint32_t Widen(std::uint32_t v) const {
    return static_cast<std::uint32_t>((std::uint64_t{v} * 255 + FMax / 2) / FMax);
  }

  std::uint32_t FMask;
  int FShift;
  std::uint32_t FMax;
  std::uint32_t FAbsent;
  std::array<std::uint8_t, 256> FTable{};
};

int BytesPerPixel(int depth) { return depth == 15 ? 2 : depth / 8; }

std::uint32_t ReadPixel(const std::uint8_t* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint32_t{p[i]} << (8 * i);
  return value;
}

// Masked direct-colour pixels, row by row.
void ConvertMasked(const Image& image, std::uint32_t* texels) {
  const auto* rows = static_cast<const std::uint8_t*>(image.buffer1);
  const int bytes = BytesPerPixel(image.depth);
  const Channel red(image.redMask, 0), green(image.greenMask, 0), blue(image.blueMask, 0);
  const Channel alpha(image.alphaMask, 255);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = rows + static_cast<std::size_t>(y) * image.bytesPerLine;
    std::uint32_t* out = texels + static_cast<std::size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x) {
      const std::uint32_t pixel = ReadPixel(row + x * bytes, bytes);
      out[x] = alpha.Expand(pixel) << 24 | red.Expand(pixel) << 16 | green.Expand(pixel) << 8 | blue.Expand(pixel);
    }
  }
}

// Palette indices through a table of the palette's colours (an index past its end is black).
void ConvertPalettised(const Image& image, std::uint32_t* texels) {
  std::array<std::uint32_t, 256> colors;
  colors.fill(0xFF000000u);
  for (int i = 0; i < image.paletteSize; ++i) {
    const PaletteEntry& e = image.palette[i];
    colors[static_cast<std::size_t>(i)] =
        0xFF000000u | std::uint32_t{e.red} << 16 | std::uint32_t{e.green} << 8 | e.blue;
  }
  const auto* rows = static_cast<const std::uint8_t*>(image.buffer1);
  for (int y = 0; y < image.height; ++y) {
    const std::uint8_t* row = rows + static_cast<std::size_t>(y) * image.bytesPerLine;
    std::uint32_t* out = texels + static_cast<std::size_t>(y) * image.width;
    for (int x = 0; x < image.width; ++x) out[x] = colors[row[x]];
  }
}

// The texel a colour becomes once stored in the picture's format (each channel cut to its bits,
// as pictures are converted) and widened back like every texel, so that a decal's key colour
// matches the texels it was taken from.
std::uint32_t TexelOf(const Image& image, std::uint32_t color) {
  if (!image.rgb) return color;
  std::uint32_t texel = 0;
  const std::uint32_t masks[3] = {image.redMask, image.greenMask, image.blueMask};
  for (int c = 0; c < 3; ++c) {
    if (masks[c] == 0) continue;
    const int place = 16 - 8 * c, bits = std::popcount(masks[c]);
    const std::uint32_t byte = (color >> place) & 0xFF;
    const std::uint32_t stored = bits >= 8 ? byte << (bits - 8) : byte >> (8 - bits);
    texel |= Channel(masks[c], 0).Expand((stored << std::countr_zero(masks[c])) & masks[c]) << place;
  }
  return texel;
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

// Later conversions (an animated texture changes its pixels every few frames) write straight into
// the device texture: a frame allocates nothing.
void Texture::Convert() {
  if (FTexture == nullptr) {
    const std::vector<std::uint32_t> blank(static_cast<std::size_t>(FImage.width) * FImage.height);
    FTexture = std::make_unique<d3d::Texture>(FImage.width, FImage.height, blank);
  }
  const std::span<std::uint32_t> texels = FTexture->Pixels();
  if (FImage.rgb) {
    ConvertMasked(FImage, texels.data());
  } else {
    ConvertPalettised(FImage, texels.data());
  }
  FHasAlpha = std::any_of(texels.begin(), texels.end(), [](std::uint32_t t) { return (t >> 24) != 255; });
  FTexture->PixelsChanged();
  ApplyColorKey();
}

void Texture::ApplyColorKey() { FTexture->SetColorKey(FDecalTransparency, TexelOf(FImage, FDecalTransparentColor)); }

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
