#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// An RGBA picture, one 0xAARRGGBB word per pixel, rows from the top.
struct Picture {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;

  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

Picture ReadPng(const std::string& fileName);
void WritePng(const std::string& fileName, const Picture& picture);

// Compares a picture with the reference tests/references/<name>.png, pixel for pixel (each channel
// may differ by at most `tolerance`). On a mismatch the actual picture and a difference picture are
// written beside the test log as <name>.actual.png and <name>.diff.png. With the environment variable
// Q3D_UPDATE_REFERENCES=1 the reference is (re)written instead; a missing reference is a failure.
::testing::AssertionResult MatchesReference(const Picture& actual, const std::string& name, int tolerance = 0);

}  // namespace testing_support
