#include "tests/scene/WorldGenerator.h"

#include <random>
#include <string>

#include "anim/Motion3D.h"
#include "platform/rtl/Cast.h"
#include "resources/TextureAnimation3D.h"
#include "scene/ItemSound3D.h"
#include "scene/Light3D.h"
#include "scene/Shape3D.h"
#include "scene/ShapeAnimation3D.h"
#include "scene/Sprite3D.h"

namespace testing_support {

namespace {

constexpr const char* kItemClasses[] = {"TShape3D", "TSprite3D", "TLight3D", "TCamera3D", "TItemSound3D"};

class TGenerator {
 public:
  TGenerator(TWorld3D& world, unsigned seed) : FWorld(world), FRandom(seed), FSeed(std::to_string(seed)) {}

  void Generate() {
    AnimateTexture();
    for (int m = 0; m < 3; ++m) AddModel("GenModel" + FSeed + "_" + std::to_string(m));
    for (int s = 0; s < FWorld.Map().Scenes().Count(); ++s) Place(Scene(s).Root());
    for (int i = 0; i < 5; ++i) AddMapObject("GenObject" + FSeed + "_" + std::to_string(i));
    TScene3D& scene = Scene(Pick(FWorld.Map().Scenes().Count()));
    PlaceObject(rtl::CheckedCast<TObject3D>(*scene.Objects().Add("GenOwn" + FSeed)));
  }

 private:
  float Coordinate() { return std::uniform_real_distribution<float>(-300.0f, 300.0f)(FRandom); }
  int Pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(FRandom); }
  bool Chance(int percent) { return Pick(100) < percent; }
  TScene3D& Scene(int index) { return rtl::CheckedCast<TScene3D>(*FWorld.Map().Scenes().GetItem(index)); }

  // Moved, and turned about an axis off the vertical.
  void Place(TFrame3D& frame) {
    frame.GetPosition().SetXYZ(Coordinate(), Coordinate(), Coordinate());
    frame.GetOrientation().SetOrientation(Coordinate(), Coordinate() / 4, Coordinate(), Coordinate() / 8, 100, 0);
  }

  void AddKeys(TFrame3D& frame) {
    const int channels = 1 + Pick(7);  // position 1, rotation 2, scale 4
    for (int k = 0; k < 2 + Pick(2); ++k) {
      auto& key = static_cast<TFrameKey3D&>(*frame.Animation().AddKey());
      if (channels & 1) {
        key.SetUsePosition(true);
        key.KeyPosition.SetXYZ(Coordinate(), Coordinate(), Coordinate());
      }
      if (channels & 2) {
        key.SetUseRotation(true);
        key.KeyRotation.Axis.SetXYZ(Coordinate(), 300, Coordinate());
        key.KeyRotation.Angle.SetValue(Coordinate() / 200);
      }
      if (channels & 4) {
        key.SetUseScale(true);
        key.KeyScale.SetXYZ(1.5f, 1, 0.5f + k);
      }
    }
  }

  void AnimateTexture() {
    TTexture3D& texture = Texture();
    for (int k = 0; k < 2; ++k) {
      auto& key = static_cast<TTextureKey3D&>(*texture.Animation.AddKey());
      for (int b = 0; b < key.Height() * key.BytesPerLine(); ++b) key.Pixels()[b] = static_cast<std::uint8_t>(b * 7 + k);
    }
    Texture().SetDecalTransparency(1);
  }

  TItem3D& AddItem(TModel3D& model, TFrame3D& parent) {
    TItem3D& item = *model.CreateItem(kItemClasses[Pick(5)]);
    item.SetParent(&parent);
    item.SetComment("depth " + std::to_string(Pick(9)));
    item.SetTag(Pick(1000));
    if (auto* shape = dynamic_cast<TShape3D*>(&item)) {
      shape->SetVisual(&Mesh());
      for (int k = 0; k < Pick(3); ++k) static_cast<TFrameShapeKey3D&>(*shape->ShapeAnimation().AddKey()).SetMesh(&Mesh());
    } else if (auto* sprite = dynamic_cast<TSprite3D*>(&item)) {
      sprite->SetVisual(&Texture());
    } else if (auto* light = dynamic_cast<TLight3D*>(&item)) {
      light->SetLightKind(static_cast<std::uint8_t>(Pick(5)));
    } else if (auto* sound = dynamic_cast<TItemSound3D*>(&item)) {
      sound->SetSound(rtl::CheckedCast<TSound3D>(FWorld.Sounds().GetItem(Pick(FWorld.Sounds().Count()))));
    }
    Place(item);
    if (Chance(40)) AddKeys(item);
    if (Chance(15)) item.SetVisible(false);
    return item;
  }

  TTexture3D& Texture() {
    return rtl::CheckedCast<TTexture3D>(*FWorld.Textures().GetItem(Pick(FWorld.Textures().Count())));
  }
  TMesh3D& Mesh() { return rtl::CheckedCast<TMesh3D>(*FWorld.Meshes().GetItem(Pick(FWorld.Meshes().Count()))); }

  void AddTree(TModel3D& model, TFrame3D& parent, int depth) {
    for (int c = 0; c < 1 + Pick(2); ++c) {
      TItem3D& item = AddItem(model, parent);
      if (depth < 4 && Chance(70)) AddTree(model, item, depth + 1);
    }
  }

  void AddModel(const std::string& name) {
    auto& model = rtl::CheckedCast<TModel3D>(*FWorld.Models().Add(name));
    AddTree(model, model.Root(), 1);
    rtl::CheckedCast<TMotion3D>(*model.Motions().Add("Go")).SetLoop(Chance(50));
    FModels.push_back(&model);
  }

  // An object takes one of the generated models and its place, in either order.
  void PlaceObject(TObject3D& object) {
    object.SetModel(FModels[Pick(static_cast<int>(FModels.size()))]);
    Place(object.Root());
    if (Chance(40)) AddKeys(object.Root());
    if (Chance(50) && object.ItemCount() > 1) Place(*object.GetItem(object.ItemCount() - 1));
  }

  void AddMapObject(const std::string& name) {
    auto& object = rtl::CheckedCast<TObject3D>(*FWorld.Map().Objects().Add(name));
    TScene3D& scene = Scene(Pick(FWorld.Map().Scenes().Count()));
    const bool linkFirst = Chance(50);
    if (linkFirst) scene.AddObject(&object);
    PlaceObject(object);
    if (!linkFirst) scene.AddObject(&object);
    if (Chance(30)) Scene(Pick(FWorld.Map().Scenes().Count())).AddObject(&object);
  }

  TWorld3D& FWorld;
  std::mt19937 FRandom;
  std::string FSeed;
  std::vector<TModel3D*> FModels;
};

}  // namespace

void AddGeneratedObjects(TWorld3D& world, unsigned seed) { TGenerator(world, seed).Generate(); }

}  // namespace testing_support
