// The default world as the build writes it into the data folder, loaded with the show's texture
// settings: it saves back to the same bytes, every name in it resolves, the tour keeps clear of
// the ground and of everything standing or walking, walkers keep their feet on the ground, and the
// four fixed times of day look clearly different.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "anim/DayAnimation.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/MemoryStream.h"
#include "render/HeadlessView.h"
#include "scene/ItemSound3D.h"
#include "scene/Light3D.h"
#include "scene/Shape3D.h"
#include "tests/scene/WorldGenerator.h"
#include "tools/worldbuilder/Config.h"
#include "tools/worldbuilder/ShowTime.h"
#include "tools/worldbuilder/Tour.h"
#include "tools/worldbuilder/WorldBuilder.h"

namespace {

using worldbuilder::kUnit;

const std::string kWorldFile = std::string(Q3D_DATA_DIR) + "/" + worldbuilder::kWorldFileName;

// Objects that neither stand nor walk: the tour may come near them.
bool IsScenery(const std::string& name) {
  for (const char* scenery : {"Land", "Mountains", "Lake", "Daylight", "Ambience", "Tour"}) {
    if (name == scenery) return true;
  }
  return false;
}

std::vector<TObject3D*> Objects(TWorld3D& world) {
  std::vector<TObject3D*> objects;
  for (int s = 0; s < world.Map().Scenes().Count(); ++s) {
    const TCollectionObject3D& own = static_cast<TScene3D*>(world.Map().Scenes().GetItem(s))->Objects();
    for (int i = 0; i < own.Count(); ++i) objects.push_back(static_cast<TObject3D*>(own.GetItem(i)));
  }
  return objects;
}

rm::Vector WorldPoint(const TFrame3D& frame, const rm::Vector& local) {
  TBox3D box;
  box.Min.SetXYZ(local.x, local.y, local.z);
  box.Max.SetXYZ(local.x, local.y, local.z);
  frame.TransformBox(box);
  return box.Min.GetVector();
}

// The height of the land's triangles under a point, found through a grid of their footprints.
class TGroundProbe {
 public:
  explicit TGroundProbe(TObject3D& land) {
    for (int i = 0; i < land.ItemCount(); ++i) {
      const auto& mesh = rtl::CheckedCast<TMesh3D>(*rtl::CheckedCast<TShape3D>(*land.GetItem(i)).GetVisual());
      for (int s = 0; s < mesh.SurfaceCount(); ++s) AddSurface(*mesh.GetSurface(s));
    }
  }
  // The ground's height at (x, z), or the lowest float where no land lies.
  float Height(float x, float z) const {
    const auto cell = FCells.find(Key(x, z));
    if (cell == FCells.end()) return -1e30f;
    for (std::size_t t : cell->second) {
      const rm::Vector& a = FTriangles[t][0];
      const rm::Vector& b = FTriangles[t][1];
      const rm::Vector& c = FTriangles[t][2];
      const float d = (b.z - c.z) * (a.x - c.x) + (c.x - b.x) * (a.z - c.z);
      const float u = ((b.z - c.z) * (x - c.x) + (c.x - b.x) * (z - c.z)) / d;
      const float v = ((c.z - a.z) * (x - c.x) + (a.x - c.x) * (z - c.z)) / d;
      if (u >= -1e-4f && v >= -1e-4f && u + v <= 1.0001f) return u * a.y + v * b.y + (1 - u - v) * c.y;
    }
    return -1e30f;
  }

 private:
  static constexpr float kCell = 20.0f * kUnit;
  static std::pair<int, int> Key(float x, float z) {
    return {static_cast<int>(std::floor(x / kCell)), static_cast<int>(std::floor(z / kCell))};
  }
  void AddSurface(const TSurface3D& surface) {
    const auto vertices = surface.Vertices();
    const auto faces = surface.Faces();
    for (std::size_t f = 0; f + 2 < faces.size(); f += 3) {
      FTriangles.push_back(
          {vertices[faces[f]].position, vertices[faces[f + 1]].position, vertices[faces[f + 2]].position});
      float x0 = 1e30f, x1 = -1e30f, z0 = 1e30f, z1 = -1e30f;
      for (const rm::Vector& p : FTriangles.back()) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), z0 = std::min(z0, p.z), z1 = std::max(z1, p.z);
      }
      const auto [i0, j0] = Key(x0, z0);
      const auto [i1, j1] = Key(x1, z1);
      for (int i = i0; i <= i1; ++i) {
        for (int j = j0; j <= j1; ++j) FCells[{i, j}].push_back(FTriangles.size() - 1);
      }
    }
  }

  std::vector<std::array<rm::Vector, 3>> FTriangles;
  std::map<std::pair<int, int>, std::vector<std::size_t>> FCells;
};

class DefaultWorldTest : public ::testing::Test {
 protected:
  // The show's texture settings; the stored pictures are kept, as an editor of the world would,
  // so that the world can be saved again.
  DefaultWorldTest() : View(320, 240, d3d::PixelFormat::RGB565), Sounds(1), World(&Sounds) {
    UseShowTextures(World);
    World.LoadFromFile(kWorldFile);
  }

  static void UseShowTextures(TWorld3D& world) {
    TCollectionTexture3D& textures = world.Textures();
    textures.MinSize = 8;
    textures.MaxSize = 256;
    textures.Depth = 16;
    textures.Shift = 0;
    textures.KeepSource = true;
  }

  std::vector<std::uint8_t> SavedAfterLoading(const std::vector<std::uint8_t>& bytes) {
    TWorld3D world(&Sounds);
    UseShowTextures(world);
    rtl::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    world.LoadFromStream(stream);
    rtl::TMemoryStream saved;
    world.SaveToStream(saved);
    return saved.Bytes();
  }

  THeadlessView View;
  TSoundDevice Sounds;
  TWorld3D World;
};

TEST_F(DefaultWorldTest, LoadsAndSavesBackToTheSameBytes) {
  std::ifstream file(kWorldFile, std::ios::binary);
  const std::vector<char> stored{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  rtl::TMemoryStream saved;
  World.SaveToStream(saved);
  ASSERT_EQ(static_cast<std::size_t>(saved.Size()), stored.size());
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), saved.Bytes().begin(),
                         [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; }));
}

// With items under items of map objects moved, turned and keyed in its moved and turned scenes, the
// world saved after loading loads back to the same bytes, round after round.
TEST_F(DefaultWorldTest, WithGeneratedObjectsLinkedInItSavesBackToTheSameBytes) {
  testing_support::AddGeneratedObjects(World, 5);
  rtl::TMemoryStream built;
  World.SaveToStream(built);
  const std::vector<std::uint8_t> first = SavedAfterLoading(built.Bytes());
  EXPECT_GT(first.size(), static_cast<std::size_t>(std::filesystem::file_size(kWorldFile)));
  EXPECT_TRUE(SavedAfterLoading(first) == first);
}

TEST_F(DefaultWorldTest, EveryNameItReferencesResolves) {
  for (int i = 0; i < World.Materials().Count(); ++i) {
    auto& material = rtl::CheckedCast<TMaterial3D>(*World.Materials().GetItem(i));
    EXPECT_EQ(material.GetTextureRef().GetItemName().empty(), material.GetTexture() == nullptr) << material.Name();
  }
  for (int i = 0; i < World.Meshes().Count(); ++i) {
    const auto& mesh = rtl::CheckedCast<TMesh3D>(*World.Meshes().GetItem(i));
    for (int s = 0; s < mesh.SurfaceCount(); ++s) EXPECT_NE(mesh.GetSurface(s)->GetMaterial(), nullptr) << mesh.Name();
  }
  int visuals = 0, sounds = 0, unresolved = 0;
  for (TObject3D* object : Objects(World)) {
    if (!object->ModelRef().GetItemName().empty() && object->GetModel() == nullptr) ++unresolved;
    for (int i = 0; i < object->ItemCount(); ++i) {
      TItem3D* item = object->GetItem(i);
      if (auto* visual = dynamic_cast<TVisualItem3D*>(item)) {
        ++visuals;
        if (visual->GetVisual() == nullptr) ++unresolved;
      }
      if (auto* sound = dynamic_cast<TItemSound3D*>(item)) {
        ++sounds;
        if (sound->GetSound().Samples() == nullptr) ++unresolved;
      }
    }
  }
  EXPECT_EQ(unresolved, 0);
  EXPECT_GT(visuals, 500);
  EXPECT_GE(sounds, 8);
  EXPECT_NE(World.Map().Background().GetMesh(), nullptr);
  EXPECT_NE(FindCamera(World.Map()), nullptr);
}

// Every 0.1 s of the tour's loop: the camera 1.5 m or more above the land and 2 m or more outside
// every box of a creature's part, a plant or a rock; every foot of a walker within 0.5 m of the
// land (its swing lifts it a little, uneven ground under a long body a little more).
TEST_F(DefaultWorldTest, TheTourKeepsClearAndWalkersKeepTheirFeetOnTheGround) {
  constexpr float kGroundClearance = worldbuilder::kCameraGroundClearance * kUnit;
  constexpr float kBoxClearance = worldbuilder::kCameraBoxClearance * kUnit;
  constexpr float kFootTolerance = 0.5f * kUnit;
  std::vector<TObject3D*> things;
  TObject3D* land = nullptr;
  for (TObject3D* object : Objects(World)) {
    if (object->Name() == "Land") land = object;
    if (!IsScenery(object->Name())) things.push_back(object);
  }
  ASSERT_NE(land, nullptr);
  const TGroundProbe ground(*land);
  TCamera3D* camera = FindCamera(World.Map());
  ASSERT_NE(camera, nullptr);
  worldbuilder::TShowTime time(World.Map());
  float lowest = 1e30f, nearest = 1e30f, worstFoot = 0.0f;
  int feet = 0;
  for (int step = 0; step <= static_cast<int>(worldbuilder::kTourSeconds * 10); ++step) {
    time.At(static_cast<float>(step) / 10.0f);
    const rm::Vector eye = WorldPoint(*camera, {0, 0, 0});
    lowest = std::min(lowest, eye.y - ground.Height(eye.x, eye.z));
    for (TObject3D* thing : things) {
      for (int i = 0; i < thing->ItemCount(); ++i) {
        TItem3D& item = *thing->GetItem(i);
        if (auto* visual = dynamic_cast<TVisualItem3D*>(&item)) {
          const rm::Box box = visual->GetBox().GetBox();
          const float dx = std::max({box.min.x - eye.x, 0.0f, eye.x - box.max.x});
          const float dy = std::max({box.min.y - eye.y, 0.0f, eye.y - box.max.y});
          const float dz = std::max({box.min.z - eye.z, 0.0f, eye.z - box.max.z});
          nearest = std::min(nearest, std::max({dx, dy, dz}));
        }
        std::istringstream comment(item.Comment());
        std::string kind;
        float phase = 0.0f, length = 0.0f;
        if (!(comment >> kind >> phase >> length) || kind != "leg") continue;
        const rm::Vector foot = WorldPoint(item, {0, -length, 0});
        worstFoot = std::max(worstFoot, std::fabs(foot.y - ground.Height(foot.x, foot.z)));
        ++feet;
      }
    }
  }
  EXPECT_GE(lowest, kGroundClearance);
  EXPECT_GE(nearest, kBoxClearance);
  EXPECT_GT(feet, 3200 * 70);  // 74 legs walk
  std::printf("lowest %.2f m, nearest %.2f m, worst foot %.2f m\n", lowest / kUnit, nearest / kUnit, worstFoot / kUnit);
  EXPECT_LE(worstFoot, kFootTolerance);
}

// Each fixed time of day applied as the show applies it (every object's first ambient light, the
// background colour and fog) and drawn at the product picture's moment: the mean colours of any
// two differ by at least 12 in some channel.
TEST_F(DefaultWorldTest, TheFourTimesOfDayLookClearlyDifferent) {
  worldbuilder::TShowTime time(World.Map());
  time.At(worldbuilder::kPictureSeconds);
  ASSERT_TRUE(View.PlaceCamera(World.Map()));
  std::vector<std::array<double, 3>> means;
  for (const TDayTime& row : kCustomDayTimes) {
    for (TObject3D* object : Objects(World)) {
      for (int i = 0; i < object->ItemCount(); ++i) {
        auto* light = dynamic_cast<TLight3D*>(object->GetItem(i));
        if (light == nullptr || light->LightKind() != 0) continue;
        light->Color().SetRGBA(row.Light[0], row.Light[1], row.Light[2], 255);
        break;
      }
    }
    TBackground3D& background = World.Map().Background();
    background.Color().SetRGBA(row.Back[0], row.Back[1], row.Back[2], 255);
    background.SetFogEnable(row.Fog);
    background.SetFogStart(row.FogStart);
    background.SetFogEnd(row.FogEnd);
    // The painter clears with the background colour it was given the frame before.
    View.Render(World.Map());
    View.Render(World.Map());
    std::array<double, 3> mean{};
    const std::vector<std::uint32_t> picture = View.Picture();
    for (std::uint32_t p : picture) {
      for (int c = 0; c < 3; ++c) mean[c] += ((p >> (16 - 8 * c)) & 0xFF) / static_cast<double>(picture.size());
    }
    means.push_back(mean);
  }
  for (std::size_t a = 0; a < means.size(); ++a) {
    for (std::size_t b = a + 1; b < means.size(); ++b) {
      double apart = 0.0;
      for (int c = 0; c < 3; ++c) apart = std::max(apart, std::fabs(means[a][c] - means[b][c]));
      EXPECT_GE(apart, 12.0) << "times " << a << " and " << b;
    }
  }
}

}  // namespace
