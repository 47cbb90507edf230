#include "tools/worldbuilder/Scenery.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "scene/Light3D.h"
#include "tools/worldbuilder/Assembly.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/Geometry.h"
#include "tools/worldbuilder/Land.h"
#include "tools/worldbuilder/Noise.h"
#include "tools/worldbuilder/Textures.h"

namespace worldbuilder {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
constexpr int kLandCells = static_cast<int>(2.0f * kLandHalf / kLandCell);
constexpr int kTiles = kLandCells / kTileCells;
// Ground textures repeat every this many metres.
constexpr float kGroundRepeat = 10.0f;

TGround GroundKind(const Vector& centre, const Vector& normal, float noise) {
  // Sand on the lake's bed (seen where the water is blended), mud where the water meets the land.
  if (centre.y < kWaterLevel - 1.5f) return TGround::Sand;
  if (centre.y < kWaterLevel + 1.0f + 0.3f * noise && LakeRadius(centre.x, centre.z) < 1.25f) return TGround::Mud;
  if (normal.y < 0.72f) return TGround::Rock;
  if (normal.y < 0.82f + 0.05f * noise) return TGround::Earth;
  return TGround::Moss;
}

// One tile: a surface per ground kind, each triangle in the surface its kind chooses. Steep
// ground takes its texture from the side so that cliffs are not smeared.
void AddLandTile(TWorld3D& world, int ti, int tj) {
  constexpr int kSurfaces = 5 * kGroundShadeCount;  // a surface per ground kind and shade
  TGeometry surfaces[kSurfaces];
  std::map<std::pair<int, int>, std::uint32_t> used[kSurfaces];
  auto corner = [](int i, int j) {
    const float x = -kLandHalf + static_cast<float>(i) * kLandCell, z = -kLandHalf + static_cast<float>(j) * kLandCell;
    return Vector{x, CornerHeight(x, z), z};
  };
  auto vertex = [&](int kind, int i, int j) {
    auto [at, added] = used[kind].try_emplace({i, j}, 0u);
    if (!added) return at->second;
    const Vector p = corner(i, j);
    const bool side = kind / kGroundShadeCount == static_cast<int>(TGround::Rock);
    const float u = (side ? p.x + p.z : p.x) / kGroundRepeat, v = (side ? -p.y : p.z) / kGroundRepeat;
    at->second = surfaces[kind].AddVertex(p, u, v);
    surfaces[kind].SetNormal(at->second, GroundNormal(p.x, p.z));
    return at->second;
  };
  for (int i = ti * kTileCells; i < (ti + 1) * kTileCells; ++i) {
    for (int j = tj * kTileCells; j < (tj + 1) * kTileCells; ++j) {
      const Vector middle = (corner(i, j) + corner(i + 1, j + 1)) * 0.5f;
      if (std::sqrt(middle.x * middle.x + middle.z * middle.z) > kMountainInner + 40.0f) continue;
      const int cells[2][3][2] = {{{i, j}, {i + 1, j}, {i + 1, j + 1}}, {{i, j}, {i + 1, j + 1}, {i, j + 1}}};
      for (const auto& tri : cells) {
        const Vector a = corner(tri[0][0], tri[0][1]), b = corner(tri[1][0], tri[1][1]),
                     c = corner(tri[2][0], tri[2][1]);
        const Vector centre = (a + b + c) * (1.0f / 3.0f);
        Vector normal = rm::Normalize(rm::Cross(b - a, c - a));
        if (normal.y < 0.0f) normal = normal * -1.0f;
        const float noise = ValueNoise(centre.x / 40.0f, centre.z / 40.0f, kTerrainSeed + 7);
        const float sunlight = -rm::Dot(normal, rm::Normalize({kSunX, kSunY, kSunZ}));
        const int shade = sunlight < 0.45f ? 0 : sunlight < 0.62f ? 1 : 2;
        const int kind = static_cast<int>(GroundKind(centre, normal, noise)) * kGroundShadeCount + shade;
        surfaces[kind].AddTriangle(vertex(kind, tri[0][0], tri[0][1]), vertex(kind, tri[1][0], tri[1][1]),
                                   vertex(kind, tri[2][0], tri[2][1]), {0, 1, 0});
      }
    }
  }
  const std::string name = "Land" + std::to_string(ti) + "_" + std::to_string(tj);
  bool any = false;
  for (const TGeometry& s : surfaces) any = any || !s.Empty();
  if (!any) return;
  TMesh3D& mesh = AddMesh(world, name);
  for (int kind = 0; kind < kSurfaces; ++kind) {
    const std::string material =
        std::string(kGroundMaterials[kind / kGroundShadeCount]) + kGroundShades[kind % kGroundShadeCount];
    if (!surfaces[kind].Empty()) surfaces[kind].Emit(mesh, material);
  }
}

// The lake's surface: a disc of rings, large enough to meet the shore all round.
void AddWaterMesh(TWorld3D& world) {
  TGeometry water;
  constexpr int segments = 32, rings = 4;
  constexpr float repeat = 6.0f;
  auto point = [](float ring, int segment) {
    const float angle = 2.0f * kPi * static_cast<float>(segment) / segments, reach = 1.08f * ring / rings;
    return Vector{kLakeX + kLakeRx * reach * std::cos(angle), kWaterLevel, kLakeZ + kLakeRz * reach * std::sin(angle)};
  };
  const std::uint32_t centre = water.AddVertex({kLakeX, kWaterLevel, kLakeZ}, kLakeX / repeat, kLakeZ / repeat);
  std::vector<std::uint32_t> previous(segments, centre);
  for (int r = 1; r <= rings; ++r) {
    std::vector<std::uint32_t> ring;
    for (int s = 0; s < segments; ++s) {
      const Vector p = point(static_cast<float>(r), s);
      ring.push_back(water.AddVertex(p, p.x / repeat, p.z / repeat));
    }
    for (int s = 0; s < segments; ++s) {
      const int n = (s + 1) % segments;
      water.AddTriangle(previous[s], ring[s], ring[n], {0, 1, 0});
      if (r > 1) water.AddTriangle(previous[s], ring[n], previous[n], {0, 1, 0});
    }
    previous = ring;
  }
  for (std::uint32_t i = 0; i <= segments * rings; ++i) water.SetNormal(i, {0, 1, 0});
  water.Emit(AddMesh(world, "Lake"), "Water");
}

// Peaks rise far out, so that from the valley they stand low on the horizon; ridges from noise
// of several scales around the ring.
float MountainHeight(float angle, float radius) {
  // The land's own rim in this direction: the mountains rise from there.
  const float foot = CornerHeight(kMountainInner * std::cos(angle), kMountainInner * std::sin(angle));
  if (radius <= kMountainInner) return foot - 15.0f;  // well under the land's rim, never level with it
  const float ridge = 0.5f + 0.5f * FractalNoise(angle * 9.0f, radius / 700.0f, 5, kTerrainSeed + 5);
  const float peak = 260.0f + 560.0f * ridge * ridge;
  const float rise = std::clamp((radius - kMountainInner) / 2200.0f, 0.0f, 1.0f);
  return foot + (peak - foot) * rise * rise * (3.0f - 2.0f * rise);
}

// A ring of rock from the land's rim to the horizon, on a polar grid whose rings widen outward.
void AddMountainMesh(TWorld3D& world) {
  TGeometry rock;
  constexpr int segments = 120;
  const float radii[] = {kMountainInner, 900.0f, 1050.0f, 1250.0f, 1600.0f, 2050.0f, 2600.0f, 3200.0f, kMountainOuter};
  constexpr int rings = std::size(radii);
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s <= segments; ++s) {
      const float angle = 2.0f * kPi * static_cast<float>(s) / segments;
      const float h = MountainHeight(angle, radii[r]);
      rock.AddVertex({radii[r] * std::cos(angle), h, radii[r] * std::sin(angle)},
                     8.0f * static_cast<float>(s) / segments, 1.0f - std::clamp(h / 620.0f, 0.0f, 1.0f));
    }
  }
  for (int r = 0; r + 1 < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      const auto p = static_cast<std::uint32_t>(r * (segments + 1) + s), q = p + segments + 1;
      rock.AddTriangle(p, q, q + 1, {0, 1, 0});
      rock.AddTriangle(p, q + 1, p + 1, {0, 1, 0});
    }
  }
  rock.SmoothNormals();
  rock.Emit(AddMesh(world, "Mountains"), "Mountain");
}

// A band of clouds around the camera, seen from inside; unlit, since the background hangs outside
// the lit world.
void AddCloudMesh(TWorld3D& world) {
  TGeometry band;
  constexpr int segments = 24;
  constexpr float radius = 6000.0f;
  const float elevations[] = {0.03f, 0.11f, 0.20f, 0.31f};  // low: clouds cost the sky's slow path
  for (int e = 0; e < 4; ++e) {
    for (int s = 0; s <= segments; ++s) {
      const float angle = 2.0f * kPi * static_cast<float>(s) / segments;
      const Vector p{radius * std::cos(elevations[e]) * std::cos(angle), radius * std::sin(elevations[e]),
                     radius * std::cos(elevations[e]) * std::sin(angle)};
      const std::uint32_t v =
          band.AddVertex(p, 5.0f * static_cast<float>(s) / segments, 1.0f - static_cast<float>(e) / 3.0f);
      band.SetNormal(v, rm::Normalize(p * -1.0f));
    }
  }
  for (int e = 0; e < 3; ++e) {
    for (int s = 0; s < segments; ++s) {
      const auto p = static_cast<std::uint32_t>(e * (segments + 1) + s), q = p + segments + 1;
      const float angle = 2.0f * kPi * (static_cast<float>(s) + 0.5f) / segments;
      const Vector inward{-std::cos(angle), 0.0f, -std::sin(angle)};
      band.AddTriangle(p, q, q + 1, inward);
      band.AddTriangle(p, q + 1, p + 1, inward);
    }
  }
  band.Emit(AddMesh(world, "Clouds"), "Clouds", false);
}

void AddLightModel(TWorld3D& world) {
  TModel3D& model = AddModel(world, "Daylight");
  // The first light is the ambient one the day-time cycle drives. Its intensity keeps a white
  // ambient from washing out the sun's shading.
  auto& ambient = AddItem<TLight3D>(model, "TLight3D");
  ambient.Color().SetRGBA(200, 204, 220, 255);
  ambient.SetIntensity(0.55f);
  auto& sun = AddItem<TLight3D>(model, "TLight3D");
  sun.SetLightKind(3);
  sun.Color().SetRGBA(255, 240, 210, 255);
  sun.SetIntensity(0.62f);
}

}  // namespace

void AddSceneryModels(TWorld3D& world) {
  for (int ti = 0; ti < kTiles; ++ti) {
    for (int tj = 0; tj < kTiles; ++tj) AddLandTile(world, ti, tj);
  }
  AddWaterMesh(world);
  AddMountainMesh(world);
  AddCloudMesh(world);
  rtl::CheckedCast<TMaterial3D>(*world.Materials().ItemByName("Mountain")).SetEmissiveEnabled(true);
  rtl::CheckedCast<TMaterial3D>(*world.Materials().ItemByName("Mountain")).SetEmissive(30.0f);
  TModel3D& land = AddModel(world, "Land");
  for (int i = 0; i < world.Meshes().Count(); ++i) {
    const std::string& name = world.Meshes().GetItem(i)->Name();
    if (name.rfind("Land", 0) == 0) AddShape(world, land, name);
  }
  AddShape(world, AddModel(world, "Lake"), "Lake");
  AddShape(world, AddModel(world, "Mountains"), "Mountains");
  AddLightModel(world);
}

void PlaceScenery(TWorld3D& world, TScene3D& scene) {
  AddObject(world, scene, "Daylight", "Daylight");
  TObject3D& light = *static_cast<TObject3D*>(scene.Objects().ItemByName("Daylight"));
  light.GetItem(1)->GetOrientation().SetOrientation(kSunX, kSunY, kSunZ, 0.0f, 1.0f, 0.0f);
  AddObject(world, scene, "Land", "Land");
  AddObject(world, scene, "Mountains", "Mountains");
  // The lake after the land: where the device blends, the bed shows through.
  AddObject(world, scene, "Lake", "Lake");
  TBackground3D& background = world.Map().Background();
  background.SetMesh(&rtl::CheckedCast<TMesh3D>(*world.Meshes().ItemByName("Clouds")));
  background.Color().SetColor(kSkyColor);
}

}  // namespace worldbuilder
