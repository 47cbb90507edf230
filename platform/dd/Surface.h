#pragma once

// A display surface: a block of pixels (colour) or depths (z-buffer) in memory, with the calls of
// the original surfaces: lock/unlock, colour-fill blit, copy blit, flip, attached surfaces, palette,
// clipper, lost and restore. Window-backed primaries build on this (the window shows its pixels).

#include <cstdint>
#include <vector>

#include "platform/dd/Clipper.h"
#include "platform/dd/Palette.h"
#include "platform/dd/Types.h"
#include "platform/rtl/RefCounted.h"

namespace dd {

class Surface : public rtl::RefCounted {
 public:
  // desc must have its size, caps and (colour) format or (depth) zBufferBitDepth set.
  explicit Surface(const SurfaceDesc& desc);

  std::int32_t GetSurfaceDesc(SurfaceDesc* desc) const;
  // The whole surface (rect null) or a rectangle of it; desc receives the pitch and *bits the
  // first byte. A lost surface cannot be locked (DDERR_SURFACELOST).
  std::int32_t Lock(const Rect* rect, SurfaceDesc* desc, std::uint8_t** bits);
  std::int32_t Unlock();
  bool IsLockedNow() const { return FLocked; }

  // Colour fill of a rectangle (null: all) with a value in the surface's own pixel format.
  std::int32_t BltColorFill(const Rect* rect, std::uint32_t value);
  // Copies (scaling by nearest pixel when the sizes differ) a rectangle of source into one of this
  // surface; both of the same format.
  std::int32_t Blt(const Rect* destRect, Surface* source, const Rect* sourceRect);
  // Exchanges the pixels of this (front) surface with its attached back buffer. DDFLIP_WAIT paces the
  // flip to the display's refresh.
  std::int32_t Flip(std::uint32_t flags = 0);

  // The surface's memory for drawing text and pictures on it: locked until ReleaseDC.
  std::int32_t GetDC(d3d::ColorTarget* dc);
  std::int32_t ReleaseDC();

  std::int32_t AddAttachedSurface(Surface* surface);
  std::int32_t DeleteAttachedSurface(Surface* surface);
  // The first attached surface whose caps include all of `caps`; DDERR_NOTFOUND otherwise.
  std::int32_t GetAttachedSurface(std::uint32_t caps, rtl::Ref<Surface>* surface) const;

  std::int32_t SetPalette(Palette* palette);
  std::int32_t GetPalette(rtl::Ref<Palette>* palette) const;
  std::int32_t SetClipper(Clipper* clipper);
  std::int32_t GetClipper(rtl::Ref<Clipper>* clipper) const;

  // DDERR_SURFACELOST after the backing store went away; Restore reallocates it (contents undefined).
  std::int32_t IsLost() const;
  std::int32_t Restore();
  // The backing store goes away (the window it belonged to changed, or a test says so).
  void MarkLost();

  int Width() const { return FDesc.width; }
  int Height() const { return FDesc.height; }
  int Pitch() const { return FDesc.pitch; }
  const SurfaceDesc& Desc() const { return FDesc; }
  // Direct access for the layers that draw into memory surfaces; valid while not lost.
  std::uint8_t* Pixels() { return FPixels.data(); }
  const std::uint8_t* Pixels() const { return FPixels.data(); }

 private:
  // A primary surface bound to a window through its clipper is shown by the presenter.
  std::uintptr_t PresentedWindow() const;

  SurfaceDesc FDesc;
  std::vector<std::uint8_t> FPixels;
  bool FLost = false;
  bool FLocked = false;
  std::vector<rtl::Ref<Surface>> FAttached;
  rtl::Ref<Palette> FPalette;
  rtl::Ref<Clipper> FClipper;
};

}  // namespace dd
