#include "platform/dd/Surface.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/dd/Presenter.h"
#include "platform/dd/SurfaceLayout.h"
#include "platform/rtl/Faults.h"

namespace dd {

namespace {

Rect WholeOf(const SurfaceDesc& desc) { return Rect{0, 0, desc.width, desc.height}; }
Rect RectOr(const Rect* rect, const SurfaceDesc& desc) { return rect != nullptr ? *rect : WholeOf(desc); }

bool IsInverted(const Rect& rect) { return rect.right < rect.left || rect.bottom < rect.top; }

// Blit rectangles reach no further than any surface can (1 GiB), which keeps the scaling
// arithmetic inside 64 bits.
bool IsBlitRect(const Rect& rect) {
  constexpr int kFarthest = 1 << 29;
  const auto near = [](int coordinate) { return coordinate >= -kFarthest && coordinate <= kFarthest; };
  return !IsInverted(rect) && near(rect.left) && near(rect.top) && near(rect.right) && near(rect.bottom);
}

bool IsEmpty(const Rect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

bool Contains(const Rect& outer, const Rect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

Rect Intersect(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

// Writes `value` into every pixel of `rect` (already inside the surface): its bytes least
// significant first, which is the memory layout of every colour and depth format.
void FillRect(std::uint8_t* pixels, int pitch, int bytesPerPixel, const Rect& rect, std::uint32_t value) {
  const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                          static_cast<std::uint8_t>(value >> 16),
                                          static_cast<std::uint8_t>(value >> 24)};
  const std::size_t rowBytes = std::size_t(rect.right - rect.left) * bytesPerPixel;
  std::uint8_t* first = pixels + std::size_t(rect.top) * pitch + std::size_t(rect.left) * bytesPerPixel;
  for (std::size_t offset = 0; offset < rowBytes; offset += bytesPerPixel)
    std::memcpy(first + offset, bytes.data(), bytesPerPixel);
  for (int y = rect.top + 1; y < rect.bottom; ++y)
    std::memcpy(first + std::size_t(y - rect.top) * pitch, first, rowBytes);
}

// One axis of a scaled copy: the destination pixels from `first` on whose nearest source pixel lies
// inside the source, and that source pixel for each. The mapping is fixed by the rectangles as given,
// so clipping either side never changes the scale.
struct AxisMap {
  int first = 0;
  std::vector<int> source;
};

AxisMap MapAxis(int destFrom, int destTo, int destSize, int sourceFrom, int sourceTo, int sourceSize) {
  const std::int64_t destLength = destTo - destFrom;
  const std::int64_t sourceLength = sourceTo - sourceFrom;
  // Sampling at pixel centres makes a reduction pick the middle of each source span.
  const auto sourceOf = [&](int d) {
    return sourceFrom + static_cast<int>((2 * std::int64_t{d - destFrom} + 1) * sourceLength / (2 * destLength));
  };
  AxisMap map;
  int d = std::max(destFrom, 0);
  const int end = std::min(destTo, destSize);
  while (d < end && sourceOf(d) < 0) ++d;
  map.first = d;
  for (; d < end && sourceOf(d) < sourceSize; ++d) map.source.push_back(sourceOf(d));
  return map;
}

Surface* FindAttached(const std::vector<rtl::Ref<Surface>>& attached, std::uint32_t caps) {
  const auto found = std::ranges::find_if(
      attached, [caps](const rtl::Ref<Surface>& surface) { return (surface->Desc().caps & caps) == caps; });
  return found != attached.end() ? found->Get() : nullptr;
}

// Fills an out-parameter with a reference of its own, or says what is missing.
template <class T>
std::int32_t Hand(T* object, rtl::Ref<T>* out, std::int32_t missing) {
  if (out == nullptr) return DDERR_INVALIDPARAMS;
  if (object == nullptr) return missing;
  *out = rtl::Ref<T>(object);
  return DD_OK;
}

}  // namespace

Surface::Surface(const SurfaceDesc& desc) : FDesc(desc) {
  FDesc.pitch = static_cast<int>(PitchOf(FDesc));
  FPixels.resize(StorageBytes(FDesc));
}

std::int32_t Surface::GetSurfaceDesc(SurfaceDesc* desc) const {
  if (const auto code = rtl::faults::Check("dd.Surface.GetSurfaceDesc")) return code;
  if (desc == nullptr) return DDERR_INVALIDPARAMS;
  *desc = FDesc;
  return DD_OK;
}

std::int32_t Surface::Lock(const Rect* rect, SurfaceDesc* desc, std::uint8_t** bits) {
  if (const auto code = rtl::faults::Check("dd.Surface.Lock")) return code;
  if (FLost) return DDERR_SURFACELOST;
  if (FLocked) return DDERR_SURFACEBUSY;
  const Rect area = RectOr(rect, FDesc);
  if (bits == nullptr || IsEmpty(area) || !Contains(WholeOf(FDesc), area)) return DDERR_INVALIDPARAMS;
  if (desc != nullptr) *desc = FDesc;
  *bits = FPixels.data() + std::size_t(area.top) * FDesc.pitch + std::size_t(area.left) * BytesPerPixel(FDesc);
  FLocked = true;
  return DD_OK;
}

std::int32_t Surface::Unlock() {
  if (const auto code = rtl::faults::Check("dd.Surface.Unlock")) return code;
  if (FLost) return DDERR_SURFACELOST;
  if (!FLocked) return DDERR_NOTLOCKED;
  FLocked = false;
  return DD_OK;
}

std::int32_t Surface::BltColorFill(const Rect* rect, std::uint32_t value) {
  if (const auto code = rtl::faults::Check("dd.Surface.BltColorFill")) return code;
  if (FLost) return DDERR_SURFACELOST;
  if (FLocked) return DDERR_SURFACEBUSY;
  const Rect area = RectOr(rect, FDesc);
  if (IsInverted(area)) return DDERR_INVALIDPARAMS;
  const Rect clipped = Intersect(area, WholeOf(FDesc));
  if (!IsEmpty(clipped)) FillRect(FPixels.data(), FDesc.pitch, BytesPerPixel(FDesc), clipped, value);
  return DD_OK;
}

std::int32_t Surface::Blt(const Rect* destRect, Surface* source, const Rect* sourceRect) {
  if (const auto code = rtl::faults::Check("dd.Surface.Blt")) return code;
  if (source == nullptr) return DDERR_INVALIDPARAMS;
  if (FLost || source->FLost) return DDERR_SURFACELOST;
  if (FLocked || source->FLocked) return DDERR_SURFACEBUSY;
  const Rect to = RectOr(destRect, FDesc);
  const Rect from = RectOr(sourceRect, source->FDesc);
  if (!IsBlitRect(to) || !IsBlitRect(from) || !SamePixelFormat(FDesc, source->FDesc)) return DDERR_INVALIDPARAMS;
  if (IsEmpty(to) || IsEmpty(from)) return DD_OK;
  if (const std::uintptr_t window = PresentedWindow()) return CurrentPresenter()->Show(window, *source, from, false, true);

  const AxisMap columns = MapAxis(to.left, to.right, FDesc.width, from.left, from.right, source->FDesc.width);
  const AxisMap rows = MapAxis(to.top, to.bottom, FDesc.height, from.top, from.bottom, source->FDesc.height);
  if (columns.source.empty() || rows.source.empty()) return DD_OK;
  // A copy within one surface reads a snapshot, so overlapping rectangles read the old pixels.
  const std::vector<std::uint8_t> snapshot = source == this ? FPixels : std::vector<std::uint8_t>{};
  const std::uint8_t* in = source == this ? snapshot.data() : source->FPixels.data();
  const std::size_t bytesPerPixel = BytesPerPixel(FDesc);
  const bool sameWidth = to.right - to.left == from.right - from.left;
  for (std::size_t y = 0; y < rows.source.size(); ++y) {
    std::uint8_t* out = FPixels.data() + (rows.first + y) * FDesc.pitch + columns.first * bytesPerPixel;
    const std::uint8_t* row = in + std::size_t(rows.source[y]) * source->FDesc.pitch;
    if (sameWidth) {
      std::memcpy(out, row + columns.source.front() * bytesPerPixel, columns.source.size() * bytesPerPixel);
      continue;
    }
    for (std::size_t x = 0; x < columns.source.size(); ++x)
      std::memcpy(out + x * bytesPerPixel, row + columns.source[x] * bytesPerPixel, bytesPerPixel);
  }
  return DD_OK;
}

std::int32_t Surface::Flip(std::uint32_t flags) {
  if (const auto code = rtl::faults::Check("dd.Surface.Flip")) return code;
  if (FLost) return DDERR_SURFACELOST;
  Surface* back = FindAttached(FAttached, DDSCAPS_BACKBUFFER);
  if (back == nullptr) return DDERR_NOTFOUND;
  if (back->FLost) return DDERR_SURFACELOST;
  if (FLocked || back->FLocked) return DDERR_SURFACEBUSY;
  // Exchanging storage is only a flip when both read the same way.
  if (back->FDesc.width != FDesc.width || back->FDesc.height != FDesc.height ||
      !SamePixelFormat(FDesc, back->FDesc))
    return DDERR_INVALIDPARAMS;
  FPixels.swap(back->FPixels);
  if (const std::uintptr_t window = PresentedWindow())
    return CurrentPresenter()->Show(window, *this, Rect{0, 0, FDesc.width, FDesc.height}, true,
                                    (flags & DDFLIP_WAIT) != 0);
  return DD_OK;
}

std::int32_t Surface::GetDC(d3d::ColorTarget* dc) {
  if (const auto code = rtl::faults::Check("dd.Surface.GetDC")) return code;
  if (dc == nullptr || (FDesc.caps & DDSCAPS_ZBUFFER) != 0) return DDERR_INVALIDPARAMS;
  SurfaceDesc desc;
  std::uint8_t* bits = nullptr;
  if (const auto code = Lock(nullptr, &desc, &bits)) return code;
  *dc = d3d::ColorTarget{bits, desc.pitch, desc.width, desc.height, desc.format,
                         FPalette ? FPalette->Colors().data() : nullptr};
  return DD_OK;
}

// The context goes back even when the call reports a failure: text never leaves a surface locked.
std::int32_t Surface::ReleaseDC() {
  const std::int32_t fault = rtl::faults::Check("dd.Surface.ReleaseDC");
  if (!FLocked) return DDERR_NOTLOCKED;
  FLocked = false;
  return fault;
}

std::uintptr_t Surface::PresentedWindow() const {
  if ((FDesc.caps & DDSCAPS_PRIMARYSURFACE) == 0 || !FClipper || CurrentPresenter() == nullptr) return 0;
  std::uintptr_t window = 0;
  FClipper->GetHWnd(&window);
  return window;
}

std::int32_t Surface::AddAttachedSurface(Surface* surface) {
  if (const auto code = rtl::faults::Check("dd.Surface.AddAttachedSurface")) return code;
  if (surface == nullptr || surface == this) return DDERR_INVALIDPARAMS;
  if (std::ranges::find(FAttached, surface, &rtl::Ref<Surface>::Get) != FAttached.end())
    return DDERR_SURFACEALREADYATTACHED;
  FAttached.emplace_back(surface);
  return DD_OK;
}

std::int32_t Surface::DeleteAttachedSurface(Surface* surface) {
  if (const auto code = rtl::faults::Check("dd.Surface.DeleteAttachedSurface")) return code;
  if (surface == nullptr) return DDERR_INVALIDPARAMS;
  const auto found = std::ranges::find(FAttached, surface, &rtl::Ref<Surface>::Get);
  if (found == FAttached.end()) return DDERR_NOTFOUND;
  FAttached.erase(found);
  return DD_OK;
}

std::int32_t Surface::GetAttachedSurface(std::uint32_t caps, rtl::Ref<Surface>* surface) const {
  if (const auto code = rtl::faults::Check("dd.Surface.GetAttachedSurface")) return code;
  return Hand(FindAttached(FAttached, caps), surface, DDERR_NOTFOUND);
}

std::int32_t Surface::SetPalette(Palette* palette) {
  if (const auto code = rtl::faults::Check("dd.Surface.SetPalette")) return code;
  // Only palettised surfaces read through a palette; detaching (null) is harmless anywhere.
  const bool palettised = (FDesc.caps & DDSCAPS_ZBUFFER) == 0 && FDesc.format == d3d::PixelFormat::Palette8;
  if (palette != nullptr && !palettised) return DDERR_INVALIDPARAMS;
  FPalette = rtl::Ref<Palette>(palette);
  return DD_OK;
}

std::int32_t Surface::GetPalette(rtl::Ref<Palette>* palette) const {
  if (const auto code = rtl::faults::Check("dd.Surface.GetPalette")) return code;
  return Hand(FPalette.Get(), palette, DDERR_NOPALETTEATTACHED);
}

std::int32_t Surface::SetClipper(Clipper* clipper) {
  if (const auto code = rtl::faults::Check("dd.Surface.SetClipper")) return code;
  FClipper = rtl::Ref<Clipper>(clipper);
  return DD_OK;
}

std::int32_t Surface::GetClipper(rtl::Ref<Clipper>* clipper) const {
  if (const auto code = rtl::faults::Check("dd.Surface.GetClipper")) return code;
  return Hand(FClipper.Get(), clipper, DDERR_NOTFOUND);
}

std::int32_t Surface::IsLost() const {
  if (const auto code = rtl::faults::Check("dd.Surface.IsLost")) return code;
  return FLost ? DDERR_SURFACELOST : DD_OK;
}

std::int32_t Surface::Restore() {
  if (const auto code = rtl::faults::Check("dd.Surface.Restore")) return code;
  if (!FLost) return DD_OK;
  FPixels.resize(StorageBytes(FDesc));
  FLost = false;
  return DD_OK;
}

void Surface::MarkLost() {
  // The memory goes for real, so a stale pointer from an earlier lock shows up under the sanitizers.
  std::vector<std::uint8_t>().swap(FPixels);
  FLocked = false;
  FLost = true;
}

}  // namespace dd
