#include "platform/dd/DirectDraw.h"

#include <algorithm>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "platform/d3d/gl/Adapters.h"
#include "platform/dd/Direct3D.h"
#include "platform/dd/SurfaceLayout.h"
#include "platform/rtl/Faults.h"

namespace dd {

namespace {

constexpr std::pair<int, int> kClassicSizes[] = {{640, 480},  {800, 600},   {1024, 768},
                                                 {1152, 864}, {1280, 1024}, {1600, 1200}};
constexpr int kDepths[] = {8, 16, 24, 32};
constexpr std::uint32_t kFlipChain = DDSCAPS_FLIP | DDSCAPS_COMPLEX;

DisplayMode& DesktopMode() {
  static DisplayMode desktop{1024, 768, 32, 4096, 0};
  return desktop;
}

DisplayMode ModeOf(int width, int height, int bitsPerPixel) {
  return DisplayMode{width, height, bitsPerPixel, width * (bitsPerPixel / 8), 0};
}

bool Listed(const std::vector<DisplayMode>& modes, int width, int height, int bitsPerPixel) {
  return std::ranges::any_of(modes, [&](const DisplayMode& mode) {
    return mode.width == width && mode.height == height && mode.bitsPerPixel == bitsPerPixel;
  });
}

std::vector<DisplayMode> ModeList() {
  std::vector<DisplayMode> modes;
  for (const auto& [width, height] : kClassicSizes)
    for (const int bits : kDepths) modes.push_back(ModeOf(width, height, bits));
  const DisplayMode& desktop = DirectDraw::Desktop();
  for (const int bits : kDepths) {
    if (Listed(modes, desktop.width, desktop.height, bits)) continue;
    modes.push_back(ModeOf(desktop.width, desktop.height, bits));
  }
  return modes;
}

// The colour format a display depth shows, found through the formats' own depths.
std::optional<d3d::PixelFormat> FormatOfDepth(int bitsPerPixel) {
  using enum d3d::PixelFormat;
  for (const d3d::PixelFormat format : {Palette8, RGB565, RGB888, XRGB8888})
    if (d3d::BitsPerPixel(format) == bitsPerPixel) return format;
  return std::nullopt;
}

// Checked before anything is allocated, so a wild size costs nothing.
std::int32_t CheckSize(const SurfaceDesc& desc) {
  if (desc.width <= 0 || desc.height <= 0 || BytesPerPixel(desc) == 0) return DDERR_INVALIDPARAMS;
  // Divided rather than multiplied: the byte count of a wild size overflows even 64 bits.
  if (PitchOf(desc) > kMaxSurfaceBytes / desc.height) return DDERR_OUTOFMEMORY;
  return DD_OK;
}

// A primary asked for without a size takes the display mode's size and format.
std::int32_t Resolve(const SurfaceDesc& desc, const DisplayMode& mode, SurfaceDesc* resolved) {
  *resolved = desc;
  const bool flipping = (desc.caps & kFlipChain) == kFlipChain;
  // One back buffer is what Flip exchanges with; a longer chain would not be shown in turn.
  if (flipping && desc.backBufferCount != 1) return DDERR_INVALIDPARAMS;
  resolved->backBufferCount = flipping ? 1 : 0;
  if ((desc.caps & DDSCAPS_PRIMARYSURFACE) == 0 || desc.width != 0 || desc.height != 0) return CheckSize(*resolved);
  const auto format = FormatOfDepth(mode.bitsPerPixel);
  if (!format) return DDERR_INVALIDPARAMS;
  resolved->width = mode.width;
  resolved->height = mode.height;
  resolved->format = *format;
  return CheckSize(*resolved);
}

std::int32_t Build(const SurfaceDesc& desc, rtl::Ref<Surface>* surface) {
  auto front = rtl::MakeRef<Surface>(desc);
  if (desc.backBufferCount == 1) {
    SurfaceDesc backDesc = desc;
    backDesc.caps = DDSCAPS_BACKBUFFER | DDSCAPS_3DDEVICE;
    backDesc.backBufferCount = 0;
    const auto back = rtl::MakeRef<Surface>(backDesc);
    if (const auto code = front->AddAttachedSurface(back.Get())) return code;
  }
  *surface = std::move(front);
  return DD_OK;
}

// A graphics processor beside the one the primary display draws with: a display device of its own
// for the second-accelerator mode.
bool FurtherDevice(const std::array<std::uint8_t, 16>& guid) {
  const auto& adapters = d3d::gl::Adapters();
  for (std::uint32_t i = 1; i < adapters.size(); ++i)
    if (guid == HardwareDeviceGuid(i)) return true;
  return false;
}

}  // namespace

std::int32_t DirectDraw::SetCooperativeLevel(std::uintptr_t window, std::uint32_t flags) {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.SetCooperativeLevel")) return code;
  // Full screen means owning the display through a window.
  if ((flags & DDSCL_FULLSCREEN) != 0 && ((flags & DDSCL_EXCLUSIVE) == 0 || window == 0)) return DDERR_INVALIDPARAMS;
  FCooperativeLevel = flags;
  return DD_OK;
}

std::int32_t DirectDraw::EnumDisplayModes(const std::function<bool(const DisplayMode&)>& callback) const {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.EnumDisplayModes")) return code;
  if (!callback) return DDERR_INVALIDPARAMS;
  for (const DisplayMode& mode : ModeList())
    if (!callback(mode)) break;
  return DD_OK;
}

std::int32_t DirectDraw::GetDisplayMode(DisplayMode* mode) const {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.GetDisplayMode")) return code;
  if (mode == nullptr) return DDERR_INVALIDPARAMS;
  *mode = FModeSet ? FMode : Desktop();
  return DD_OK;
}

std::int32_t DirectDraw::SetDisplayMode(int width, int height, int bitsPerPixel) {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.SetDisplayMode")) return code;
  const std::vector<DisplayMode> modes = ModeList();
  if (!Listed(modes, width, height, bitsPerPixel)) return DDERR_INVALIDMODE;
  FMode = ModeOf(width, height, bitsPerPixel);
  FModeSet = true;
  return DD_OK;
}

std::int32_t DirectDraw::RestoreDisplayMode() {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.RestoreDisplayMode")) return code;
  FMode = Desktop();
  FModeSet = false;
  return DD_OK;
}

std::int32_t DirectDraw::FlipToGDISurface() {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.FlipToGDISurface")) return code;
  return DD_OK;
}

std::int32_t DirectDraw::GetCaps(Caps* hardware, Caps* emulation) const {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.GetCaps")) return code;
  if (hardware == nullptr && emulation == nullptr) return DDERR_INVALIDPARAMS;
  // Surfaces live in ordinary memory, up to the layer's own limit per surface; the display has 3D in
  // hardware when an OpenGL device can draw.
  const auto memory = static_cast<std::uint64_t>(kMaxSurfaceBytes);
  const std::uint32_t hardware3D = d3d::gl::Adapters().empty() ? 0u : std::uint32_t{DDCAPS_3D};
  if (hardware != nullptr) *hardware = Caps{hardware3D, memory, memory};
  if (emulation != nullptr) *emulation = Caps{DDCAPS_3D, memory, memory};
  return DD_OK;
}

std::int32_t DirectDraw::CreateSurface(const SurfaceDesc& desc, rtl::Ref<Surface>* surface) {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.CreateSurface")) return code;
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  SurfaceDesc resolved;
  if (const auto code = Resolve(desc, FModeSet ? FMode : Desktop(), &resolved)) return code;
  try {
    return Build(resolved, surface);
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
}

std::int32_t DirectDraw::CreatePalette(std::span<const PaletteEntry> entries, rtl::Ref<Palette>* palette) {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.CreatePalette")) return code;
  if (palette == nullptr || entries.size() > 256) return DDERR_INVALIDPARAMS;
  *palette = rtl::MakeRef<Palette>(entries);
  return DD_OK;
}

std::int32_t DirectDraw::CreateClipper(rtl::Ref<Clipper>* clipper) {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.CreateClipper")) return code;
  if (clipper == nullptr) return DDERR_INVALIDPARAMS;
  *clipper = rtl::MakeRef<Clipper>();
  return DD_OK;
}

std::int32_t DirectDraw::QueryDirect3D(rtl::Ref<Direct3D>* direct3D) {
  if (const auto code = rtl::faults::Check("dd.DirectDraw.QueryDirect3D")) return code;
  if (direct3D == nullptr) return DDERR_INVALIDPARAMS;
  *direct3D = rtl::MakeRef<Direct3D>();
  return DD_OK;
}

void DirectDraw::SetDesktop(const DisplayMode& desktop) { DesktopMode() = desktop; }

const DisplayMode& DirectDraw::Desktop() { return DesktopMode(); }

std::int32_t DirectDrawCreate(const std::array<std::uint8_t, 16>* guid, rtl::Ref<DirectDraw>* directDraw) {
  if (const auto code = rtl::faults::Check("dd.DirectDrawCreate")) return code;
  if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
  // The primary's enumerated identifier (all zero) names it as well as a null one does.
  if (guid != nullptr && *guid != std::array<std::uint8_t, 16>{} && !FurtherDevice(*guid)) return DDERR_NOTFOUND;
  *directDraw = rtl::MakeRef<DirectDraw>();
  return DD_OK;
}

std::int32_t DirectDrawEnumerate(const std::function<bool(const DeviceIdentity& device, bool primary)>& callback) {
  if (const auto code = rtl::faults::Check("dd.DirectDrawEnumerate")) return code;
  if (!callback) return DDERR_INVALIDPARAMS;
  if (!callback(DeviceIdentity{{}, "Primary display", "display"}, true)) return DD_OK;
  const auto& adapters = d3d::gl::Adapters();
  for (std::uint32_t i = 1; i < adapters.size(); ++i)
    if (!callback(DeviceIdentity{HardwareDeviceGuid(i), adapters[i].name, "display" + std::to_string(i)}, false)) break;
  return DD_OK;
}

}  // namespace dd
