#pragma once

// What a rasterizer device draws: transformed, lit, fogged vertices in screen space, and the
// render state of one batch. The retained-mode layer does transform, lighting, fog and clipping
// once, on the CPU, so that every device draws the same triangles.

#include <cstdint>

namespace d3d {

// A screen-space vertex, ready to rasterize.
struct TLVertex {
  float sx, sy;     // pixels from the target's top-left corner; pixel centres at +0.5
  float sz;         // depth in [0, 1], 0 at the front plane
  float rhw;        // 1 / camera-space depth, for perspective-correct interpolation
  std::uint32_t color;     // lit diffuse colour, 0xAARRGGBB; alpha is the opacity
  std::uint32_t specular;  // 0xFFRRGGBB specular added after texturing; the top byte is the
                           // fog factor: 255 no fog, 0 all fog colour
  float tu, tv;     // texture coordinates, 0..1 across the texture, repeating outside
};

enum class Shade : std::uint8_t { Flat, Gouraud };
enum class Fill : std::uint8_t { Points, Wireframe, Solid };
enum class Compare : std::uint8_t { Never, Less, Equal, LessEqual, Greater, NotEqual, GreaterEqual, Always };

// How texels are fetched: the six texture qualities of the retained-mode device.
enum class Filter : std::uint8_t { Nearest, Linear, MipNearest, MipLinear, LinearMipNearest, LinearMipLinear };

class Texture;

// Everything a batch of primitives needs besides its vertices.
struct DrawState {
  Shade shade = Shade::Gouraud;     // flat: each face takes its first vertex's colours
  Fill fill = Fill::Solid;
  const Texture* texture = nullptr;  // null draws untextured
  Filter filter = Filter::Nearest;
  bool perspective = true;          // perspective-correct texture coordinates
  bool zTest = true;                // depth test (less-or-equal)
  bool zWrite = true;
  bool blend = false;               // source-alpha blending with what is drawn
  bool alphaTest = false;           // discard pixels whose alpha fails alphaFunc against alphaRef
  Compare alphaFunc = Compare::Always;
  std::uint8_t alphaRef = 0;
  bool specular = false;            // add the vertices' specular colour
  bool fog = false;                 // blend towards fogColor by the vertices' fog factor
  std::uint32_t fogColor = 0;       // 0x00RRGGBB
  bool dither = false;              // ordered dither when writing 16- and 8-bit targets
  float mipLodBias = 0.0f;
  // Pixels outside this rectangle are never written (the viewport).
  int clipLeft = 0, clipTop = 0, clipRight = 0, clipBottom = 0;
};

// Pixel layouts of colour targets, as the display surfaces hold them.
enum class PixelFormat : std::uint8_t {
  Palette8,  // one byte, an index into a 256-entry palette
  RGB565,    // 16 bits: 5 red, 6 green, 5 blue
  RGB888,    // 24 bits: bytes blue, green, red
  XRGB8888,  // 32 bits: bytes blue, green, red, unused
};

// Bytes per pixel of a colour target's format.
constexpr int BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Palette8: return 1;
    case PixelFormat::RGB565: return 2;
    case PixelFormat::RGB888: return 3;
    case PixelFormat::XRGB8888: break;
  }
  return 4;
}

constexpr int BitsPerPixel(PixelFormat format) { return 8 * BytesPerPixel(format); }

// The memory a device draws into. The pointers stay valid until the next SetTargets.
struct ColorTarget {
  std::uint8_t* pixels = nullptr;
  int pitch = 0;  // bytes per row
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::XRGB8888;
  const std::uint32_t* palette = nullptr;  // 256 entries 0x00RRGGBB, for Palette8 targets
};

struct DepthTarget {
  std::uint8_t* pixels = nullptr;  // null: no depth buffer
  int pitch = 0;
  int bits = 16;  // 16 (uint16 per pixel), 24 or 32 (uint32 per pixel, 24 using the low bits)
};

}  // namespace d3d
