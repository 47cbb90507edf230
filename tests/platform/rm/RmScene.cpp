#include "tests/platform/rm/RmScene.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/dd/SurfacePicture.h"
#include "platform/rm/DeviceSetUp.h"

namespace rm_testing {

namespace {

void Check(std::int32_t result, std::string_view what) {
  if (result != 0) throw std::runtime_error(std::string(what) + " failed with " + std::to_string(result));
}

constexpr rm::SetUpMessages kSetUpMessages{
    .createTarget = "CreateSurface",
    .createZBuffer = "CreateSurface depth",
    .attachZBuffer = "AddAttachedSurface",
    .createPalette = "CreatePalette",
    .setPalette = "SetPalette",
    .createRasterizer = "CreateDevice",
    .createDevice = "CreateDeviceFromD3D",
};

struct Face {
  rm::Vector normal, right, up;
};

// Each face's right × up points into the cube, so its corners run clockwise seen from outside.
constexpr Face kCubeFaces[6] = {
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
};

}  // namespace

RmScene::RmScene(int width, int height, d3d::PixelFormat format, int depthBits,
                 const std::array<std::uint8_t, 16>& driver)
    : Width(width), Height(height) {
  Check(dd::DirectDrawCreate(nullptr, &DirectDraw), "DirectDrawCreate");
  const rm::DeviceSetUp setUp(*DirectDraw, Check, kSetUpMessages);
  Target = setUp.CreateMemoryTarget(width, height, format);
  if (depthBits != 0) Depth = setUp.AttachZBuffer(*Target, width, height, depthBits, dd::DDSCAPS_SYSTEMMEMORY);
  Palette = setUp.AttachEvenPalette(*Target);
  rtl::Ref<dd::Direct3D> direct3D;
  Check(DirectDraw->QueryDirect3D(&direct3D), "QueryDirect3D");
  Check(rm::Direct3DRMCreate(&Root), "Direct3DRMCreate");
  Device = setUp.CreateDevice(*direct3D, *Root, driver, *Target, driver == dd::kRampDeviceGuid);
  Check(Root->CreateFrame(nullptr, &Scene), "CreateFrame scene");
  Check(Root->CreateFrame(Scene.Get(), &Camera), "CreateFrame camera");
  Check(Root->CreateViewport(Device.Get(), Camera.Get(), 0, 0, width, height, &Viewport), "CreateViewport");
}

testing_support::Picture RmScene::Render() {
  Check(Viewport->Clear(), "Clear");
  Check(Viewport->Render(Scene.Get()), "Render");
  return Capture();
}

testing_support::Picture RmScene::Capture() {
  return testing_support::Picture{Width, Height, dd::SurfacePicture(*Target)};
}

rtl::Ref<rm::Frame> RmScene::AddFrame(rm::Frame* parent) {
  rtl::Ref<rm::Frame> frame;
  Check(Root->CreateFrame(parent != nullptr ? parent : Scene.Get(), &frame), "CreateFrame");
  return frame;
}

rtl::Ref<rm::Mesh> RmScene::Cube(float half, std::uint32_t color) {
  std::vector<rm::MeshVertex> vertices;
  std::vector<std::uint32_t> faces;
  for (const Face& f : kCubeFaces) {
    const auto base = static_cast<std::uint32_t>(vertices.size());
    const float corners[4][4] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {1, -1, 1, 1}, {-1, -1, 0, 1}};
    for (const auto& c : corners) {
      const rm::Vector p = (f.normal + f.right * c[0] + f.up * c[1]) * half;
      vertices.push_back({p, f.normal, c[2], c[3], 0xFFFFFFFFu});
    }
    faces.insert(faces.end(), {base, base + 1, base + 2, base + 3});
  }
  rtl::Ref<rm::Mesh> mesh;
  Check(Root->CreateMesh(&mesh), "CreateMesh");
  rm::GroupIndex group;
  Check(mesh->AddGroup(static_cast<int>(vertices.size()), 6, 4, faces, &group), "AddGroup");
  Check(mesh->SetVertices(group, 0, vertices), "SetVertices");
  Check(mesh->SetGroupColor(group, color), "SetGroupColor");
  return mesh;
}

rtl::Ref<rm::Mesh> RmScene::Ground(float half, int cells, std::uint32_t color, float repeat) {
  std::vector<rm::MeshVertex> vertices;
  std::vector<std::uint32_t> faces;
  const int side = cells + 1;
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      const float u = static_cast<float>(i) / cells, v = static_cast<float>(j) / cells;
      vertices.push_back(
          {{-half + 2 * half * u, 0, half - 2 * half * v}, {0, 1, 0}, u * repeat, v * repeat, 0xFFFFFFFFu});
    }
  }
  for (int j = 0; j < cells; ++j) {
    for (int i = 0; i < cells; ++i) {
      const auto at = static_cast<std::uint32_t>(j * side + i);
      faces.insert(faces.end(),
                   {at, at + 1, at + 1 + static_cast<std::uint32_t>(side), at + static_cast<std::uint32_t>(side)});
    }
  }
  rtl::Ref<rm::Mesh> mesh;
  Check(Root->CreateMesh(&mesh), "CreateMesh");
  rm::GroupIndex group;
  Check(mesh->AddGroup(static_cast<int>(vertices.size()), cells * cells, 4, faces, &group), "AddGroup");
  Check(mesh->SetVertices(group, 0, vertices), "SetVertices");
  Check(mesh->SetGroupColor(group, color), "SetGroupColor");
  return mesh;
}

rtl::Ref<rm::Texture> RmScene::Checker(int size, int square, std::uint32_t a, std::uint32_t b) {
  auto& pixels = TexturePixels.emplace_back(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x)
      pixels[static_cast<std::size_t>(y) * size + x] = ((x / square + y / square) % 2) ? b : a;
  }
  rm::Image image;
  image.width = image.height = size;
  image.depth = 32;
  image.rgb = true;
  image.bytesPerLine = size * 4;
  image.buffer1 = pixels.data();
  image.redMask = 0x00FF0000u;
  image.greenMask = 0x0000FF00u;
  image.blueMask = 0x000000FFu;
  image.alphaMask = 0xFF000000u;
  rtl::Ref<rm::Texture> texture;
  Check(Root->CreateTexture(image, &texture), "CreateTexture");
  return texture;
}

rtl::Ref<rm::Light> RmScene::AddLight(rm::Frame* frame, rm::LightType type, float r, float g, float b) {
  rtl::Ref<rm::Light> light;
  Check(Root->CreateLightRGB(type, r, g, b, &light), "CreateLightRGB");
  Check(frame->AddLight(light.Get()), "AddLight");
  return light;
}

}  // namespace rm_testing
