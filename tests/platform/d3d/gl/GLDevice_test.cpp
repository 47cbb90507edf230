// The OpenGL device's own behaviour: adapters and the way to hide them, the display layer's listing
// and creation of hardware devices, texture copies and their cache, and what reaches the target's
// memory at Flush.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "platform/d3d/Texture.h"
#include "platform/d3d/gl/Adapters.h"
#include "platform/dd/Direct3D.h"
#include "platform/dd/DirectDraw.h"
#include "tests/platform/d3d/gl/GLTarget.h"
#include "tests/support/ScopedEnvironment.h"

namespace gl_testing {
namespace {

using d3d::PixelFormat;
using d3d::TLVertex;
using soft_testing::FullState;
using soft_testing::QuadIndices;
using soft_testing::Vertex;
using testing_support::ScopedEnvironment;

std::vector<TLVertex> Square(float left, float top, float right, float bottom, std::uint32_t color) {
  return {Vertex(left, top, color, 0.5f, 0, 0), Vertex(right, top, color, 0.5f, 1, 0),
          Vertex(right, bottom, color, 0.5f, 1, 1), Vertex(left, bottom, color, 0.5f, 0, 1)};
}

TEST(GLAdapters, MesaIsListedAndQ3D_NO_GLHidesEveryAdapter) {
  const std::vector<d3d::gl::Adapter>& adapters = d3d::gl::Adapters();
  ASSERT_FALSE(adapters.empty()) << "OpenGL 3.3 through EGL should work here (Mesa)";
  for (const d3d::gl::Adapter& adapter : adapters) {
    EXPECT_FALSE(adapter.name.empty());
    EXPECT_NE(adapter.description.find("OpenGL"), std::string::npos) << adapter.description;
    std::printf("[ adapter ] %s (%s)\n", adapter.name.c_str(), adapter.description.c_str());
  }
  EXPECT_EQ(&d3d::gl::Adapters(), &adapters) << "probed once";
  {
    const ScopedEnvironment hidden("Q3D_NO_GL", "1");
    EXPECT_TRUE(d3d::gl::ProbeAdapters().empty());
  }
  {
    const ScopedEnvironment empty("Q3D_NO_GL", "");  // only a non-empty value hides them
    const std::vector<d3d::gl::Adapter> again = d3d::gl::ProbeAdapters();
    ASSERT_EQ(again.size(), adapters.size());
    EXPECT_EQ(again[0].name, adapters[0].name);
  }
}

TEST(GLAdapters, TheDisplayListsAndCreatesOneHardwareDevicePerAdapter) {
  const auto& adapters = d3d::gl::Adapters();
  ASSERT_FALSE(adapters.empty());
  auto direct3D = rtl::MakeRef<dd::Direct3D>();
  std::vector<dd::DeviceInfo> devices;
  ASSERT_EQ(direct3D->EnumDevices([&](const dd::DeviceInfo& info) { return devices.push_back(info), true; }),
            dd::DD_OK);
  ASSERT_EQ(devices.size(), 3 + adapters.size());
  EXPECT_EQ(devices[0].guid, dd::kRampDeviceGuid);  // the software devices come first
  for (std::size_t i = 0; i < adapters.size(); ++i) {
    const dd::DeviceInfo& info = devices[3 + i];
    EXPECT_EQ(info.guid, dd::HardwareDeviceGuid(static_cast<std::uint32_t>(i)));
    EXPECT_EQ(info.name, adapters[i].name);
    EXPECT_EQ(info.description, "OpenGL 3.3 rasterizer");
    EXPECT_EQ(info.hardware.colorModel, std::uint32_t{dd::D3DCOLOR_RGB});
    EXPECT_EQ(info.hardware.renderBitDepths, std::uint32_t{dd::DDBD_16 | dd::DDBD_24 | dd::DDBD_32});
    EXPECT_EQ(info.hardware.zBufferBitDepths, std::uint32_t{dd::DDBD_16 | dd::DDBD_24 | dd::DDBD_32});
    EXPECT_EQ(info.emulation.colorModel, std::uint32_t{dd::D3DCOLOR_NONE});
    EXPECT_EQ(info.emulation.renderBitDepths, 0u);
  }
  EXPECT_NE(dd::HardwareDeviceGuid(0), dd::HardwareDeviceGuid(1));

  auto display = rtl::MakeRef<dd::DirectDraw>();
  const auto surface = [&](PixelFormat format) {
    dd::SurfaceDesc desc;
    desc.caps = dd::DDSCAPS_3DDEVICE;
    desc.width = 16;
    desc.height = 16;
    desc.format = format;
    rtl::Ref<dd::Surface> made;
    EXPECT_EQ(display->CreateSurface(desc, &made), dd::DD_OK);
    return made;
  };
  std::unique_ptr<d3d::Device> device;
  const auto target32 = surface(PixelFormat::XRGB8888);
  ASSERT_EQ(direct3D->CreateDevice(dd::HardwareDeviceGuid(0), target32.Get(), &device), dd::DD_OK);
  EXPECT_NE(dynamic_cast<d3d::gl::GLDevice*>(device.get()), nullptr);
  device.reset();
  // Palettised surfaces are not in the hardware description; an adapter that is not there is not found.
  EXPECT_NE(direct3D->CreateDevice(dd::HardwareDeviceGuid(0), surface(PixelFormat::Palette8).Get(), &device),
            dd::DD_OK);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(direct3D->CreateDevice(dd::HardwareDeviceGuid(static_cast<std::uint32_t>(adapters.size())), target32.Get(),
                                   &device),
            dd::DDERR_NOTFOUND);
  // The software devices are made as before.
  ASSERT_EQ(direct3D->CreateDevice(dd::kRGBDeviceGuid, surface(PixelFormat::Palette8).Get(), &device), dd::DD_OK);
  EXPECT_EQ(dynamic_cast<d3d::gl::GLDevice*>(device.get()), nullptr);
}

class GLDeviceTest : public GLDeviceFixture {};

TEST_F(GLDeviceTest, TexturesAreCopiedAgainOnlyWhenTheirVersionChanges) {
  GLTarget target(*device, 16, 16, PixelFormat::XRGB8888);
  std::vector<std::uint32_t> texels(64, 0xFF00FF00u);
  d3d::Texture texture(8, 8, texels);
  d3d::DrawState state = FullState(16, 16);
  state.texture = &texture;
  const auto draw = [&] {
    device->DrawTriangles(state, Square(0, 0, 16, 16, 0xFFFFFFFFu), QuadIndices());
    device->Flush();
    return target.RawAt(8, 8);
  };
  EXPECT_EQ(draw(), 0x00FF00u);
  EXPECT_EQ(device->TextureUploads(), 1u);
  for (int i = 0; i < 3; ++i) draw();
  state.filter = d3d::Filter::LinearMipLinear;  // another filter is a sampling change, not a copy
  draw();
  EXPECT_EQ(device->TextureUploads(), 1u);

  std::fill(texels.begin(), texels.end(), 0xFFFF0000u);
  texture.SetPixels(texels);
  EXPECT_EQ(draw(), 0xFF0000u);
  EXPECT_EQ(device->TextureUploads(), 2u);
  texture.SetColorKey(true, 0xFF0000u);  // every texel keyed: nothing is drawn over the red
  device->Clear(0, 0, 16, 16, 0x0000FFu, false);
  EXPECT_EQ(draw(), 0x0000FFu);
  EXPECT_EQ(device->TextureUploads(), 3u);
  draw();
  EXPECT_EQ(device->TextureUploads(), 3u);
  EXPECT_EQ(device->CachedTextures(), 1u);
}

TEST_F(GLDeviceTest, CopiesOfTexturesNoLongerDrawnAreForgotten) {
  GLTarget target(*device, 8, 8, PixelFormat::XRGB8888);
  d3d::DrawState state = FullState(8, 8);
  {
    const d3d::Texture gone(4, 4, std::vector<std::uint32_t>(16, 0xFF123456u));
    state.texture = &gone;
    device->DrawTriangles(state, Square(0, 0, 8, 8, 0xFFFFFFFFu), QuadIndices());
  }
  const d3d::Texture kept(4, 4, std::vector<std::uint32_t>(16, 0xFF654321u));
  state.texture = &kept;
  EXPECT_EQ(device->CachedTextures(), 1u);
  for (std::uint64_t i = 0; i < d3d::gl::GLDevice::kTextureIdleTargets + 64; ++i) {
    target.Bind();
    device->DrawTriangles(state, Square(0, 0, 8, 8, 0xFFFFFFFFu), QuadIndices());
  }
  EXPECT_EQ(device->CachedTextures(), 1u) << "the copy of the texture that went away is deleted";
  device->Flush();
  EXPECT_EQ(target.RawAt(4, 4), 0x654321u);
}

TEST_F(GLDeviceTest, ANewTextureAtAFreedTexturesAddressIsCopiedAfresh) {
  GLTarget target(*device, 8, 8, PixelFormat::XRGB8888);
  d3d::DrawState state = FullState(8, 8);
  alignas(d3d::Texture) unsigned char storage[sizeof(d3d::Texture)];
  const std::uint32_t colors[] = {0xFF112233u, 0xFF445566u};
  for (const std::uint32_t color : colors) {
    // Both textures live at the same address, and both have the same version.
    auto* texture = new (storage) d3d::Texture(4, 4, std::vector<std::uint32_t>(16, color));
    state.texture = texture;
    device->DrawTriangles(state, Square(0, 0, 8, 8, 0xFFFFFFFFu), QuadIndices());
    device->Flush();
    EXPECT_EQ(target.RawAt(3, 3), color & 0xFFFFFFu);
    texture->~Texture();
  }
  EXPECT_EQ(device->TextureUploads(), 2u);
}

TEST_F(GLDeviceTest, FlushWritesOnlyTheTouchedRectangle) {
  for (const PixelFormat format : {PixelFormat::RGB565, PixelFormat::RGB888, PixelFormat::XRGB8888}) {
    SCOPED_TRACE(d3d::BitsPerPixel(format));
    Scene scene(*device, 48, 40, format, 16);
    // Others wrote a pattern into the memory (as the software target's 0xCD bytes).
    scene.Clear(5, 6, 20, 30, 0x804020u, true);
    d3d::DrawState state = FullState(48, 40);
    state.clipLeft = 24, state.clipTop = 4, state.clipRight = 44, state.clipBottom = 20;
    scene.Draw(state, {Vertex(0, 0, 0xFFFF0000u), Vertex(48, 0, 0xFF00FF00u), Vertex(24, 40, 0xFF0000FFu)}, {0, 1, 2});
    scene.Flush();
    // Touched: the bounding rectangle of the two, (5, 4)-(44, 30). Everything else keeps its bytes.
    const int bytes = d3d::BytesPerPixel(format);
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 48; ++x) {
        if (x >= 5 && x < 44 && y >= 4 && y < 30) continue;
        for (int b = 0; b < bytes; ++b) {
          ASSERT_EQ(scene.Gl.Pixels[(static_cast<std::size_t>(y) * 48 + x) * bytes + b], 0xCD) << x << "," << y;
        }
      }
    }
    // Inside it, what neither device drew also kept the memory's bytes, through the copy in.
    EXPECT_EQ(scene.Gl.RawAt(22, 25), scene.Soft.RawAt(22, 25));
    const Difference difference = Compare(scene, format == PixelFormat::RGB565 ? 9 : 3, "partial flush");
    EXPECT_EQ(difference.overTolerance, 0);
  }
}

// What the retained-mode device does each frame: bind, clear the viewport, flush; bind, draw, flush.
TEST_F(GLDeviceTest, BlendingSeesTheMemoryAndUnchangedMemoryIsNotCopiedAgain) {
  Scene scene(*device, 32, 32, PixelFormat::XRGB8888, 16);
  // The memory holds a picture the device never drew: blending must see it.
  for (std::size_t i = 0; i < scene.Gl.Pixels.size(); ++i) {
    scene.Gl.Pixels[i] = scene.Soft.Pixels[i] = static_cast<std::uint8_t>(i * 7 % 251);
  }
  d3d::DrawState state = FullState(32, 32);
  state.blend = true;
  scene.Draw(state, Square(2, 2, 30, 30, 0x80FFFFFFu), QuadIndices());
  EXPECT_EQ(Compare(scene, 3, "blend over memory").overTolerance, 0);
  EXPECT_EQ(device->TargetUploads(), 1u);

  const std::uint64_t before = device->TargetUploads();
  for (int frame = 0; frame < 3; ++frame) {
    scene.Gl.Bind();
    scene.Soft.Bind();
    scene.ClearAll(0x102030u);
    scene.Flush();
    scene.Gl.Bind();
    scene.Soft.Bind();
    state.blend = frame % 2 == 0;
    scene.Draw(state, Square(4, 4, 28, 28, 0x80FF8040u), QuadIndices());
    scene.Flush();
  }
  EXPECT_EQ(device->TargetUploads(), before) << "memory the device flushed and nobody changed is not copied in";
  // Somebody writes into the memory between two bindings: it is copied in again.
  scene.Gl.Pixels[4 * (10 * 32 + 10)] ^= 0xFF;
  scene.Soft.Pixels[4 * (10 * 32 + 10)] ^= 0xFF;
  scene.Gl.Bind();
  scene.Soft.Bind();
  state.blend = true;
  scene.Draw(state, Square(4, 4, 28, 28, 0x80FF8040u), QuadIndices());
  EXPECT_EQ(device->TargetUploads(), before + 1);
  EXPECT_EQ(Compare(scene, 3, "blend after a memory change").overTolerance, 0);
}

TEST_F(GLDeviceTest, TwoDevicesTakeTurnsOnOneThread) {
  auto other = MakeDevice();
  ASSERT_NE(other, nullptr);
  GLTarget first(*device, 8, 8, PixelFormat::XRGB8888);
  GLTarget second(*other, 8, 8, PixelFormat::XRGB8888);
  for (int i = 0; i < 3; ++i) {
    device->Clear(0, 0, 8, 8, 0x010203u * static_cast<std::uint32_t>(i + 1), false);
    other->Clear(0, 0, 8, 8, 0x302010u * static_cast<std::uint32_t>(i + 1), false);
    device->DrawTriangles(FullState(8, 8), Square(0, 0, 4, 8, 0xFF00FF00u), QuadIndices());
    other->Flush();
    device->Flush();
    EXPECT_EQ(first.RawAt(6, 6), 0x010203u * static_cast<std::uint32_t>(i + 1));
    EXPECT_EQ(first.RawAt(1, 6), 0x00FF00u);
    EXPECT_EQ(second.RawAt(1, 6), 0x302010u * static_cast<std::uint32_t>(i + 1));
  }
  // A probe in between (its own contexts) does not disturb them either.
  EXPECT_FALSE(d3d::gl::ProbeAdapters().empty());
  device->Clear(0, 0, 8, 8, 0xABCDEFu, false);
  device->Flush();
  EXPECT_EQ(first.RawAt(0, 0), 0xABCDEFu);
}

}  // namespace
}  // namespace gl_testing
