#include "tests/platform/d3d/gl/GLTarget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/d3d/gl/Adapters.h"

namespace gl_testing {

namespace {

int Channel(std::uint32_t color, int shift) { return static_cast<int>((color >> shift) & 0xFFu); }

}  // namespace

GLTarget::GLTarget(d3d::gl::GLDevice& device, int width, int height, d3d::PixelFormat format, int depthBits)
    : Device(device),
      Width(width),
      Height(height),
      Format(format),
      DepthBits(depthBits),
      Pixels(static_cast<std::size_t>(width) * height * d3d::BytesPerPixel(format), 0xCD),
      DepthPixels(static_cast<std::size_t>(width) * height * (depthBits == 16 ? 2 : 4), 0) {
  Bind();
}

d3d::ColorTarget GLTarget::Color() {
  return {Pixels.data(), Width * d3d::BytesPerPixel(Format), Width, Height, Format, nullptr};
}

d3d::DepthTarget GLTarget::Depth() {
  if (DepthBits == 0) return {};
  return {DepthPixels.data(), Width * (DepthBits == 16 ? 2 : 4), DepthBits};
}

std::uint32_t GLTarget::RawAt(int x, int y) const {
  const int bytes = d3d::BytesPerPixel(Format);
  std::uint32_t value = 0;
  std::memcpy(&value, &Pixels[(static_cast<std::size_t>(y) * Width + x) * bytes], static_cast<std::size_t>(bytes));
  return Format == d3d::PixelFormat::XRGB8888 ? value & 0xFFFFFFu : value;
}

std::uint32_t GLTarget::At(int x, int y) const {
  const std::uint32_t raw = RawAt(x, y);
  if (Format == d3d::PixelFormat::RGB565) {
    const std::uint32_t r = raw >> 11, g = (raw >> 5) & 63u, b = raw & 31u;
    return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
  }
  return 0xFF000000u | raw;
}

std::unique_ptr<d3d::gl::GLDevice> MakeDevice() {
  if (d3d::gl::Adapters().empty()) {
    ADD_FAILURE() << "no OpenGL adapter: is Mesa's EGL installed (libegl-mesa0, libgl1-mesa-dri)?";
    return nullptr;
  }
  std::string error;
  auto device = d3d::gl::GLDevice::Create(0, &error);
  if (!device) ADD_FAILURE() << "the OpenGL device cannot be made: " << error;
  return device;
}

Scene::Scene(d3d::gl::GLDevice& device, int width, int height, d3d::PixelFormat format, int depthBits)
    : Soft(width, height, format, depthBits), Gl(device, width, height, format, depthBits) {}

void Scene::ClearAll(std::uint32_t color) { Clear(0, 0, Soft.Width, Soft.Height, color, true); }

void Scene::Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth) {
  Soft.Device.Clear(left, top, right, bottom, color, depth);
  Gl.Device.Clear(left, top, right, bottom, color, depth);
}

void Scene::Draw(const d3d::DrawState& state, const std::vector<d3d::TLVertex>& vertices,
                 const std::vector<std::uint32_t>& indices) {
  Soft.Draw(state, vertices, indices);
  Gl.Device.DrawTriangles(state, vertices, indices);
}

Difference Compare(Scene& scene, int tolerance, const std::string& name) {
  scene.Flush();
  Difference difference;
  for (int y = 0; y < scene.Soft.Height; ++y) {
    for (int x = 0; x < scene.Soft.Width; ++x) {
      const std::uint32_t a = scene.Soft.At(x, y), b = scene.Gl.At(x, y);
      int largest = 0;
      for (const int shift : {0, 8, 16}) largest = std::max(largest, std::abs(Channel(a, shift) - Channel(b, shift)));
      difference.maxChannel = std::max(difference.maxChannel, largest);
      difference.overTolerance += largest > tolerance ? 1 : 0;
      ++difference.pixels;
    }
  }
  std::printf("[ gl vs soft ] %-28s max channel difference %3d, %4d of %5d pixels (%.2f%%) over %d\n", name.c_str(),
              difference.maxChannel, difference.overTolerance, difference.pixels, 100.0 * difference.Share(),
              tolerance);
  return difference;
}

}  // namespace gl_testing
