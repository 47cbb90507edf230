#pragma once

// A retained-mode scene drawn by the software device into memory surfaces, for tests: the display
// object, a target with an attached depth buffer, the root object, device, viewport, scene and
// camera, and a few meshes and textures built in code.

#include <cstdint>
#include <vector>

#include "platform/dd/Direct3D.h"
#include "platform/dd/DirectDraw.h"
#include "platform/rm/Direct3DRM.h"
#include "tests/support/Picture.h"

namespace rm_testing {

struct RmScene {
  RmScene(int width, int height, d3d::PixelFormat format, int depthBits = 16,
          const std::array<std::uint8_t, 16>& driver = dd::kRGBDeviceGuid);

  // Clears the viewport to the scene's background and draws the scene.
  testing_support::Picture Render();
  // The target as a picture (8-bit pixels through the palette, 5-6-5 widened by bit replication).
  testing_support::Picture Capture();

  rtl::Ref<rm::Frame> AddFrame(rm::Frame* parent = nullptr);
  // A cube of the given half size, one group with normals and texture coordinates per face.
  rtl::Ref<rm::Mesh> Cube(float half, std::uint32_t color = 0xFFFFFFFFu);
  // A square of the given half size in the x-z plane facing +y, split into cells × cells quads.
  rtl::Ref<rm::Mesh> Ground(float half, int cells, std::uint32_t color, float repeat = 1.0f);
  // A 32-bit checkerboard texture of size × size texels, squares of `square` texels.
  rtl::Ref<rm::Texture> Checker(int size, int square, std::uint32_t a, std::uint32_t b);
  rtl::Ref<rm::Light> AddLight(rm::Frame* frame, rm::LightType type, float r, float g, float b);

  int Width, Height;
  rtl::Ref<dd::DirectDraw> DirectDraw;
  rtl::Ref<dd::Surface> Target;
  rtl::Ref<dd::Surface> Depth;
  rtl::Ref<dd::Palette> Palette;
  rtl::Ref<rm::Direct3DRM> Root;
  rtl::Ref<rm::Device> Device;
  rtl::Ref<rm::Frame> Scene;
  rtl::Ref<rm::Frame> Camera;
  rtl::Ref<rm::Viewport> Viewport;
  // Pixels of the textures made here, kept alive as the application keeps its pictures.
  std::vector<std::vector<std::uint32_t>> TexturePixels;
};

}  // namespace rm_testing
