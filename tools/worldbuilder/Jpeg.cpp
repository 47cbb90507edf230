#include "tools/worldbuilder/Jpeg.h"

#include <jpeglib.h>

#include <cstdio>
#include <memory>

#include "platform/rtl/Exceptions.h"

namespace worldbuilder {

void WriteJpegFile(const std::string& fileName, int width, int height, const std::vector<std::uint32_t>& pixels,
                   int quality) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(fileName.c_str(), "wb"), &std::fclose);
  if (!file) throw rtl::Exception("Cannot write " + fileName);
  jpeg_compress_struct jpeg{};
  jpeg_error_mgr errors{};
  jpeg.err = jpeg_std_error(&errors);
  jpeg_create_compress(&jpeg);
  jpeg_stdio_dest(&jpeg, file.get());
  jpeg.image_width = static_cast<JDIMENSION>(width);
  jpeg.image_height = static_cast<JDIMENSION>(height);
  jpeg.input_components = 3;
  jpeg.in_color_space = JCS_RGB;
  jpeg_set_defaults(&jpeg);
  jpeg_set_quality(&jpeg, quality, TRUE);
  jpeg_start_compress(&jpeg, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
  while (jpeg.next_scanline < jpeg.image_height) {
    const std::uint32_t* source = pixels.data() + static_cast<std::size_t>(jpeg.next_scanline) * width;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = static_cast<JSAMPLE>(source[x] >> 16);
      row[3 * x + 1] = static_cast<JSAMPLE>(source[x] >> 8);
      row[3 * x + 2] = static_cast<JSAMPLE>(source[x]);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&jpeg, rows, 1);
  }
  jpeg_finish_compress(&jpeg);
  jpeg_destroy_compress(&jpeg);
}

}  // namespace worldbuilder
