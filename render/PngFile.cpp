#include "render/PngFile.h"

#include <png.h>

#include "platform/rtl/Exceptions.h"

void WritePngFile(const std::string& fileName, int width, int height, std::span<const std::uint32_t> pixels) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  if (pixels.size() < static_cast<std::size_t>(width) * height ||
      !png_image_write_to_file(&image, fileName.c_str(), 0, pixels.data(), 0, nullptr)) {
    throw rtl::EFCreateError(fileName);
  }
}
