#include "render/MapPainter.h"

#include <bit>

#include "core3d/CheckResult.h"
#include "platform/d3d/Device.h"
#include "platform/rtl/FloatGuard.h"

namespace {

// The background mesh lies far out: the back plane is pushed out while it is drawn.
constexpr float kBackgroundBack = 1000000.0f;
constexpr float kFogDensity = 1.0f;

// The shift that repeats a tiled world along one axis: the width of the world towards the edge
// that lies within `back` of `v`, or nothing.
float TiledShift(float v, float back, float minimum, float maximum) {
  if (v + back > maximum) return -(maximum - minimum);
  if (v - back < minimum) return maximum - minimum;
  return 0.0f;
}

}  // namespace

TMapPainter::TMapPainter(rm::Viewport& viewport, rm::Device& device, TFrame3D& scene, TFrame3D& camera)
    : FViewport(viewport), FDevice(device), FScene(scene), FCamera(camera) {}

void TMapPainter::DrawMap(TMap3D& map) {
  if (map.Root().Parent() == nullptr) map.Root().SetParent(&FScene);
  map.FollowCamera(FCamera);
  map.CountRender();
  {
    rtl::FloatExceptionGuard guard;
    CheckResult(FViewport.Clear(), "Window3D error: Clear viewport failed");
    const int x = FViewport.GetX(), y = FViewport.GetY();
    CheckResult(FViewport.ForceUpdate(x, y, x + FViewport.GetWidth() - 1, y + FViewport.GetHeight() - 1),
                "Window3D error: Force update viewport failed");
    TBackground3D& background = map.Background();
    if (background.Enabled()) DrawBackground(background);
    ApplyFog(background);
    // Transparent items or decals take a second pass: the first draws the scene in tree order and
    // fills the depth buffer, the second draws it again back to front, so that blended surfaces
    // composite over what lies behind them. The sort mode is set after each pass for the pass that
    // follows; it ends at none, which the next frame's first pass draws with.
    const int passes = FOptions.TransparentItems || FOptions.DecalItems ? 2 : 1;
    for (int remaining = passes - 1; remaining >= 0; --remaining) {
      DrawPass(map);
      CheckResult(FScene.DXFrame()->SetSortMode(remaining == 1 ? rm::SortMode::BackToFront : rm::SortMode::None),
                  "Window3D error: Set sort mode failed");
    }
  }
  CheckResult(FDevice.Update(), "Window3D error: Can't update device");
}

// The background travels with the camera, so it never comes nearer.
void TMapPainter::DrawBackground(TBackground3D& background) {
  TVector3D& eye = FCamera.GetPosition();
  TVector3D& position = background.GetPosition();
  position.SetCoord(0, eye.X());
  position.SetCoord(2, eye.Z());
  position.SetCoord(1, eye.Y());
  background.SetZBuffer(false);
  SetBack(kBackgroundBack);
  CheckResult(FViewport.Render(background.DXFrame()), "Window3D error: Render background failed");
  SetBack(FOptions.Back);
  CheckResult(FScene.DXFrame()->SetSceneBackground(background.Color().GetColor()),
              "Background3D error: Set scene background failed");
}

void TMapPainter::SetBack(float back) { CheckResult(FViewport.SetBack(back), "Window3D error: Can't set back plane"); }

void TMapPainter::ApplyFog(TBackground3D& background) {
  rm::Frame& scene = *FScene.DXFrame();
  if (!background.FogEnable()) {
    CheckResult(scene.SetSceneFogEnable(false), "Background3D error: Set scene fog enable failed");
    return;
  }
  CheckResult(scene.SetSceneFogColor(background.Color().GetColor()), "Background3D error: Set scene fog color failed");
  CheckResult(scene.SetSceneFogMode(rm::FogMode::Linear), "Background3D error: Set scene fog mode failed");
  CheckResult(scene.SetSceneFogParams(background.FogStart(), background.FogEnd(), kFogDensity),
              "Background3D error: Set scene fog start failed");
  CheckResult(scene.SetSceneFogEnable(true), "Background3D error: Set scene fog enable failed");
  if (FOptions.DeviceFog) SetDeviceFog(FDevice, background.FogStart(), background.FogEnd());
}

// A tiled world is drawn again from the camera shifted by the world's width towards each edge
// within sight, then from the true camera.
void TMapPainter::DrawPass(TMap3D& map) {
  if (map.Tiled()) {
    const TBox3D& box = map.Root().GetBox();
    TVector3D& eye = FCamera.GetPosition();
    const float x = eye.X(), y = eye.Y(), z = eye.Z();
    const float dx = TiledShift(x, FOptions.Back, box.Min.X(), box.Max.X());
    const float dz = TiledShift(z, FOptions.Back, box.Min.Z(), box.Max.Z());
    if (dx != 0.0f && dz != 0.0f) {
      RenderSceneFrom(x + dx, y, z);
      RenderSceneFrom(x + dx, y, z + dz);
      RenderSceneFrom(x, y, z + dz);
    } else if (dz != 0.0f) {
      RenderSceneFrom(x, y, z + dz);
    } else if (dx != 0.0f) {
      RenderSceneFrom(x + dx, y, z);
    }
    if (dx != 0.0f || dz != 0.0f) FCamera.GetPosition().SetXYZ(x, y, z);
  }
  RenderScene();
}

void TMapPainter::RenderSceneFrom(float x, float y, float z) {
  FCamera.GetPosition().SetXYZ(x, y, z);
  RenderScene();
}

void TMapPainter::RenderScene() {
  CheckResult(FViewport.Render(FScene.DXFrame()), "Window3D error: Render map failed");
}

void SetDeviceFog(rm::Device& device, float start, float end) {
  const TRenderState states[] = {
      {d3d::RenderStateType::FogTableMode, static_cast<std::uint32_t>(d3d::FogMode::Linear)},
      {d3d::RenderStateType::FogTableStart, std::bit_cast<std::uint32_t>(start)},
      {d3d::RenderStateType::FogTableEnd, std::bit_cast<std::uint32_t>(end)},
  };
  SetRenderStates(device, states, "Get d3d device failed");
}

void SetRenderStates(rm::Device& device, std::span<const TRenderState> states, const char* noDevice) {
  d3d::Device* rasterizer = device.GetDirect3DDevice();
  if (rasterizer == nullptr) CheckResult(rm::D3DRMERR_BADOBJECT, noDevice);
  CheckResult(rasterizer->BeginScene(), "Window3D error: Begin scene failed");
  std::int32_t failed = d3d::D3D_OK;
  for (const TRenderState& state : states) {
    const std::int32_t result = rasterizer->SetRenderState(state.Type, state.Value);
    if (failed == d3d::D3D_OK) failed = result;
  }
  const std::int32_t ended = rasterizer->EndScene();
  CheckResult(failed, "Window3D error: Set render state failed");
  CheckResult(ended, "Window3D error: End scene failed");
}
