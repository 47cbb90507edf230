// Scenes drawn through the retained-mode layer by the software device, compared with reference
// pictures (tests/references/rm_*.png), and properties of the pictures that must hold whatever the
// references say.

#include <gtest/gtest.h>

#include <numbers>

#include "tests/platform/rm/RmScene.h"
#include "tests/support/Picture.h"

using rm_testing::RmScene;
using testing_support::MatchesReference;
using testing_support::Picture;

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

int Red(std::uint32_t argb) { return (argb >> 16) & 0xFF; }
int Green(std::uint32_t argb) { return (argb >> 8) & 0xFF; }
int Blue(std::uint32_t argb) { return argb & 0xFF; }

// A turned, lit, checker-textured cube in front of the camera.
void BuildLitCube(RmScene& s) {
  s.Scene->SetSceneBackground(0x203040);
  s.Camera->SetPosition(nullptr, 0, 0, -5);
  auto cube = s.AddFrame();
  auto mesh = s.Cube(1.0f);
  mesh->SetGroupTexture(0, s.Checker(32, 8, 0xFFE0C080u, 0xFF804020u).Get());
  cube->AddVisual(mesh.Get());
  cube->SetOrientation(nullptr, 0.6f, -0.5f, 1.0f, 0.2f, 1.0f, 0.3f);
  auto sun = s.AddFrame();
  sun->SetOrientation(nullptr, 0.5f, -0.7f, 1.0f, 0, 1, 0);
  s.AddLight(sun.Get(), rm::LightType::Directional, 1.0f, 1.0f, 0.9f);
  s.AddLight(s.Scene.Get(), rm::LightType::Ambient, 0.25f, 0.25f, 0.3f);
}

}  // namespace

TEST(RmRender, LitTexturedCubeAt32And16Bits) {
  RmScene deep(96, 72, d3d::PixelFormat::XRGB8888);
  BuildLitCube(deep);
  const Picture picture32 = deep.Render();
  EXPECT_TRUE(MatchesReference(picture32, "rm_01_lit_textured_cube_32"));
  EXPECT_EQ(picture32.At(2, 2), 0xFF203040u) << "the background shows around the cube";
  EXPECT_NE(picture32.At(48, 36), 0xFF203040u) << "the cube covers the centre";

  RmScene shallow(96, 72, d3d::PixelFormat::RGB565);
  BuildLitCube(shallow);
  shallow.Device->SetDither(false);
  EXPECT_TRUE(MatchesReference(shallow.Render(), "rm_02_lit_textured_cube_16"));
}

TEST(RmRender, BackFacesAreNotDrawnAndTheDepthBufferOrdersSurfaces) {
  RmScene s(64, 48, d3d::PixelFormat::XRGB8888);
  s.Camera->SetPosition(nullptr, 0, 0, -6);
  auto nearFrame = s.AddFrame();
  auto farFrame = s.AddFrame();
  auto red = s.Cube(0.5f, 0xFFFF0000u);
  auto blue = s.Cube(1.5f, 0xFF0000FFu);
  red->SetGroupQuality(0, rm::D3DRMRENDER_UNLITFLAT);
  blue->SetGroupQuality(0, rm::D3DRMRENDER_UNLITFLAT);
  farFrame->AddVisual(blue.Get());
  farFrame->SetPosition(nullptr, 0, 0, 3);
  nearFrame->AddVisual(red.Get());  // added last, drawn last, but it is in front anyway
  const Picture picture = s.Render();
  EXPECT_EQ(picture.At(32, 24), 0xFFFF0000u);
  EXPECT_EQ(picture.At(32 + 9, 24), 0xFF0000FFu);

  // Seen from inside, a cube shows nothing: every face turns its back.
  s.Camera->SetPosition(nullptr, 0, 0, 3);
  nearFrame->DeleteVisual(red.Get());
  EXPECT_EQ(s.Render().At(32, 24), 0xFF000000u);
}

TEST(RmRender, AnimatedHierarchyGivesDifferentPicturesAtDifferentTimes) {
  RmScene s(80, 60, d3d::PixelFormat::XRGB8888);
  s.Camera->SetPosition(nullptr, 0, 2, -8);
  s.Camera->SetOrientation(nullptr, 0, -0.25f, 1, 0, 1, 0);
  s.AddLight(s.Scene.Get(), rm::LightType::Ambient, 0.4f, 0.4f, 0.4f);
  auto sun = s.AddFrame();
  sun->SetOrientation(nullptr, 0.3f, -1, 0.5f, 0, 0, 1);
  s.AddLight(sun.Get(), rm::LightType::Directional, 0.8f, 0.8f, 0.8f);
  auto body = s.AddFrame();
  auto arm = s.AddFrame(body.Get());
  body->AddVisual(s.Cube(0.8f, 0xFF40A040u).Get());
  arm->AddVisual(s.Cube(0.35f, 0xFFC04040u).Get());
  arm->SetPosition(nullptr, 1.6f, 0, 0);

  rtl::Ref<rm::Animation> walk;
  ASSERT_EQ(s.Root->CreateAnimation(&walk), rm::D3DRM_OK);
  walk->SetFrame(body.Get());
  walk->SetOptions(rm::D3DRMANIMATION_CLOSED | rm::D3DRMANIMATION_SPLINEPOSITION | rm::D3DRMANIMATION_POSITION |
                   rm::D3DRMANIMATION_SCALEANDROTATION);
  walk->AddPositionKey(0, -2, 0, 0);
  walk->AddPositionKey(1, 0, 1, 0);
  walk->AddPositionKey(2, 2, 0, 0);
  const auto step = rm::QuaternionFromRotation({0, 1, 0}, kPi / 4);
  walk->AddRotateKey(0, rm::QuaternionFromRotation({0, 1, 0}, 0));
  walk->AddRotateKey(1, step);
  walk->AddRotateKey(2, rm::QuaternionMultiply(step, step));  // composed: twice the angle

  walk->SetTime(0);
  const Picture start = s.Render();
  walk->SetTime(1.5f);
  const Picture later = s.Render();
  EXPECT_NE(start.Pixels, later.Pixels);
  EXPECT_TRUE(MatchesReference(start, "rm_03_hierarchy_t0"));
  EXPECT_TRUE(MatchesReference(later, "rm_04_hierarchy_t1_5"));
}

TEST(RmRender, PointSpotDirectionalAndAmbientLightsWithAttenuation) {
  RmScene s(96, 72, d3d::PixelFormat::XRGB8888);
  s.Camera->SetPosition(nullptr, 0, 6, -6);
  s.Camera->SetOrientation(nullptr, 0, -1, 1, 0, 1, 1);
  auto ground = s.AddFrame();
  ground->AddVisual(s.Ground(4, 24, 0xFFFFFFFFu).Get());
  s.AddLight(s.Scene.Get(), rm::LightType::Ambient, 0.1f, 0.1f, 0.1f);
  auto lamp = s.AddFrame();
  lamp->SetPosition(nullptr, -2, 1, 0);
  auto point = s.AddLight(lamp.Get(), rm::LightType::Point, 1.0f, 0.3f, 0.3f);
  point->SetLinearAttenuation(0.8f);
  auto torch = s.AddFrame();
  torch->SetPosition(nullptr, 2, 3, 0);
  torch->SetOrientation(nullptr, 0, -1, 0, 0, 0, 1);
  auto spot = s.AddLight(torch.Get(), rm::LightType::Spot, 0.3f, 0.3f, 1.0f);
  spot->SetUmbra(0.5f);
  spot->SetPenumbra(0.9f);
  const Picture picture = s.Render();
  EXPECT_TRUE(MatchesReference(picture, "rm_05_lights"));
  // The lamp on the left reddens the ground there; the torch on the right makes it blue.
  auto sum = [&](int x0, int x1, int (*channel)(std::uint32_t)) {
    int total = 0;
    for (int y = 0; y < s.Height; ++y) {
      for (int x = x0; x < x1; ++x) total += channel(picture.At(x, y));
    }
    return total;
  };
  EXPECT_GT(sum(0, 32, Red), sum(0, 32, Blue));
  EXPECT_GT(sum(64, 96, Blue), sum(64, 96, Red));
}

TEST(RmRender, FogOverALargeGroundAndTheBackgroundColourShow) {
  RmScene s(96, 72, d3d::PixelFormat::XRGB8888);
  s.Scene->SetSceneBackground(0x8090A0);
  s.Scene->SetSceneFogEnable(true);
  s.Scene->SetSceneFogColor(0x8090A0);
  s.Scene->SetSceneFogParams(4, 40, 1);
  s.Camera->SetPosition(nullptr, 0, 2, 0);
  s.Camera->SetOrientation(nullptr, 0, -0.15f, 1, 0, 1, 0);
  s.Viewport->SetBack(200);
  auto ground = s.AddFrame();
  auto mesh = s.Ground(100, 40, 0xFFFFFFFFu, 40);
  mesh->SetGroupTexture(0, s.Checker(16, 8, 0xFF206020u, 0xFF60A040u).Get());
  mesh->SetGroupQuality(0, rm::D3DRMRENDER_UNLITFLAT);
  ground->AddVisual(mesh.Get());
  const Picture picture = s.Render();
  EXPECT_TRUE(MatchesReference(picture, "rm_06_fog_ground"));
  EXPECT_EQ(picture.At(48, 1), 0xFF8090A0u) << "the sky is the background colour";
  // Near the bottom the ground is green; towards the horizon it fades into the fog colour.
  EXPECT_GT(Green(picture.At(48, 70)), Red(picture.At(48, 70)) + 30);
}

TEST(RmRender, DecalsKeepTheirTransparentColourOut) {
  RmScene s(64, 48, d3d::PixelFormat::XRGB8888);
  s.Scene->SetSceneBackground(0x000040);
  s.Camera->SetPosition(nullptr, 0, 0, -4);
  auto sprite = s.AddFrame();
  auto texture = s.Checker(16, 4, 0xFFFF00FFu, 0xFFFFFF00u);  // magenta squares are the holes
  texture->SetDecalSize(2, 2);
  texture->SetDecalOrigin(8, 8);
  texture->SetDecalTransparency(true);
  texture->SetDecalTransparentColor(0xFFFF00FFu);
  sprite->AddVisual(texture.Get());
  const Picture picture = s.Render();
  EXPECT_TRUE(MatchesReference(picture, "rm_07_decal"));
  int holes = 0, yellow = 0;
  for (std::uint32_t p : picture.Pixels) {
    if (p == 0xFFFF00FFu) ADD_FAILURE() << "a transparent texel was drawn";
    holes += p == 0xFF000040u;
    yellow += p == 0xFFFFFF00u;
  }
  EXPECT_GT(yellow, 100);
  EXPECT_GT(holes, 64 * 48 / 2);
}

TEST(RmRender, AClipBoxEntirelyOutsideTheViewOrEmptyHidesTheFrameAndItsSubtree) {
  RmScene s(64, 48, d3d::PixelFormat::XRGB8888);
  s.Camera->SetPosition(nullptr, 0, 0, -5);
  const Picture empty = s.Render();
  auto frame = s.AddFrame();
  auto child = s.AddFrame(frame.Get());
  child->AddVisual(s.Cube(1, 0xFFFFFFFFu).Get());
  s.AddLight(s.Scene.Get(), rm::LightType::Ambient, 1, 1, 1);
  EXPECT_NE(s.Render().Pixels, empty.Pixels);
  frame->SetBox({{10, 10, 10}, {11, 11, 11}});
  frame->SetBoxEnable(true);
  EXPECT_EQ(s.Render().Pixels, empty.Pixels) << "the box lies outside the view";
  frame->SetBox({{0, 0, 0}, {0, 0, 0}});
  EXPECT_EQ(s.Render().Pixels, empty.Pixels) << "an empty box hides always";
  frame->SetBox({{-1, -1, -1}, {1, 1, 1}});
  EXPECT_NE(s.Render().Pixels, empty.Pixels);
  frame->SetBoxEnable(false);
}

TEST(RmRender, BlendedGroupsSortedBackToFront) {
  RmScene s(64, 48, d3d::PixelFormat::XRGB8888);
  s.Device->SetRenderMode(rm::D3DRMRENDERMODE_BLENDEDTRANSPARENCY);
  s.Camera->SetPosition(nullptr, 0, 0, -5);
  s.Scene->SetSortMode(rm::SortMode::BackToFront);
  auto front = s.AddFrame();
  auto back = s.AddFrame();
  auto glass = s.Cube(0.8f, 0x80FF0000u);
  glass->SetGroupQuality(0, rm::D3DRMRENDER_UNLITFLAT);
  auto wall = s.Cube(1.5f, 0xFF00FF00u);
  wall->SetGroupQuality(0, rm::D3DRMRENDER_UNLITFLAT);
  front->AddVisual(glass.Get());  // first in tree order, but nearer: sorted after the wall
  back->AddVisual(wall.Get());
  back->SetPosition(nullptr, 0, 0, 4);
  const Picture picture = s.Render();
  EXPECT_TRUE(MatchesReference(picture, "rm_08_blended_sorted"));
  const std::uint32_t centre = picture.At(32, 24);
  EXPECT_NEAR(Red(centre), 128, 3);
  EXPECT_NEAR(Green(centre), 127, 3);
}

TEST(RmRender, PalettisedTargetWireframeAndFlatShading) {
  RmScene s(80, 60, d3d::PixelFormat::Palette8, 16);
  s.Camera->SetPosition(nullptr, 0, 0, -6);
  s.AddLight(s.Scene.Get(), rm::LightType::Ambient, 0.3f, 0.3f, 0.3f);
  auto sun = s.AddFrame();
  sun->SetOrientation(nullptr, 0.4f, -0.6f, 1, 0, 1, 0);
  s.AddLight(sun.Get(), rm::LightType::Directional, 0.9f, 0.9f, 0.9f);
  auto left = s.AddFrame();
  auto right = s.AddFrame();
  left->SetPosition(nullptr, -1.6f, 0, 0);
  right->SetPosition(nullptr, 1.6f, 0, 0);
  left->SetOrientation(nullptr, 0.5f, 0.4f, 1, 0, 1, 0);
  right->SetOrientation(nullptr, -0.5f, 0.4f, 1, 0, 1, 0);
  auto flat = s.Cube(1, 0xFFE0A040u);
  flat->SetGroupQuality(0, rm::D3DRMRENDER_FLAT);
  auto wire = s.Cube(1, 0xFF40FF40u);
  wire->SetGroupQuality(0, rm::D3DRMRENDER_WIREFRAME);
  left->AddVisual(flat.Get());
  right->AddVisual(wire.Get());
  s.Device->SetDither(false);
  const Picture picture = s.Render();
  EXPECT_TRUE(MatchesReference(picture, "rm_09_palette8_flat_wireframe"));
  EXPECT_EQ(picture.At(60, 30), 0xFF000000u) << "the wireframe cube's middle stays empty";
}

TEST(RmRender, GeometryCrossingTheViewVolumeIsClippedToTheViewport) {
  RmScene s(64, 48, d3d::PixelFormat::XRGB8888);
  ASSERT_EQ(s.Viewport->Configure(16, 12, 32, 24), rm::D3DRM_OK);
  s.Scene->SetSceneBackground(0x0000FF);
  s.Camera->SetPosition(nullptr, 0, 3, 0);  // well above the front plane
  auto floor = s.AddFrame();
  auto mesh = s.Ground(50, 2, 0xFFFFFFFFu);  // reaches behind the camera and far past the sides
  mesh->SetGroupQuality(0, rm::D3DRMRENDER_UNLITFLAT);
  floor->AddVisual(mesh.Get());
  s.Camera->SetOrientation(nullptr, 0, -1, 0.2f, 0, 0, 1);  // looking almost straight down
  const Picture picture = s.Render();
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 16 && x < 48 && y >= 12 && y < 36;
      // Outside the viewport nothing is drawn; inside, the floor fills the view.
      ASSERT_EQ(picture.At(x, y), inside ? 0xFFFFFFFFu : 0xFF000000u) << "at " << x << "," << y;
    }
  }
  EXPECT_EQ(s.Viewport->Configure(40, 0, 32, 24), rm::D3DRMERR_BADVALUE) << "wider than the device";
}
