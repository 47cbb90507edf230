#pragma once

// The display object: cooperative level, display modes, surfaces, palettes, clippers and caps, and
// the enumeration of display devices.

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "platform/dd/Clipper.h"
#include "platform/dd/Palette.h"
#include "platform/dd/Surface.h"
#include "platform/dd/Types.h"
#include "platform/rtl/RefCounted.h"

namespace dd {

enum CooperativeFlags : std::uint32_t {
  DDSCL_NORMAL = 0x08,
  DDSCL_FULLSCREEN = 0x01,
  DDSCL_ALLOWREBOOT = 0x02,
  DDSCL_NOWINDOWCHANGES = 0x04,
  DDSCL_EXCLUSIVE = 0x10,
  DDSCL_ALLOWMODEX = 0x40,
};

// A display device: a 16-byte identifier (all zero for the primary display), its name and text.
struct DeviceIdentity {
  std::array<std::uint8_t, 16> guid{};
  std::string description;
  std::string name;
};

class Direct3D;

class DirectDraw : public rtl::RefCounted {
 public:
  std::int32_t SetCooperativeLevel(std::uintptr_t window, std::uint32_t flags);
  std::uint32_t CooperativeLevel() const { return FCooperativeLevel; }

  // Every mode once: the classic sizes 640X480 .. 1600X1200 at 8, 16, 24 and 32 bits, then the
  // desktop's own size at each depth when it is not one of them. Stops early when the callback says
  // false.
  std::int32_t EnumDisplayModes(const std::function<bool(const DisplayMode&)>& callback) const;
  std::int32_t GetDisplayMode(DisplayMode* mode) const;
  // A mode is a render size: the monitor is never touched, so restoring always succeeds.
  std::int32_t SetDisplayMode(int width, int height, int bitsPerPixel);
  std::int32_t RestoreDisplayMode();
  std::int32_t FlipToGDISurface();

  std::int32_t GetCaps(Caps* hardware, Caps* emulation) const;
  std::int32_t CreateSurface(const SurfaceDesc& desc, rtl::Ref<Surface>* surface);
  std::int32_t CreatePalette(std::span<const PaletteEntry> entries, rtl::Ref<Palette>* palette);
  std::int32_t CreateClipper(rtl::Ref<Clipper>* clipper);
  // The 3D object of this display (its device enumeration and device creation).
  std::int32_t QueryDirect3D(rtl::Ref<Direct3D>* direct3D);

  const DisplayMode& CurrentMode() const { return FMode; }

  // The desktop the layer reports while no mode is set: size and depth (set by the window layer from
  // the real screen; a memory-only display has a 1024X768X32 desktop).
  static void SetDesktop(const DisplayMode& desktop);
  static const DisplayMode& Desktop();

 private:
  std::uint32_t FCooperativeLevel = 0;
  DisplayMode FMode = Desktop();
  bool FModeSet = false;
};

// Creates the display object of a device (null guid: the primary display).
std::int32_t DirectDrawCreate(const std::array<std::uint8_t, 16>* guid, rtl::Ref<DirectDraw>* directDraw);
// Reports every display device: the primary display first (null guid), then any further device that
// can render. Stops early when the callback says false.
std::int32_t DirectDrawEnumerate(const std::function<bool(const DeviceIdentity& device, bool primary)>& callback);

}  // namespace dd
