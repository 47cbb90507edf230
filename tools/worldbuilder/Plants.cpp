#include "tools/worldbuilder/Plants.h"

#include <cmath>
#include <map>
#include <numbers>

#include "anim/Motion3D.h"
#include "scene/ShapeAnimation3D.h"
#include "scene/Sprite3D.h"
#include "tools/worldbuilder/Assembly.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Geometry.h"
#include "tools/worldbuilder/Herds.h"
#include "tools/worldbuilder/Land.h"
#include "tools/worldbuilder/Noise.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

struct TKind {
  const char* mesh;  // a mesh, or a decal texture when `decal`
  bool decal;
  float radius, height;  // metres, for keeping clear of it
};

// Every plant and rock has a far version with fewer sides and leaves: the tour swaps it in
// (see BakePlantDetail). Far meshes take the near one's name with "Far" after it.
std::string MeshName(const char* name, bool far) { return far ? std::string(name) + "Far" : std::string(name); }

void TreeFern(TWorld3D& world, const char* name, float height, bool far) {
  TGeometry trunk, crown;
  trunk.AddSegment({0, -0.5f, 0}, {0.2f, height, 0.1f}, 0.35f, 0.25f, far ? 3 : 4);
  const int fronds = far ? 4 : 7;  // arched fronds keep their height, seen from the side
  for (int k = 0; k < fronds; ++k) {
    const float angle = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(fronds);
    const Vector out{std::cos(angle), 0, std::sin(angle)}, side{-out.z, 0, out.x};
    const Vector top{0.2f, height, 0.1f};
    const Vector mid = top + out * 1.8f + Vector{0, 0.7f, 0}, tip = top + out * 3.4f + Vector{0, -0.6f, 0};
    crown.AddSheet(top, mid + side * 0.55f, mid - side * 0.55f);
    crown.AddSheet(mid + side * 0.55f, tip, mid - side * 0.55f);
  }
  TMesh3D& mesh = AddMesh(world, MeshName(name, far));
  trunk.Emit(mesh, "Bark");
  crown.Emit(mesh, "Frond");
}

void Cycad(TWorld3D& world, bool far) {
  TGeometry trunk, crown;
  trunk.AddSegment({0, -0.3f, 0}, {0, 1.1f, 0}, 0.45f, 0.35f, far ? 3 : 4);
  const int leaves = far ? 4 : 8;
  for (int k = 0; k < leaves; ++k) {
    const float angle = 2.0f * kPi * static_cast<float>(k) / static_cast<float>(leaves);
    const Vector out{std::cos(angle), 0, std::sin(angle)}, side{-out.z, 0, out.x};
    const Vector base{0, 1.1f, 0}, tip = base + out * 1.6f + Vector{0, 0.9f - 0.3f * static_cast<float>(k % 3), 0};
    crown.AddSheet(base + side * (far ? 0.4f : 0.2f), tip, base - side * (far ? 0.4f : 0.2f));
  }
  TMesh3D& mesh = AddMesh(world, MeshName("Cycad", far));
  trunk.Emit(mesh, "Bark");
  crown.Emit(mesh, "Cycad");
}

// A monkey-puzzle: a tall bare trunk under an umbrella of needled tiers.
void Conifer(TWorld3D& world, const char* name, float height, bool far) {
  TGeometry trunk, crown;
  trunk.AddSegment({0, -0.5f, 0}, {0, height, 0}, 0.6f, 0.25f, far ? 3 : 4);
  const int tiers = far ? 1 : 3;
  for (int tier = 0; tier < tiers; ++tier) {
    const float y = height * (0.62f + 0.13f * static_cast<float>(tier)), reach = 5.5f - 1.5f * static_cast<float>(tier);
    crown.AddSegment({0, y - 1.2f, 0}, {0, y + (far ? 6.0f : 1.6f), 0}, reach, reach * 0.35f, far ? 4 : 6);
  }
  TMesh3D& mesh = AddMesh(world, MeshName(name, far));
  trunk.Emit(mesh, "Bark");
  crown.Emit(mesh, "Needles");
}

void Boulder(TWorld3D& world, const char* name, float size, bool far) {
  TGeometry rock;
  rock.AddEllipsoid({0, size * 0.35f, 0}, {size, size * 0.7f, size * 0.85f}, far ? 4 : 6, far ? 2 : 3);
  rock.Emit(AddMesh(world, MeshName(name, far)), "Rock");
}

// Where nothing may grow: within reach of any creature's path, or under water.
class TKeepOut {
 public:
  TKeepOut() {
    for (const THerd& herd : Herds()) {
      if (herd.species == TSpecies::Flyer) continue;
      for (int m = 0; m < static_cast<int>(herd.formation.size()); ++m) {
        for (float s = 0.0f; s < herd.Period(); s += 2.0f / herd.Speed()) {
          const TPose pose = herd.Pose(m, s);
          FPoints.push_back({pose.position.x, pose.position.z, Reach(herd.species) + 2.0f, 0.0f});
        }
      }
    }
  }
  bool Blocked(float x, float z, float radius) const {
    for (const TObstacle& p : FPoints) {
      if ((p.x - x) * (p.x - x) + (p.z - z) * (p.z - z) < (p.radius + radius) * (p.radius + radius)) return true;
    }
    return false;
  }

 private:
  std::vector<TObstacle> FPoints;
};

class TPlanter {
 public:
  TPlanter(TWorld3D& world, TScene3D& scene) : FWorld(world), FScene(scene), FRandom(kPlantSeed) {}

  // Plants `count` of a kind around (x, z) within `spread` metres where `fits` says the ground
  // suits them.
  template <class Fits>
  void Plant(const std::string& object, const std::vector<TKind>& kinds, int count, float x, float z, float spread,
             Fits fits) {
    TObject3D& holder = Holder(object);
    for (int tries = 0, planted = 0; planted < count && tries < count * 40; ++tries) {
      const TKind& kind = kinds[static_cast<std::size_t>(FRandom.Next() % kinds.size())];
      const float px = x + FRandom.Range(-spread, spread), pz = z + FRandom.Range(-spread, spread);
      if (std::fabs(px) > kLandHalf - 60.0f || std::fabs(pz) > kLandHalf - 60.0f) continue;
      if (!fits(px, pz) || FKeepOut.Blocked(px, pz, kind.radius) || Crowded(px, pz, kind.radius)) continue;
      const float angle = FRandom.Range(0.0f, 2.0f * kPi);
      TFrame3D& item = kind.decal ? static_cast<TFrame3D&>(Sprite(holder, kind.mesh))
                                  : static_cast<TFrame3D&>(AddShape(FWorld, holder, kind.mesh));
      Place(item, px, GroundHeight(px, pz), pz, std::cos(angle), std::sin(angle));
      FObstacles.push_back({px, pz, kind.radius, GroundHeight(px, pz) + kind.height});
      ++planted;
    }
  }

  std::vector<TObstacle> Obstacles() const { return FObstacles; }

 private:
  TObject3D& Holder(const std::string& name) {
    auto [at, added] = FHolders.try_emplace(name, nullptr);
    if (added) at->second = &rtl::CheckedCast<TObject3D>(*FScene.Objects().Add(name));
    return *at->second;
  }
  TSprite3D& Sprite(TObject3D& holder, const char* texture) {
    auto& sprite = AddItem<TSprite3D>(holder, "TSprite3D");
    sprite.SetVisual(&rtl::CheckedCast<TTexture3D>(*FWorld.Textures().ItemByName(texture)));
    return sprite;
  }
  bool Crowded(float x, float z, float radius) const {
    for (const TObstacle& o : FObstacles) {
      if ((o.x - x) * (o.x - x) + (o.z - z) * (o.z - z) < (o.radius + radius) * (o.radius + radius)) return true;
    }
    return false;
  }

  TWorld3D& FWorld;
  TScene3D& FScene;
  TRandom FRandom;
  TKeepOut FKeepOut;
  std::vector<TObstacle> FObstacles;
  std::map<std::string, TObject3D*> FHolders;
};

float Slope(float x, float z) { return GroundNormal(x, z).y; }

}  // namespace

void AddPlantMeshes(TWorld3D& world) {
  for (bool far : {false, true}) {
    TreeFern(world, "TreeFern", 5.5f, far);
    TreeFern(world, "TallTreeFern", 8.5f, far);
    Cycad(world, far);
    Conifer(world, "Conifer", 26.0f, far);
    Conifer(world, "TallConifer", 34.0f, far);
    Boulder(world, "Boulder", 1.6f, far);
    Boulder(world, "BigBoulder", 3.2f, far);
  }
}

// Each plant shows its near mesh only at the moments of the tour when the camera passes within
// kNearDetail of it, and its far mesh otherwise: every holder of meshes gets a shape key per
// kDetailSeconds of the tour and a motion that plays them with the tour.
void BakePlantDetail(TWorld3D& world, TScene3D& scene, const std::vector<rm::Vector>& eyes, float eyesPerSecond) {
  constexpr float kDetailSeconds = 2.0f, kNearDetail = 120.0f;
  const int keys = static_cast<int>(kTourSeconds / kDetailSeconds);
  for (const char* holderName : {"TreeFerns", "Cycads", "Conifers", "Boulders"}) {
    auto& holder = rtl::CheckedCast<TObject3D>(*scene.Objects().ItemByName(holderName));
    for (int i = 0; i < holder.ItemCount(); ++i) {
      auto& plant = rtl::CheckedCast<TShape3D>(*holder.GetItem(i));
      const rm::Vector at = plant.GetPosition().GetVector() * (1.0f / kUnit);
      auto& near = rtl::CheckedCast<TMesh3D>(*plant.GetVisual());
      auto& far = rtl::CheckedCast<TMesh3D>(*world.Meshes().ItemByName(near.Name() + "Far"));
      for (int k = 0; k <= keys; ++k) {
        bool close = false;  // within reach at any moment this key is shown (half a key either side)
        const float from = (static_cast<float>(k) - 0.75f) * kDetailSeconds, to = from + 1.5f * kDetailSeconds;
        for (float t = from; t <= to && !close; t += 1.0f / eyesPerSecond) {
          const auto e =
              static_cast<std::size_t>(std::lround(std::fmod(t + kTourSeconds, kTourSeconds) * eyesPerSecond));
          const rm::Vector d = eyes[e % eyes.size()] - at;
          close = rm::Dot(d, d) < kNearDetail * kNearDetail;
        }
        static_cast<TFrameShapeKey3D&>(*plant.ShapeAnimation().AddKey()).SetMesh(close ? &near : &far);
      }
    }
    auto& motion = rtl::CheckedCast<TMotion3D>(*holder.Motions().Add("Detail"));
    motion.SetRate(static_cast<float>(keys) / kTourSeconds);
    motion.SetLoop(true);
  }
}

std::vector<TObstacle> PlacePlants(TWorld3D& world, TScene3D& scene) {
  TPlanter planter(world, scene);
  const std::vector<TKind> ferns = {{"TreeFern", false, 3.6f, 7.0f}, {"TallTreeFern", false, 3.6f, 10.0f}};
  const std::vector<TKind> cycads = {{"Cycad", false, 1.8f, 2.5f}};
  const std::vector<TKind> conifers = {{"Conifer", false, 5.6f, 28.0f}, {"TallConifer", false, 5.6f, 36.0f}};
  const std::vector<TKind> boulders = {{"Boulder", false, 1.8f, 2.4f}, {"BigBoulder", false, 3.4f, 4.6f}};
  const std::vector<TKind> clumps = {{"FernClump", true, 1.0f, 1.6f}};
  const std::vector<TKind> reeds = {{"Horsetails", true, 0.8f, 2.0f}};
  auto floor = [](float x, float z) {
    const float h = GroundHeight(x, z);
    return h > kWaterLevel + 1.5f && h < 40.0f && Slope(x, z) > 0.9f;
  };
  // Groves: where, how many; the one the tour walks through is the thickest.
  const float groves[][3] = {{-120, 120, 26}, {60, 80, 10},    {230, 150, 10},  {-60, -20, 10}, {40, 480, 10},
                             {-260, 40, 10},  {260, -160, 10}, {-150, 260, 10}, {120, 330, 8},  {-130, -170, 8}};
  for (const auto& g : groves) planter.Plant("TreeFerns", ferns, static_cast<int>(g[2]), g[0], g[1], 45.0f, floor);
  // Cycads gather around the herds' grounds, so that the low shots see them.
  const float herds[][2] = {{-20, 330}, {170, -20}, {-215, -90}, {120, 200}};
  for (const auto& h : herds) planter.Plant("Cycads", cycads, 8, h[0], h[1], 130.0f, floor);
  planter.Plant("Cycads", cycads, 28, 0.0f, 0.0f, 560.0f, floor);
  planter.Plant("Conifers", conifers, 34, 0.0f, 0.0f, 700.0f, [](float x, float z) {
    const float h = GroundHeight(x, z);
    return h > 12.0f && h < 110.0f && Slope(x, z) > 0.8f;
  });
  // Boulders lie where rock meets the floor: under the cliffs and on the slopes.
  planter.Plant("Boulders", boulders, 50, 0.0f, 0.0f, 700.0f, [](float x, float z) {
    const float s = Slope(x, z);
    return GroundHeight(x, z) > kWaterLevel + 0.5f && s > 0.6f && s < 0.9f;
  });
  planter.Plant("FernClumps", clumps, 170, 0.0f, 0.0f, 520.0f, floor);
  planter.Plant("Horsetails", reeds, 90, kLakeX, kLakeZ, 240.0f, [](float x, float z) {
    const float h = GroundHeight(x, z);
    return h > kWaterLevel + 0.2f && h < kWaterLevel + 2.5f;
  });
  return planter.Obstacles();
}

}  // namespace worldbuilder
