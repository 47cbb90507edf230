#pragma once

// How a surface lays out its pixels in memory: the one place that knows bytes per pixel, so that
// creation, locking, fills and blits agree.

#include <cstdint>

#include "platform/dd/Types.h"

namespace dd {

// The largest surface the layer allocates; a bigger request is refused before allocation.
constexpr std::int64_t kMaxSurfaceBytes = std::int64_t{1} << 30;

// Bytes of one pixel (colour) or depth (z-buffer); 0 for a description the layer cannot hold.
int BytesPerPixel(const SurfaceDesc& desc);
// Bytes per row: the pixels of a row rounded up to 4, so that every row starts word-aligned.
std::int64_t PitchOf(const SurfaceDesc& desc);
std::int64_t StorageBytes(const SurfaceDesc& desc);
// Blits and flips only move pixels between surfaces that read the same way.
bool SamePixelFormat(const SurfaceDesc& a, const SurfaceDesc& b);

}  // namespace dd
