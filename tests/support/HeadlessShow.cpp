#include "tests/support/HeadlessShow.h"

#include "anim/Motion3D.h"
#include "platform/os/Clock.h"
#include "render/ShowView.h"
#include "scene/Object3D.h"
#include "scene/Scene3D.h"

namespace testing_support {

THeadlessShow::THeadlessShow(int width, int height, const std::function<void(TWorld3D&)>& load)
    : FView(width, height, d3d::PixelFormat::RGB565) {
  load(FWorld);
  TMap3D& map = FWorld.Map();
  for (int s = 0; s < map.Scenes().Count(); ++s) {
    auto& scene = static_cast<TScene3D&>(*map.Scenes().GetItem(s));
    for (int i = 0; i < scene.Objects().Count(); ++i) Start(static_cast<TObject3D&>(*scene.Objects().GetItem(i)));
    for (int i = 0; i < scene.LinkedCount(); ++i) Start(*scene.GetLinked(i));
  }
  AddDayCycle(FDay);
  FTimer.Start();
}

// As the show starts an object: its first motion loops, its first ambient light follows the day.
void THeadlessShow::Start(TObject3D& object) {
  for (int j = 0; j < object.ItemCount() && FAmbient == nullptr; ++j) {
    auto* light = dynamic_cast<TLight3D*>(object.GetItem(j));
    if (light != nullptr && light->LightKind() == 0) FAmbient = light;
  }
  if (object.Motions().Count() == 0) return;
  auto& motion = static_cast<TMotion3D&>(*object.Motions().GetItem(0));
  motion.SetLoop(true);
  object.Motions().Play(motion);
}

void THeadlessShow::Step(std::uint32_t milliseconds) {
  os::AdvanceManualTime(milliseconds);
  FSeconds = FTimer.Time().AsSeconds();
  AdvanceMotions(static_cast<float>(FSeconds));
  FDay.Update(FSeconds);
  ApplyDayKey();
  TMap3D& map = FWorld.Map();
  FView.PlaceCamera(map);
  const TVector3D& position = FView.Camera().GetPosition();
  FSound.ListenerPosition().SetXYZ(position.X(), position.Y(), position.Z());
  FSound.Update();
  FView.Render(map);
}

void THeadlessShow::ApplyDayKey() {
  const TDayKey& key = FDay.CurrentKey();
  if (FAmbient != nullptr) FAmbient->Color().Assign(key.LightColor);
  TBackground3D& background = FWorld.Map().Background();
  background.SetFogEnable(key.Fog);
  background.SetFogStart(key.FogStart);
  background.SetFogEnd(key.FogEnd);
  background.Color().Assign(key.BackColor);
}

void LoadShowWorld(TWorld3D& world, const std::string& fileName) {
  TCollectionTexture3D& textures = world.Textures();
  textures.MinSize = kShowTextureMinSize;
  textures.MaxSize = kShowTextureMaxSize;
  textures.Depth = kShowTextureDepth;
  textures.Shift = kShowTextureShift;
  world.LoadFromFile(fileName);
  world.Meshes().SetShadeAll(0);
  world.Meshes().SetLightingAll(false);
}

}  // namespace testing_support
