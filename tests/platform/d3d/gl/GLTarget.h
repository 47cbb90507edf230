#pragma once

// Scenes drawn by both rasterizers: a software device and an OpenGL device, each into a memory target
// of its own of the same shape, and the comparison of what they drew.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d/Types.h"
#include "platform/d3d/gl/GLDevice.h"
#include "tests/platform/d3d/SoftTarget.h"

namespace gl_testing {

// A memory colour target (and optional depth buffer) drawn by the OpenGL device. Its memory starts as
// `fill` bytes, like the software target's.
struct GLTarget {
  GLTarget(d3d::gl::GLDevice& device, int width, int height, d3d::PixelFormat format, int depthBits = 0);

  d3d::ColorTarget Color();
  d3d::DepthTarget Depth();
  void Bind() { Device.SetTargets(Color(), Depth()); }
  // 0xFFRRGGBB, 5-6-5 widened by bit replication (as SoftTarget::At).
  std::uint32_t At(int x, int y) const;
  std::uint32_t RawAt(int x, int y) const;

  d3d::gl::GLDevice& Device;
  int Width, Height;
  d3d::PixelFormat Format;
  int DepthBits;
  std::vector<std::uint8_t> Pixels;
  std::vector<std::uint8_t> DepthPixels;
};

// An OpenGL device on the first adapter; fails the test (null) when none can be made.
std::unique_ptr<d3d::gl::GLDevice> MakeDevice();

// A fixture with an OpenGL device of the first adapter; skipped on a machine without one.
class GLDeviceFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    device = MakeDevice();
    if (!device) GTEST_SKIP() << "no OpenGL device";
  }
  std::unique_ptr<d3d::gl::GLDevice> device;
};

// The same target shape drawn by both devices. Every call goes to both; Flush copies the OpenGL
// picture into its memory.
struct Scene {
  Scene(d3d::gl::GLDevice& device, int width, int height, d3d::PixelFormat format, int depthBits = 0);

  void ClearAll(std::uint32_t color);
  void Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth);
  void Draw(const d3d::DrawState& state, const std::vector<d3d::TLVertex>& vertices,
            const std::vector<std::uint32_t>& indices);
  void Flush() { Gl.Device.Flush(); }

  soft_testing::SoftTarget Soft;
  GLTarget Gl;
};

// How far the two pictures are apart: per pixel the largest channel difference.
struct Difference {
  int maxChannel = 0;     // over all pixels
  int overTolerance = 0;  // pixels whose largest channel difference exceeds the tolerance
  int pixels = 0;
  double Share() const { return pixels == 0 ? 0.0 : static_cast<double>(overTolerance) / pixels; }
};

// Flushes the OpenGL device, compares, and prints the figures (so that the measured differences show
// in the test log).
Difference Compare(Scene& scene, int tolerance, const std::string& name);

}  // namespace gl_testing
