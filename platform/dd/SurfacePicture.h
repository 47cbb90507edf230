#pragma once

// The pixels of a surface as 0xAARRGGBB words, rows from the top: 8-bit pixels through the
// surface's palette, 5-6-5 widened by repeating the high bits, alpha always opaque. For pictures
// taken of what a device drew (headless frames, tests).

#include <cstdint>
#include <vector>

#include "platform/dd/Surface.h"

namespace dd {

std::vector<std::uint32_t> SurfacePicture(const Surface& surface);

}  // namespace dd
