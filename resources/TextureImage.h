#pragma once

// A picture as the retained-mode layer describes it (the 60-byte image descriptor), holding its own
// pixel and palette buffers, and the conversion of a stored picture into a texture picture: size,
// format, descriptor and pixel arithmetic. Platform-free: nothing here creates a platform object.

#include <cstdint>
#include <vector>

#include "platform/rm/Texture.h"

// A descriptor with buffers of its own; the descriptor's pointers point into them while allocated.
class TImage {
 public:
  TImage() = default;
  TImage(const TImage&) = delete;
  TImage& operator=(const TImage&) = delete;

  // Sizes the buffers from the descriptor (bytes per line × height; palette size × 4 when
  // palettised) and points the descriptor at them.
  void Allocate();
  void Release();
  bool HasBuffer() const { return Desc.buffer1 != nullptr; }
  // Copies another picture's descriptor and buffers.
  void CopyFrom(const TImage& source);

  std::uint8_t* Pixels() { return FPixels.data(); }
  const std::uint8_t* Pixels() const { return FPixels.data(); }
  std::uint8_t* PaletteBytes() { return FPalette.data(); }
  const std::uint8_t* PaletteBytes() const { return FPalette.data(); }
  std::size_t PixelBytes() const { return FPixels.size(); }
  std::size_t PaletteByteCount() const { return FPalette.size(); }

  rm::Image Desc;

 private:
  std::vector<std::uint8_t> FPixels;
  std::vector<std::uint8_t> FPalette;
};

// The collection's conversion settings.
struct TTextureSettings {
  std::int32_t MinSize = 32;
  std::int32_t MaxSize = 512;
  std::int32_t Depth = 16;
  std::int32_t Shift = 1;
  bool AlphaFormats = false;
};

// Conversion options.
enum TConvertOption : int {
  coFlip = 2,          // the stored picture is bottom-up
  coTransparency = 4,  // the texture is a see-through decal: detect its key colour
};

enum class TAlphaKind { None, OneBit, FourBit, EightBit };

struct TTextureFormat {
  std::int32_t Depth;
  TAlphaKind Alpha;
};

// The halving count k: the texture is (width >> k) × (height >> k).
int ChooseHalving(int width, int height, const TTextureSettings& settings);
// The texture format; clears coTransparency from options when a 1-bit alpha takes over its role.
TTextureFormat ChooseFormat(const rm::Image& source, const TTextureSettings& settings, int* options);
// A descriptor of all zeros but size, depth, aspect, bytes per line, rgb flag, palette size and masks.
rm::Image DescribeTexture(int width, int height, const TTextureFormat& format);
// Converts `source` into `texture` (descriptor and buffers). When options still ask for
// transparency and a key colour is found, stores it in *keyColor (0xAARRGGBB) and returns true.
// Raises "Texture3D: convert failed depth=N" for source depths other than 8, 24 and 32, and
// "Texture convert error!" when the texture would be larger than the source.
bool ConvertTexture(const TImage& source, const TTextureSettings& settings, int options, TImage* texture,
                    std::uint32_t* keyColor);
