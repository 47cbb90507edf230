#include "render/DXEnum.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "core3d/RetainedMode.h"
#include "platform/rtl/Faults.h"
#include "platform/rtl/Text.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/Raises.h"

using testing_support::ExpectRaises;
using testing_support::kFault;
using testing_support::kFaultSuffix;

namespace {

// The engine over a desktop of a chosen size and depth; the desktop and the faults are put back.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest() : FSavedDesktop(dd::DirectDraw::Desktop()) { dd::DirectDraw::SetDesktop({800, 600, 16, 1600, 0}); }
  ~EngineTest() override {
    rtl::faults::Reset();
    dd::DirectDraw::SetDesktop(FSavedDesktop);
  }

  static bool AnyHardware(const TEngine3D& engine) {
    for (int i = 0; i < engine.DriverCount(); ++i)
      if (engine.Drivers().GetDriver(i).Hardware) return true;
    return false;
  }

  static const TDriver3D* FindDriver(const TEngine3D& engine, const std::string& part) {
    for (int i = 0; i < engine.DriverCount(); ++i)
      if (engine.Drivers().GetDriver(i).Text.find(part) != std::string::npos) return &engine.Drivers().GetDriver(i);
    return nullptr;
  }

  TEngine3D Engine;

 private:
  dd::DisplayMode FSavedDesktop;
};

TEST_F(EngineTest, RootsAreMissingUntilInitialized) {
  EXPECT_EQ(Engine.RenderMode(), rmHardware);
  ExpectRaises([&] { Engine.DirectDraw(); }, "Engine3D error: ddraw not assigned");
  ExpectRaises([&] { Engine.Direct3D(); }, "Engine3D error: direct3d not assigned");
  ExpectRaises([&] { Engine.Direct3DRM(); }, "Engine3D error: direct3drm not assigned");
  ExpectRaises([&] { Engine.SearchPath(); }, "Engine3D error: direct3drm not assigned");
  EXPECT_EQ(Engine.DriverCount(), 0);
}

TEST_F(EngineTest, ModesAreSortedByTextAfterTheWindowModeEntry) {
  Engine.Initialize();
  const TVideoModeList& modes = Engine.VideoModes();
  ASSERT_GT(modes.Count(), 20);
  const TVideoMode& window = modes.GetMode(0);
  EXPECT_EQ(window.Text, "Window mode");
  EXPECT_EQ(modes.Strings(0), "Window mode");
  EXPECT_EQ((std::array{window.Width, window.Height, window.BitsPerPixel, window.Pitch}),
            (std::array{800, 600, 16, 800}));
  for (int i = 2; i < modes.Count(); ++i)
    EXPECT_LE(rtl::CompareText(modes.Strings(i - 1), modes.Strings(i)), 0) << modes.Strings(i);
  EXPECT_EQ(modes.Strings(1), "1024X768X16");
  const int vga = modes.IndexOf("640x480x16");
  ASSERT_GT(vga, 0);
  EXPECT_EQ(modes.GetMode(vga).Pitch, 1280);
  EXPECT_EQ(&RetainedMode(), &Engine.Direct3DRM());
}

TEST_F(EngineTest, DriversDescribeTheSoftwareDevicesAndGetTheModesOfTheirDepths) {
  dd::DirectDraw::SetDesktop({800, 600, 8, 800, 0});
  Engine.Initialize();
  const TDriver3D* ramp = FindDriver(Engine, "Ramp");
  const TDriver3D* mmx = FindDriver(Engine, "MMX");
  ASSERT_NE(ramp, nullptr);
  ASSERT_NE(mmx, nullptr);
  EXPECT_EQ(ramp->Text, "Ramp Emulation (Software ramp rasterizer)");
  EXPECT_FALSE(ramp->Hardware);
  EXPECT_FALSE(ramp->RGBModel);
  EXPECT_TRUE(mmx->RGBModel);
  EXPECT_EQ(ramp->ZBufferDepth, 16);
  EXPECT_TRUE(ramp->RenderDepths.test(8) && ramp->RenderDepths.test(32) && !ramp->RenderDepths.test(15));

  // The ramp driver renders every depth: all the modes, the desktop entry first.
  ASSERT_EQ(ramp->VideoModes->Count(), Engine.VideoModes().Count());
  EXPECT_EQ(ramp->VideoModes->GetMode(0).Text, "Window mode");
  EXPECT_NE(&ramp->VideoModes->GetMode(0), &Engine.VideoModes().GetMode(0));
  // The MMX-class driver has no 8-bit path: no 8-bit mode, and so no window on an 8-bit desktop.
  int direct = 0;
  for (int i = 1; i < Engine.VideoModes().Count(); ++i) direct += Engine.VideoModes().GetMode(i).BitsPerPixel != 8;
  ASSERT_EQ(mmx->VideoModes->Count(), direct);
  for (int i = 0; i < mmx->VideoModes->Count(); ++i) EXPECT_NE(mmx->VideoModes->GetMode(i).BitsPerPixel, 8);
  EXPECT_TRUE(mmx->HasModes);
}

TEST_F(EngineTest, IndexesOutsideTheListsRaise) {
  Engine.Initialize();
  ExpectRaises([&] { Engine.VideoModes().GetMode(-1); }, "VideoModeList error: index out of range");
  ExpectRaises([&] { Engine.VideoModes().GetMode(Engine.VideoModes().Count()); },
               "VideoModeList error: index out of range");
  ExpectRaises([&] { Engine.Drivers().GetDriver(-1); }, "Driver3DList error: index out of range");
  ExpectRaises([&] { Engine.Drivers().GetDriver(Engine.DriverCount()); }, "Driver3DList error: index out of range");
}

TEST_F(EngineTest, RenderModeIsLoweredToWhatTheMachineOffers) {
  // One display device: no second accelerator; software when no driver is drawn by hardware.
  Engine.SetRenderMode(rmSecondAccelerator);
  Engine.Initialize();
  EXPECT_EQ(Engine.RenderMode(), AnyHardware(Engine) ? rmHardware : rmSoftware);
  TEngine3D again;
  again.Initialize();
  EXPECT_EQ(again.RenderMode(), AnyHardware(again) ? rmHardware : rmSoftware);
}

TEST_F(EngineTest, SearchPathRoundTripsAndItsFailuresAreReported) {
  Engine.Initialize();
  Engine.SetSearchPath("/usr/share/quorlith3d;textures");
  EXPECT_EQ(Engine.SearchPath(), "/usr/share/quorlith3d;textures");
  rtl::faults::Arm("rm.Direct3DRM.GetSearchPath", kFault);
  ExpectRaises([&] { Engine.SearchPath(); }, std::string("Engine3D error: Can't get size search path") + kFaultSuffix);
  rtl::faults::Arm("rm.Direct3DRM.GetSearchPath", kFault, 1);
  ExpectRaises([&] { Engine.SearchPath(); }, std::string("Engine3D error: Can't get search path") + kFaultSuffix);
  rtl::faults::Arm("rm.Direct3DRM.SetSearchPath", kFault);
  ExpectRaises([&] { Engine.SetSearchPath("x"); }, std::string("Engine3D error: Can't set search path") + kFaultSuffix);
}

TEST_F(EngineTest, AFailedInitializeReleasesWhatItMade) {
  const std::pair<const char*, const char*> cases[] = {
      {"dd.DirectDrawCreate", "Window3D error: create direct draw failed"},
      {"dd.DirectDraw.GetCaps", "Engine3D error: get caps directdraw object failed"},
      {"dd.DirectDraw.GetDisplayMode", "Engine3D error: get display mode failed"},
      {"dd.DirectDraw.QueryDirect3D", "Engine3D error: Can't create direct3d object"},
      {"rm.Direct3DRMCreate", "Engine3D error: Can't create direct3drm object"},
      {"dd.DirectDraw.EnumDisplayModes", "Engine3D error: Enumeration of video modes failed"},
      {"dd.Direct3D.EnumDevices", "Engine3D error: Enumeration of drivers failed"},
  };
  for (const auto& [call, message] : cases) {
    SCOPED_TRACE(call);
    TEngine3D engine;
    rtl::faults::Arm(call, kFault);
    ExpectRaises([&] { engine.Initialize(); }, std::string(message) + kFaultSuffix);
    ExpectRaises([&] { engine.DirectDraw(); }, "Engine3D error: ddraw not assigned");
    ExpectRaises([&] { engine.Direct3DRM(); }, "Engine3D error: direct3drm not assigned");
    EXPECT_EQ(CurrentRetainedMode(), nullptr);
    rtl::faults::Reset();
  }
}

TEST_F(EngineTest, SecondAcceleratorSearchReportsAFailedEnumeration) {
  Engine.SetRenderMode(rmSecondAccelerator);
  rtl::faults::Arm("dd.DirectDrawEnumerate", kFault);
  ExpectRaises([&] { Engine.Initialize(); },
               std::string("Window3D error: direct draw enumerate failed") + kFaultSuffix);
}

TEST(Engine3DTest, TheVideoTestPutsAFreshEngineInPlaceAndBack) {
  TEngine3D& process = Engine3D();
  EXPECT_EQ(&Engine3D(), &process);
  auto previous = ReplaceEngine3D(std::make_unique<TEngine3D>());
  EXPECT_EQ(previous.get(), &process);
  EXPECT_NE(&Engine3D(), &process);
  ReplaceEngine3D(std::move(previous));
  EXPECT_EQ(&Engine3D(), &process);
}

}  // namespace
