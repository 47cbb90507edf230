// The display object: cooperative level, modes, caps, surface creation; display and 3D device
// enumeration; and the fault-injection hook of every call of the layer.

#include "platform/dd/DirectDraw.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/d3d/gl/Adapters.h"
#include "platform/dd/Direct3D.h"
#include "platform/rtl/Faults.h"

namespace {

using d3d::PixelFormat;
using ModeKey = std::tuple<int, int, int>;
constexpr std::array kDepths{8, 16, 24, 32};

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { dd::DirectDraw::SetDesktop(kDesktop); }
  void TearDown() override {
    dd::DirectDraw::SetDesktop(kDesktop);
    rtl::faults::Reset();
  }

  std::vector<dd::DisplayMode> Modes() const {
    std::vector<dd::DisplayMode> modes;
    const auto add = [&](const dd::DisplayMode& mode) { return modes.push_back(mode), true; };
    EXPECT_EQ(display->EnumDisplayModes(add), dd::DD_OK);
    return modes;
  }
  ModeKey Current() const {
    dd::DisplayMode mode;
    EXPECT_EQ(display->GetDisplayMode(&mode), dd::DD_OK);
    EXPECT_EQ(mode.pitch, mode.width * mode.bitsPerPixel / 8);
    return {mode.width, mode.height, mode.bitsPerPixel};
  }

  static constexpr dd::DisplayMode kDesktop{1024, 768, 32, 4096, 0};
  rtl::Ref<dd::DirectDraw> display = rtl::MakeRef<dd::DirectDraw>();
};

dd::SurfaceDesc Desc(std::uint32_t caps, int width, int height, PixelFormat format = PixelFormat::XRGB8888) {
  dd::SurfaceDesc desc;
  desc.caps = caps;
  desc.width = width;
  desc.height = height;
  desc.format = format;
  return desc;
}

ModeKey Key(const dd::DisplayMode& mode) { return {mode.width, mode.height, mode.bitsPerPixel}; }

TEST_F(DirectDrawTest, ModesAreTheClassicListSizeBySizeEachAtFourDepths) {
  const auto modes = Modes();
  ASSERT_EQ(modes.size(), 24u);  // the 1024X768 desktop is one of them already
  const std::pair<int, int> sizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 1024}, {1600, 1200}};
  for (std::size_t i = 0; i < modes.size(); ++i) {
    const auto [width, height] = sizes[i / 4];
    EXPECT_EQ(Key(modes[i]), ModeKey(width, height, kDepths[i % 4])) << "mode " << i;
    EXPECT_EQ(modes[i].pitch, width * kDepths[i % 4] / 8) << "mode " << i;
  }
  int calls = 0;
  ASSERT_EQ(display->EnumDisplayModes([&](const dd::DisplayMode&) { return ++calls < 3; }), dd::DD_OK);
  EXPECT_EQ(calls, 3);
}

TEST_F(DirectDrawTest, ADesktopOfAnotherSizeIsAddedOnceAtEachDepthAfterTheList) {
  dd::DirectDraw::SetDesktop({1366, 768, 24, 4098, 60});
  const auto modes = Modes();
  ASSERT_EQ(modes.size(), 28u);
  std::set<ModeKey> unique;
  for (const auto& mode : modes) unique.insert(Key(mode));
  EXPECT_EQ(unique.size(), modes.size());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Key(modes[24 + i]), ModeKey(1366, 768, kDepths[i]));
    EXPECT_EQ(modes[24 + i].pitch, 1366 * kDepths[i] / 8);
  }
  EXPECT_EQ(display->SetDisplayMode(1366, 768, 16), dd::DD_OK);
}

TEST_F(DirectDrawTest, SetModeAcceptsListedModesOnlyAndRestoreReturnsToTheDesktop) {
  EXPECT_EQ(Current(), Key(kDesktop));
  ASSERT_EQ(display->SetDisplayMode(800, 600, 16), dd::DD_OK);
  EXPECT_EQ(Current(), ModeKey(800, 600, 16));
  EXPECT_EQ(display->SetDisplayMode(800, 600, 15), dd::DDERR_INVALIDMODE);
  EXPECT_EQ(display->SetDisplayMode(1920, 1080, 32), dd::DDERR_INVALIDMODE);
  EXPECT_EQ(Current(), ModeKey(800, 600, 16));
  EXPECT_EQ(display->RestoreDisplayMode(), dd::DD_OK);
  EXPECT_EQ(display->RestoreDisplayMode(), dd::DD_OK);
  EXPECT_EQ(Current(), Key(kDesktop));
}

TEST_F(DirectDrawTest, FullScreenNeedsExclusiveAccessAndAWindowAndCapsAreSoftware) {
  EXPECT_EQ(display->SetCooperativeLevel(0x1234, dd::DDSCL_FULLSCREEN), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(display->SetCooperativeLevel(0, dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(display->CooperativeLevel(), 0u);
  const std::uint32_t full = dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE | dd::DDSCL_ALLOWMODEX;
  ASSERT_EQ(display->SetCooperativeLevel(0x1234, full), dd::DD_OK);
  EXPECT_EQ(display->CooperativeLevel(), full);

  dd::Caps hardware{1, 0, 0};
  dd::Caps emulation;
  ASSERT_EQ(display->GetCaps(&hardware, &emulation), dd::DD_OK);
  // 3D in hardware exactly when an OpenGL device can draw.
  EXPECT_EQ(hardware.caps, d3d::gl::Adapters().empty() ? 0u : std::uint32_t{dd::DDCAPS_3D});
  EXPECT_EQ(emulation.caps, std::uint32_t{dd::DDCAPS_3D});
  EXPECT_LE(emulation.videoMemoryFree, emulation.videoMemoryTotal);
}

TEST_F(DirectDrawTest, APrimaryWithoutASizeTakesTheModesSizeAndFormat) {
  rtl::Ref<dd::Surface> primary;
  ASSERT_EQ(display->CreateSurface(Desc(dd::DDSCAPS_PRIMARYSURFACE, 0, 0, PixelFormat::Palette8), &primary), dd::DD_OK);
  EXPECT_EQ(std::tuple(primary->Width(), primary->Height(), primary->Pitch()), std::tuple(1024, 768, 4096));
  EXPECT_EQ(primary->Desc().format, PixelFormat::XRGB8888);
  EXPECT_EQ(primary->RefCount(), 1u);
  const std::pair<int, PixelFormat> depths[] = {
      {8, PixelFormat::Palette8}, {16, PixelFormat::RGB565}, {24, PixelFormat::RGB888}};
  for (const auto& [bits, format] : depths) {
    ASSERT_EQ(display->SetDisplayMode(640, 480, bits), dd::DD_OK);
    ASSERT_EQ(display->CreateSurface(Desc(dd::DDSCAPS_PRIMARYSURFACE, 0, 0), &primary), dd::DD_OK);
    EXPECT_EQ(primary->Desc().format, format) << bits;
    EXPECT_EQ(std::tuple(primary->Width(), primary->Height(), primary->Pitch()), std::tuple(640, 480, 640 * bits / 8));
  }
}

TEST_F(DirectDrawTest, AFlippingPrimaryComesWithOneBackBuffer) {
  ASSERT_EQ(display->SetDisplayMode(800, 600, 16), dd::DD_OK);
  auto desc = Desc(dd::DDSCAPS_PRIMARYSURFACE | dd::DDSCAPS_FLIP | dd::DDSCAPS_COMPLEX, 0, 0);
  desc.backBufferCount = 1;
  rtl::Ref<dd::Surface> primary;
  ASSERT_EQ(display->CreateSurface(desc, &primary), dd::DD_OK);
  rtl::Ref<dd::Surface> back;
  ASSERT_EQ(primary->GetAttachedSurface(dd::DDSCAPS_BACKBUFFER, &back), dd::DD_OK);
  EXPECT_EQ(back->Desc().caps, std::uint32_t{dd::DDSCAPS_BACKBUFFER | dd::DDSCAPS_3DDEVICE});
  EXPECT_EQ(std::tuple(back->Width(), back->Height(), back->Desc().format), std::tuple(800, 600, PixelFormat::RGB565));
  EXPECT_EQ(back->RefCount(), 2u);  // the primary's and ours
  ASSERT_EQ(back->BltColorFill(nullptr, 0x07E0), dd::DD_OK);
  ASSERT_EQ(primary->Flip(), dd::DD_OK);
  EXPECT_EQ(primary->Pixels()[1], 0x07);
  for (const int count : {0, 2}) {
    desc.backBufferCount = count;
    rtl::Ref<dd::Surface> refused;
    EXPECT_EQ(display->CreateSurface(desc, &refused), dd::DDERR_INVALIDPARAMS) << count;
    EXPECT_FALSE(refused);
  }
}

TEST_F(DirectDrawTest, CreateSurfaceRefusesBadAndHugeSizesBeforeAllocating) {
  const auto zbuffer = [](int width, int height, int bits) {
    auto desc = Desc(dd::DDSCAPS_ZBUFFER, width, height);
    desc.zBufferBitDepth = bits;
    return desc;
  };
  const std::pair<dd::SurfaceDesc, std::int32_t> cases[] = {
      {Desc(0, 0, 10), dd::DDERR_INVALIDPARAMS},
      {Desc(0, 10, -1), dd::DDERR_INVALIDPARAMS},
      {Desc(dd::DDSCAPS_PRIMARYSURFACE, 0, 10), dd::DDERR_INVALIDPARAMS},
      {zbuffer(16, 16, 8), dd::DDERR_INVALIDPARAMS},
      // Just over 1 GiB, and sizes whose byte counts overflow 32 and 64 bits.
      {Desc(0, 8192, 32769), dd::DDERR_OUTOFMEMORY},
      {zbuffer(32768, 32769, 16), dd::DDERR_OUTOFMEMORY},
      {Desc(0, 65536, 65536), dd::DDERR_OUTOFMEMORY},
      {Desc(0, 0x7FFFFFFF, 0x7FFFFFFF), dd::DDERR_OUTOFMEMORY},
  };
  for (const auto& [desc, expected] : cases) {
    rtl::Ref<dd::Surface> surface;
    EXPECT_EQ(display->CreateSurface(desc, &surface), expected) << desc.width << "X" << desc.height;
    EXPECT_FALSE(surface);
  }
  rtl::Ref<dd::Surface> depth;
  ASSERT_EQ(display->CreateSurface(zbuffer(7, 2, 16), &depth), dd::DD_OK);
  EXPECT_EQ(depth->Pitch(), 16);
}

TEST_F(DirectDrawTest, ThePrimaryDisplayAndFurtherGraphicsProcessorsAreEnumeratedAndCreated) {
  std::vector<std::tuple<std::array<std::uint8_t, 16>, std::string, std::string, bool>> devices;
  ASSERT_EQ(dd::DirectDrawEnumerate([&](const dd::DeviceIdentity& device, bool primary) {
              return devices.emplace_back(device.guid, device.description, device.name, primary), true;
            }),
            dd::DD_OK);
  const std::array<std::uint8_t, 16> zero{};
  const std::size_t adapters = d3d::gl::Adapters().size();
  ASSERT_EQ(devices.size(), std::max<std::size_t>(adapters, 1));
  EXPECT_EQ(devices[0], std::tuple(zero, std::string("Primary display"), std::string("display"), true));
  for (std::size_t i = 1; i < devices.size(); ++i) {
    EXPECT_FALSE(std::get<3>(devices[i]));
    rtl::Ref<dd::DirectDraw> further;
    EXPECT_EQ(dd::DirectDrawCreate(&std::get<0>(devices[i]), &further), dd::DD_OK);
  }
  rtl::Ref<dd::DirectDraw> created;
  ASSERT_EQ(dd::DirectDrawCreate(nullptr, &created), dd::DD_OK);
  EXPECT_EQ(created->RefCount(), 1u);
  EXPECT_EQ(dd::DirectDrawCreate(&zero, &created), dd::DD_OK);
  rtl::Ref<dd::DirectDraw> other;
  EXPECT_EQ(dd::DirectDrawCreate(&dd::kRGBDeviceGuid, &other), dd::DDERR_NOTFOUND);
  EXPECT_FALSE(other);
}

TEST_F(DirectDrawTest, TheThreeSoftwareDevicesInOrder) {
  rtl::Ref<dd::Direct3D> direct3D;
  ASSERT_EQ(display->QueryDirect3D(&direct3D), dd::DD_OK);
  std::vector<dd::DeviceInfo> devices;
  ASSERT_EQ(direct3D->EnumDevices([&](const dd::DeviceInfo& device) { return devices.push_back(device), true; }),
            dd::DD_OK);
  const std::uint32_t all = dd::DDBD_8 | dd::DDBD_16 | dd::DDBD_24 | dd::DDBD_32;
  const std::uint32_t direct = dd::DDBD_16 | dd::DDBD_24 | dd::DDBD_32;
  const std::tuple<std::array<std::uint8_t, 16>, std::string, std::string, std::uint32_t, std::uint32_t> expected[] = {
      {dd::kRampDeviceGuid, "Ramp Emulation", "Software ramp rasterizer", dd::D3DCOLOR_MONO, all},
      {dd::kRGBDeviceGuid, "RGB Emulation", "Software RGB rasterizer", dd::D3DCOLOR_RGB, all},
      {dd::kMMXDeviceGuid, "MMX Emulation", "Software RGB rasterizer with MMX-class SIMD", dd::D3DCOLOR_RGB, direct},
  };
  ASSERT_GE(devices.size(), 3u);  // first; then one hardware device per OpenGL adapter (tests/platform/d3d/gl)
  std::set<std::array<std::uint8_t, 16>> guids;
  for (std::size_t i = 0; i < 3; ++i) {
    const dd::DeviceInfo& device = devices[i];
    EXPECT_EQ(std::tie(device.guid, device.name, device.description, device.emulation.colorModel,
                       device.emulation.renderBitDepths),
              expected[i]);
    EXPECT_EQ(device.hardware.colorModel, std::uint32_t{dd::D3DCOLOR_NONE});
    EXPECT_EQ(device.emulation.zBufferBitDepths, direct);
    guids.insert(device.guid);
  }
  EXPECT_EQ(guids.size(), 3u);
  int calls = 0;
  ASSERT_EQ(direct3D->EnumDevices([&](const dd::DeviceInfo&) { return ++calls, false; }), dd::DD_OK);
  EXPECT_EQ(calls, 1);
}

TEST_F(DirectDrawTest, EveryCallReturnsTheCodeItIsArmedWithAndDoesNothingElse) {
  constexpr std::int32_t kArmed = rtl::MakeDXResult(0x321);
  rtl::Ref<dd::Surface> surface;
  rtl::Ref<dd::Surface> other;
  ASSERT_EQ(display->CreateSurface(Desc(0, 4, 4, PixelFormat::Palette8), &surface), dd::DD_OK);
  ASSERT_EQ(display->CreateSurface(Desc(0, 4, 4, PixelFormat::Palette8), &other), dd::DD_OK);
  auto palette = rtl::MakeRef<dd::Palette>(std::span<const dd::PaletteEntry>{});
  auto clipper = rtl::MakeRef<dd::Clipper>();
  auto direct3D = rtl::MakeRef<dd::Direct3D>();
  std::array<dd::PaletteEntry, 1> entry{};
  dd::SurfaceDesc desc;
  dd::DisplayMode mode;
  dd::Caps caps;
  std::uint8_t* bits = nullptr;
  std::uintptr_t window = 0;
  rtl::Ref<dd::Surface> gotSurface;
  rtl::Ref<dd::Palette> gotPalette;
  rtl::Ref<dd::Clipper> gotClipper;
  rtl::Ref<dd::DirectDraw> gotDisplay;
  rtl::Ref<dd::Direct3D> gotDirect3D;
  int callbacks = 0;
  const auto count = [&](const auto&...) { return ++callbacks > 0; };

  const std::pair<const char*, std::function<std::int32_t()>> calls[] = {
      {"dd.Surface.GetSurfaceDesc", [&] { return surface->GetSurfaceDesc(&desc); }},
      {"dd.Surface.Lock", [&] { return surface->Lock(nullptr, &desc, &bits); }},
      {"dd.Surface.Unlock", [&] { return surface->Unlock(); }},
      {"dd.Surface.BltColorFill", [&] { return surface->BltColorFill(nullptr, 1); }},
      {"dd.Surface.Blt", [&] { return surface->Blt(nullptr, other.Get(), nullptr); }},
      {"dd.Surface.Flip", [&] { return surface->Flip(); }},
      {"dd.Surface.AddAttachedSurface", [&] { return surface->AddAttachedSurface(other.Get()); }},
      {"dd.Surface.GetAttachedSurface", [&] { return surface->GetAttachedSurface(0, &gotSurface); }},
      {"dd.Surface.DeleteAttachedSurface", [&] { return surface->DeleteAttachedSurface(other.Get()); }},
      {"dd.Surface.SetPalette", [&] { return surface->SetPalette(palette.Get()); }},
      {"dd.Surface.GetPalette", [&] { return surface->GetPalette(&gotPalette); }},
      {"dd.Surface.SetClipper", [&] { return surface->SetClipper(clipper.Get()); }},
      {"dd.Surface.GetClipper", [&] { return surface->GetClipper(&gotClipper); }},
      {"dd.Surface.IsLost", [&] { return surface->IsLost(); }},
      {"dd.Surface.Restore", [&] { return surface->Restore(); }},
      {"dd.Palette.GetEntries", [&] { return palette->GetEntries(0, entry); }},
      {"dd.Palette.SetEntries", [&] { return palette->SetEntries(0, entry); }},
      {"dd.Clipper.SetHWnd", [&] { return clipper->SetHWnd(7); }},
      {"dd.Clipper.GetHWnd", [&] { return clipper->GetHWnd(&window); }},
      {"dd.DirectDraw.SetCooperativeLevel", [&] { return display->SetCooperativeLevel(0, dd::DDSCL_NORMAL); }},
      {"dd.DirectDraw.EnumDisplayModes", [&] { return display->EnumDisplayModes(count); }},
      {"dd.DirectDraw.GetDisplayMode", [&] { return display->GetDisplayMode(&mode); }},
      {"dd.DirectDraw.SetDisplayMode", [&] { return display->SetDisplayMode(640, 480, 8); }},
      {"dd.DirectDraw.RestoreDisplayMode", [&] { return display->RestoreDisplayMode(); }},
      {"dd.DirectDraw.FlipToGDISurface", [&] { return display->FlipToGDISurface(); }},
      {"dd.DirectDraw.GetCaps", [&] { return display->GetCaps(&caps, &caps); }},
      {"dd.DirectDraw.CreateSurface", [&] { return display->CreateSurface(Desc(0, 2, 2), &gotSurface); }},
      {"dd.DirectDraw.CreatePalette", [&] { return display->CreatePalette(entry, &gotPalette); }},
      {"dd.DirectDraw.CreateClipper", [&] { return display->CreateClipper(&gotClipper); }},
      {"dd.DirectDraw.QueryDirect3D", [&] { return display->QueryDirect3D(&gotDirect3D); }},
      {"dd.Direct3D.EnumDevices", [&] { return direct3D->EnumDevices(count); }},
      {"dd.DirectDrawCreate", [&] { return dd::DirectDrawCreate(nullptr, &gotDisplay); }},
      {"dd.DirectDrawEnumerate", [&] { return dd::DirectDrawEnumerate(count); }},
  };
  for (const auto& [name, call] : calls) {
    rtl::faults::Arm(name, kArmed);
    callbacks = 0;
    gotSurface.Reset();
    const bool locked = surface->IsLockedNow();
    EXPECT_EQ(call(), kArmed) << name;
    EXPECT_EQ(callbacks, 0) << name;
    EXPECT_EQ(surface->IsLockedNow(), locked) << name;
    EXPECT_FALSE(gotSurface) << name;
    EXPECT_NE(call(), kArmed) << name;  // armed once: the next call runs for real
  }
}

}  // namespace
