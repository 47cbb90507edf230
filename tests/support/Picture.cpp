#include "tests/support/Picture.h"

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "render/PngFile.h"

namespace testing_support {

namespace {

std::string ReferencePath(const std::string& name) {
  return std::string(Q3D_SOURCE_DIR) + "/tests/references/" + name + ".png";
}

int ChannelDifference(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const int d = std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    worst = std::max(worst, d);
  }
  return worst;
}

// White where the pictures agree, red scaled by the difference where they do not.
Picture Difference(const Picture& a, const Picture& b, int tolerance) {
  Picture diff{a.Width, a.Height, std::vector<std::uint32_t>(a.Pixels.size(), 0xFFFFFFFFu)};
  for (std::size_t i = 0; i < a.Pixels.size(); ++i) {
    const int d = ChannelDifference(a.Pixels[i], b.Pixels[i]);
    if (d > tolerance) diff.Pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(std::min(255, 64 + d)) << 16;
  }
  return diff;
}

}  // namespace

Picture ReadPng(const std::string& fileName) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, fileName.c_str())) {
    throw std::runtime_error("cannot read " + fileName + ": " + image.message);
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  Picture picture{static_cast<int>(image.width), static_cast<int>(image.height), {}};
  picture.Pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, picture.Pixels.data(), 0, nullptr)) {
    throw std::runtime_error("cannot decode " + fileName + ": " + image.message);
  }
  return picture;
}

void WritePng(const std::string& fileName, const Picture& picture) {
  WritePngFile(fileName, picture.Width, picture.Height, picture.Pixels);
}

::testing::AssertionResult MatchesReference(const Picture& actual, const std::string& name, int tolerance) {
  const std::string reference = ReferencePath(name);
  const char* update = std::getenv("Q3D_UPDATE_REFERENCES");
  if (update != nullptr && std::string(update) == "1") {
    std::filesystem::create_directories(std::filesystem::path(reference).parent_path());
    WritePng(reference, actual);
    return ::testing::AssertionSuccess() << "rewrote " << reference;
  }
  if (!std::filesystem::exists(reference)) {
    WritePng(name + ".actual.png", actual);
    return ::testing::AssertionFailure() << "no reference picture " << reference
                                         << " (run with Q3D_UPDATE_REFERENCES=1 to write it)";
  }
  const Picture expected = ReadPng(reference);
  if (expected.Width != actual.Width || expected.Height != actual.Height) {
    WritePng(name + ".actual.png", actual);
    return ::testing::AssertionFailure() << name << ": size " << actual.Width << "x" << actual.Height
                                         << " differs from the reference's " << expected.Width << "x"
                                         << expected.Height;
  }
  int mismatches = 0;
  for (std::size_t i = 0; i < actual.Pixels.size(); ++i) {
    if (ChannelDifference(actual.Pixels[i], expected.Pixels[i]) > tolerance) ++mismatches;
  }
  if (mismatches == 0) return ::testing::AssertionSuccess();
  WritePng(name + ".actual.png", actual);
  WritePng(name + ".diff.png", Difference(actual, expected, tolerance));
  return ::testing::AssertionFailure() << name << ": " << mismatches << " pixels differ from " << reference
                                       << " by more than " << tolerance << "; see " << name << ".actual.png and "
                                       << name << ".diff.png in "
                                       << std::filesystem::current_path().string();
}

}  // namespace testing_support
