#include "wallpaper/JpegPicture.h"

#include <bit>
#include <csetjmp>
#include <cstdio>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace wallpaper {

namespace {

// The largest picture decoded: 256 MiB of pixels, the same bound Qt keeps for the bitmaps it reads,
// so that a damaged or hostile header cannot claim all memory.
constexpr std::uint64_t kMaxPixels = 1u << 26;

struct ErrorManager {
  jpeg_error_mgr base;  // first: libjpeg hands back a pointer to it
  std::jmp_buf exit;
  char message[JMSG_LENGTH_MAX];
};

// libjpeg's errors must not return to it: the text is kept and the decoder left by a jump.
[[noreturn]] void ExitWithError(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  info->err->format_message(info, errors->message);
  std::longjmp(errors->exit, 1);
}

// Warnings about slightly damaged data: the picture still decodes, and there is no console to tell.
void IgnoreMessage(j_common_ptr) {}

// Only trivially destructible objects live across the jump, so leaving by it skips no destructor.
bool Decode(std::FILE* file, ErrorManager& errors, QImage& image) {
  jpeg_decompress_struct info;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = ExitWithError;
  errors.base.output_message = IgnoreMessage;
  if (setjmp(errors.exit) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  // The size is checked before decoding starts: the decoder of a progressive picture allocates room
  // for the whole picture there, and a header of a few bytes may claim gigabytes.
  if (std::uint64_t(info.image_width) * info.image_height <= kMaxPixels) {
    // Written in the byte order of QImage's 32-bit pixels; grey pictures are expanded to it too.
    info.out_color_space = std::endian::native == std::endian::little ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height), QImage::Format_RGB32);
  }
  if (image.isNull()) {
    std::snprintf(errors.message, sizeof errors.message, "the picture is too large (%ux%u)", info.image_width,
                  info.image_height);
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.scanLine(int(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

QImage LoadJpeg(const std::string& fileName) {
  std::FILE* file = std::fopen(fileName.c_str(), "rb");
  if (file == nullptr) throw rtl::EFOpenError(fileName);
  ErrorManager errors{};
  QImage image;
  const bool decoded = Decode(file, errors, image);
  std::fclose(file);
  if (!decoded) throw rtl::Exception(rtl::Format("Cannot read the picture %s: %s", fileName, errors.message));
  return image;
}

}  // namespace wallpaper
