#pragma once

// Pictures written as PNG files: 0xAARRGGBB words, rows from the top.

#include <cstdint>
#include <span>
#include <string>

// Raises "Cannot create file <name>" when the file cannot be written.
void WritePngFile(const std::string& fileName, int width, int height, std::span<const std::uint32_t> pixels);
