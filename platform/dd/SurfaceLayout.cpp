#include "platform/dd/SurfaceLayout.h"

#include <algorithm>

namespace dd {

namespace {

bool IsZBuffer(const SurfaceDesc& desc) { return (desc.caps & DDSCAPS_ZBUFFER) != 0; }

}  // namespace

int BytesPerPixel(const SurfaceDesc& desc) {
  if (!IsZBuffer(desc)) return d3d::BytesPerPixel(desc.format);
  switch (desc.zBufferBitDepth) {
    case 16: return 2;
    case 24:  // 24-bit depths live in the low bits of a 32-bit word
    case 32: return 4;
    default: return 0;
  }
}

std::int64_t PitchOf(const SurfaceDesc& desc) {
  const std::int64_t rowBytes = std::int64_t{std::max(desc.width, 0)} * BytesPerPixel(desc);
  return (rowBytes + 3) & ~std::int64_t{3};
}

std::int64_t StorageBytes(const SurfaceDesc& desc) { return PitchOf(desc) * std::max(desc.height, 0); }

bool SamePixelFormat(const SurfaceDesc& a, const SurfaceDesc& b) {
  if (IsZBuffer(a) != IsZBuffer(b)) return false;
  return IsZBuffer(a) ? a.zBufferBitDepth == b.zBufferBitDepth : a.format == b.format;
}

}  // namespace dd
