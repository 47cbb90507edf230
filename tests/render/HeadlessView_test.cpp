#include "render/HeadlessView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/Cast.h"
#include "platform/rtl/Faults.h"
#include "render/PngFile.h"
#include "scene/World3D.h"
#include "tests/scene/TestWorld.h"
#include "tests/support/Picture.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

constexpr int kWidth = 160;
constexpr int kHeight = 120;

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
      return false;
  }
  return true;
}

int CountNear(const std::vector<std::uint32_t>& pixels, std::uint32_t color, int tolerance) {
  return static_cast<int>(std::ranges::count_if(pixels, [&](std::uint32_t p) { return Near(p, color, tolerance); }));
}

// The test world seen through its camera item, its dinosaur walking.
class HeadlessViewTest : public ::testing::Test {
 protected:
  HeadlessViewTest() {
    BuildTestWorld(World);
    TCollectionMotion3D& motions = World.Map().FindObject("Dino1")->Motions();
    motions.Play(rtl::CheckedCast<TMotion3D>(*motions.GetItem(0)));
  }
  ~HeadlessViewTest() override { rtl::faults::Reset(); }

  Picture RenderAt(float seconds) {
    AdvanceMotions(seconds);
    View.Render(World.Map());
    return Picture{kWidth, kHeight, View.Picture()};
  }

  THeadlessView View{kWidth, kHeight, d3d::PixelFormat::XRGB8888};
  TSoundDevice Device{1};
  TWorld3D World{&Device};
};

TEST_F(HeadlessViewTest, TheWalkingDinosaurGivesTwoDifferentPictures) {
  ASSERT_TRUE(View.PlaceCamera(World.Map()));
  const Picture start = RenderAt(1.0f);
  const Picture later = RenderAt(1.09375f);
  EXPECT_NE(start.Pixels, later.Pixels);
  EXPECT_TRUE(MatchesReference(start, "world_01_start"));
  EXPECT_TRUE(MatchesReference(later, "world_02_walked"));
  EXPECT_EQ(World.Map().RenderCount(), 2);
  // The hidden ghost stands right in front of the camera and is never drawn.
  EXPECT_EQ(CountNear(start.Pixels, kGhostColor, 40), 0);
  // Far away the ground fades into the fog; the sky above is the background mesh.
  EXPECT_TRUE(Near(start.At(kWidth / 2, 0), 0xFF7090D0u, 60)) << std::hex << start.At(kWidth / 2, 0);
}

TEST_F(HeadlessViewTest, TheBackgroundFollowsTheCameraAndFogReachesTheScene) {
  View.PlaceCamera(World.Map());
  RenderAt(1.0f);
  TBackground3D& background = World.Map().Background();
  EXPECT_EQ(background.GetPosition().GetVector().x, View.Camera().GetPosition().X());
  EXPECT_EQ(background.GetPosition().GetVector().z, View.Camera().GetPosition().Z());
  const rm::SceneFog& fog = View.Scene().DXFrame()->GetSceneFog();
  EXPECT_TRUE(fog.enabled);
  EXPECT_EQ(fog.start, 200);
  EXPECT_EQ(fog.end, 1400);
  EXPECT_EQ(View.Scene().DXFrame()->GetSceneBackground(), kSkyColor & 0xFFFFFF);
  background.SetFogEnable(false);
  background.SetEnabled(false);
  View.Render(World.Map());
  EXPECT_FALSE(View.Scene().DXFrame()->GetSceneFog().enabled);
}

TEST_F(HeadlessViewTest, FailuresOfThePaintingNameTheirStep) {
  View.PlaceCamera(World.Map());
  rtl::faults::Arm("rm.Viewport.Render", rm::D3DRMERR_BADVALUE);
  ExpectRaises([&] { View.Render(World.Map()); }, "Window3D error: Render background failed code: 781");
  rtl::faults::Arm("rm.Viewport.Render", rm::D3DRMERR_BADVALUE, 1);
  ExpectRaises([&] { View.Render(World.Map()); }, "Window3D error: Render map failed code: 781");
  rtl::faults::Arm("rm.Viewport.Clear", rm::D3DRMERR_BADVALUE);
  ExpectRaises([&] { View.Render(World.Map()); }, "Window3D error: Clear viewport failed code: 781");
}

TEST_F(HeadlessViewTest, ATiledWorldIsRepeatedNearItsEdges) {
  View.PlaceCamera(World.Map());
  World.Map().Background().SetEnabled(false);
  World.Map().Background().SetFogEnable(false);
  View.Painter().Options().Back = 3000;
  const TBox3D& box = World.Map().Root().GetBox();
  ASSERT_LT(box.Max.X(), 1300);
  // Near the +x edge, looking along +x: beyond the edge lies sky, or the world again when tiled.
  View.Camera().GetPosition().SetXYZ(box.Max.X() - 100, 200, 0);
  View.Camera().GetOrientation().SetOrientation(1, -0.2f, 0, 0, 1, 0);
  View.Render(World.Map());
  const auto plain = View.Picture();
  World.Map().SetTiled(true);
  View.Render(World.Map());
  const auto tiled = View.Picture();
  EXPECT_GT(CountNear(tiled, 0xFF000000u, 8), 0) << "only the ground's far side is drawn";
  EXPECT_LT(CountNear(tiled, 0xFF000000u, 8), CountNear(plain, 0xFF000000u, 8));
  EXPECT_EQ(View.Camera().GetPosition().X(), box.Max.X() - 100) << "the camera is put back";
}

TEST(PngFileTest, WritesWhatItIsGivenAndReportsAFileItCannotCreate) {
  TempDir dir;
  const std::vector<std::uint32_t> pixels{0xFF102030u, 0xFFFFFFFFu, 0xFF000000u, 0x80FF0000u};
  WritePngFile(dir.File("p.png"), 2, 2, pixels);
  const Picture read = ReadPng(dir.File("p.png"));
  EXPECT_EQ(read.Pixels, pixels);
  ExpectRaises([&] { WritePngFile(dir.File("none/p.png"), 2, 2, pixels); },
               "Cannot create file " + dir.File("none/p.png"));
}

}  // namespace
