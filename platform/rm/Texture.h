#pragma once

// A texture made from an application's picture (the image descriptor points at the application's
// pixels and palette, which stay the application's). It is converted once into the devices' texel
// format, and again when the application says its pixels or palette changed. Added to a frame as a
// visual, a texture is drawn as a decal: a camera-facing rectangle.

#include <cstdint>
#include <memory>

#include "platform/d3d/Texture.h"
#include "platform/rm/Object.h"

namespace rm {

struct PaletteEntry {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  std::uint8_t flags;
};

struct Image {
  int width = 0;
  int height = 0;
  int aspectX = 1;
  int aspectY = 1;
  int depth = 0;     // bits per pixel: 8 (palettised), 15 or 16, 24, 32
  bool rgb = false;  // the masks describe the pixels; false: 8-bit indices into the palette
  int bytesPerLine = 0;
  const void* buffer1 = nullptr;  // the pixels, rows from the top
  const void* buffer2 = nullptr;
  std::uint32_t redMask = 0;
  std::uint32_t greenMask = 0;
  std::uint32_t blueMask = 0;
  std::uint32_t alphaMask = 0;  // 0: opaque
  int paletteSize = 0;
  const PaletteEntry* palette = nullptr;
};

class Texture : public Visual {
 public:
  // Check the descriptor with IsValidImage first; the layer's CreateTexture does.
  explicit Texture(const Image& image);

  // The descriptor can be converted: sizes, depth, masks, pitch, pixels and palette all present.
  static bool IsValidImage(const Image& image);

  // The application changed its pixels and/or palette: convert again.
  std::int32_t Changed(bool pixels, bool palette);
  std::int32_t SetColors(int colors);
  std::int32_t SetShades(int shades);
  std::int32_t SetDecalOrigin(int x, int y);
  std::int32_t SetDecalSize(float width, float height);
  std::int32_t SetDecalScale(bool scale);
  std::int32_t SetDecalTransparency(bool transparency);
  std::int32_t SetDecalTransparentColor(std::uint32_t color);

  const Image& GetImage() const { return FImage; }
  const d3d::Texture& DeviceTexture() const { return *FTexture; }
  int Colors() const { return FColors; }
  int Shades() const { return FShades; }
  int DecalOriginX() const { return FDecalOriginX; }
  int DecalOriginY() const { return FDecalOriginY; }
  float DecalWidth() const { return FDecalWidth; }
  float DecalHeight() const { return FDecalHeight; }
  bool DecalScale() const { return FDecalScale; }
  bool DecalTransparency() const { return FDecalTransparency; }
  std::uint32_t DecalTransparentColor() const { return FDecalTransparentColor; }
  // Any texel not fully opaque: such textures are blended where the device allows.
  bool HasAlpha() const { return FHasAlpha; }

 private:
  void Convert();
  void ApplyColorKey();

  Image FImage;
  std::unique_ptr<d3d::Texture> FTexture;
  bool FHasAlpha = false;
  int FColors = 8;
  int FShades = 16;
  int FDecalOriginX = 0;
  int FDecalOriginY = 0;
  float FDecalWidth = 1.0f;
  float FDecalHeight = 1.0f;
  bool FDecalScale = true;
  bool FDecalTransparency = false;
  std::uint32_t FDecalTransparentColor = 0;
};

}  // namespace rm
