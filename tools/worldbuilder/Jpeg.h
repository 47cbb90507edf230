#pragma once

// Writes a picture as a JPEG file through libjpeg.

#include <cstdint>
#include <string>
#include <vector>

namespace worldbuilder {

// `pixels`: 0xAARRGGBB words, rows from the top. Raises an exception naming the file on failure.
void WriteJpegFile(const std::string& fileName, int width, int height, const std::vector<std::uint32_t>& pixels,
                   int quality = 90);

}  // namespace worldbuilder
