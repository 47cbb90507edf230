// libFuzzer target: picture files of any content given to the wallpaper's JPEG reader. A file that
// is no readable JPEG picture, or too large a one, raises the reader's message; a picture read has
// the size its header gave, within the reader's bound.
//
// The file lives in a private temporary folder.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "wallpaper/JpegPicture.h"

namespace {

std::filesystem::path& Folder() {
  static std::filesystem::path folder;
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string pattern = (std::filesystem::temp_directory_path() / "q3d-picture-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  Folder() = pattern;
  std::atexit([] { std::filesystem::remove_all(Folder()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string file = (Folder() / "picture.jpg").string();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  try {
    const QImage picture = wallpaper::LoadJpeg(file);
    if (picture.isNull() || std::int64_t{picture.width()} * picture.height() > (std::int64_t{1} << 26)) std::abort();
  } catch (const rtl::Exception&) {
    // Not a readable JPEG picture.
  }
  return 0;
}
