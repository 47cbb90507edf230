#pragma once

// Plain data of the display layer: result codes, capability flags, surface descriptions and modes.

#include <cstdint>

#include "platform/d3d/Types.h"
#include "platform/rtl/Result.h"

namespace dd {

constexpr std::int32_t DD_OK = rtl::kOk;
constexpr std::int32_t DDERR_INVALIDPARAMS = rtl::E_INVALIDARG;
constexpr std::int32_t DDERR_OUTOFMEMORY = rtl::E_OUTOFMEMORY;
constexpr std::int32_t DDERR_GENERIC = rtl::E_FAIL;
constexpr std::int32_t DDERR_SURFACELOST = rtl::MakeDXResult(450);
constexpr std::int32_t DDERR_SURFACEBUSY = rtl::MakeDXResult(430);
constexpr std::int32_t DDERR_NOTLOCKED = rtl::MakeDXResult(584);
constexpr std::int32_t DDERR_NOTFOUND = rtl::MakeDXResult(255);
constexpr std::int32_t DDERR_INVALIDMODE = rtl::MakeDXResult(200);
constexpr std::int32_t DDERR_NOPALETTEATTACHED = rtl::MakeDXResult(572);
constexpr std::int32_t DDERR_SURFACEALREADYATTACHED = rtl::MakeDXResult(410);
constexpr std::int32_t DDERR_NOZBUFFERHW = rtl::MakeDXResult(510);

// Surface capabilities (what a surface is for).
enum SurfaceCaps : std::uint32_t {
  DDSCAPS_PRIMARYSURFACE = 0x00000200,
  DDSCAPS_BACKBUFFER = 0x00000004,
  DDSCAPS_OFFSCREENPLAIN = 0x00000040,
  DDSCAPS_3DDEVICE = 0x00002000,
  DDSCAPS_SYSTEMMEMORY = 0x00000800,
  DDSCAPS_VIDEOMEMORY = 0x00004000,
  DDSCAPS_ZBUFFER = 0x00020000,
  DDSCAPS_FLIP = 0x00000010,
  DDSCAPS_COMPLEX = 0x00000008,
};

enum FlipFlags : std::uint32_t {
  DDFLIP_WAIT = 0x00000001,
};

// Bit-depth flags of device descriptions (render and depth-buffer depths).
enum BitDepthFlags : std::uint32_t {
  DDBD_1 = 0x4000,
  DDBD_2 = 0x2000,
  DDBD_4 = 0x1000,
  DDBD_8 = 0x0800,
  DDBD_16 = 0x0400,
  DDBD_24 = 0x0200,
  DDBD_32 = 0x0100,
};

// Display capabilities.
enum CapsFlags : std::uint32_t {
  DDCAPS_3D = 0x00000001,
};

struct SurfaceDesc {
  std::uint32_t caps = 0;  // SurfaceCaps
  int width = 0;           // 0 for a primary surface: the display mode's size
  int height = 0;
  int pitch = 0;                                             // bytes per row (filled by the layer)
  d3d::PixelFormat format = d3d::PixelFormat::XRGB8888;     // colour surfaces
  int zBufferBitDepth = 0;                                    // z-buffer surfaces: 16, 24 or 32
  int backBufferCount = 0;                                    // complex flipping primaries
};

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int pitch = 0;
  int refreshRate = 0;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

struct PaletteEntry {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
  std::uint8_t flags;
};

struct Caps {
  std::uint32_t caps = 0;  // CapsFlags
  std::uint64_t videoMemoryTotal = 0;
  std::uint64_t videoMemoryFree = 0;
};

}  // namespace dd
