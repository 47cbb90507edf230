#include "tests/scene/TestWorld.h"

#include <array>
#include <vector>

#include "platform/rtl/Cast.h"
#include "resources/TextureImage.h"
#include "scene/Camera3D.h"
#include "scene/ItemSound3D.h"
#include "scene/Light3D.h"
#include "scene/Shape3D.h"
#include "scene/Sprite3D.h"

namespace testing_support {

namespace {

struct Face {
  rm::Vector normal, right, up;
};

// Each face's right × up points into the box, so its corners run clockwise seen from outside.
constexpr std::array<Face, 6> kBoxFaces{{
    {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}},
    {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
    {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},
    {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
}};

rm::Vector Scaled(const rm::Vector& v, const rm::Vector& s) { return {v.x * s.x, v.y * s.y, v.z * s.z}; }

// A surface of quads given as four corners each, in drawing order, with one normal per quad.
struct Quads {
  std::vector<rm::MeshVertex> Vertices;
  void Add(const std::array<rm::Vector, 4>& corners, const rm::Vector& normal, float repeat) {
    const float uv[4][2] = {{0, 0}, {repeat, 0}, {repeat, repeat}, {0, repeat}};
    for (int i = 0; i < 4; ++i) Vertices.push_back({corners[i], normal, uv[i][0], uv[i][1], 0xFFFFFFFFu});
  }
};

void AddSurface(TMesh3D& mesh, const Quads& quads, const std::string& material) {
  TSurface3D& surface = *mesh.AddSurface();
  const auto quadCount = static_cast<std::int32_t>(quads.Vertices.size() / 4);
  std::span<std::uint32_t> faces = surface.Allocate(static_cast<std::int32_t>(quads.Vertices.size()), quadCount * 2);
  for (std::int32_t q = 0; q < quadCount; ++q) {
    const auto b = static_cast<std::uint32_t>(q * 4);
    const std::uint32_t triangles[6] = {b, b + 1, b + 2, b, b + 2, b + 3};
    std::copy(std::begin(triangles), std::end(triangles), faces.begin() + q * 6);
  }
  std::copy(quads.Vertices.begin(), quads.Vertices.end(), surface.Vertices().begin());
  surface.AddGroup();
  surface.SendVertices(0, surface.VertexCount());
  surface.Mapping.SetMapping(rm::D3DRMMAP_PERSPCORRECT);
  surface.SetMaterialName(material);
}

// A box around the origin; `inside` turns its faces to be seen from within (a sky box).
void AddBox(TCollectionMesh3D& meshes, const std::string& name, const rm::Vector& half, const std::string& material,
            bool inside = false) {
  auto& mesh = rtl::CheckedCast<TMesh3D>(*meshes.Add(name));
  Quads quads;
  for (const Face& f : kBoxFaces) {
    std::array<rm::Vector, 4> corners;
    const float signs[4][2] = {{-1, 1}, {1, 1}, {1, -1}, {-1, -1}};
    for (int i = 0; i < 4; ++i) corners[i] = Scaled(f.normal + f.right * signs[i][0] + f.up * signs[i][1], half);
    if (inside) std::swap(corners[1], corners[3]);
    quads.Add(corners, inside ? f.normal * -1.0f : f.normal, 1.0f);
  }
  AddSurface(mesh, quads, material);
}

// A square in the x-z plane facing +y, cut into cells so that fog and light vary across it.
void AddGround(TCollectionMesh3D& meshes, float half, int cells) {
  auto& mesh = rtl::CheckedCast<TMesh3D>(*meshes.Add("Ground"));
  Quads quads;
  const float step = 2 * half / static_cast<float>(cells);
  for (int i = 0; i < cells; ++i) {
    for (int j = 0; j < cells; ++j) {
      const float x = -half + i * step, z = -half + j * step;
      quads.Add({rm::Vector{x, 0, z + step}, {x + step, 0, z + step}, {x + step, 0, z}, {x, 0, z}}, {0, 1, 0}, 4.0f);
    }
  }
  AddSurface(mesh, quads, "Grass");
}

// A stored picture of size × size texels, rows bottom-up as world files keep them.
void AddTexture(TCollectionTexture3D& textures, const std::string& name, int size, std::uint32_t a, std::uint32_t b,
                int square) {
  auto& texture = rtl::CheckedCast<TTexture3D>(*textures.Add(name));
  TImage source;
  source.Desc.width = source.Desc.height = size;
  source.Desc.depth = 24;
  source.Desc.rgb = true;
  source.Desc.bytesPerLine = (size * 3 + 3) / 4 * 4;
  source.Desc.redMask = 0xFF0000;
  source.Desc.greenMask = 0xFF00;
  source.Desc.blueMask = 0xFF;
  source.Allocate();
  for (int y = 0; y < size; ++y) {
    std::uint8_t* row = source.Pixels() + static_cast<std::size_t>(y) * source.Desc.bytesPerLine;
    for (int x = 0; x < size; ++x) {
      const std::uint32_t c = ((x / square) + (y / square)) % 2 ? a : b;
      row[x * 3] = c & 0xFF, row[x * 3 + 1] = (c >> 8) & 0xFF, row[x * 3 + 2] = (c >> 16) & 0xFF;
    }
  }
  texture.ConvertImage(source, coFlip, nullptr);
  texture.CreateDXTexture();
  texture.SetDecalSizeX(40);
  texture.SetDecalSizeY(40);
}

TMaterial3D& AddMaterial(TCollectionMaterial3D& materials, const std::string& name, std::uint32_t color,
                         const std::string& texture = {}) {
  auto& material = rtl::CheckedCast<TMaterial3D>(*materials.Add(name));
  material.Color.SetColor(color);
  if (!texture.empty()) material.GetTextureRef().SetItemName(texture);
  return material;
}

template <class T>
T& AddItem(TConstruction3D& construction, const char* className) {
  auto& item = rtl::CheckedCast<T>(*construction.CreateItem(className));
  item.SetParent(&construction.Root());
  return item;
}

TShape3D& AddShape(TConstruction3D& construction, TCollectionMesh3D& meshes, const std::string& mesh) {
  auto& shape = AddItem<TShape3D>(construction, "TShape3D");
  shape.SetVisual(rtl::CheckedCast<TMesh3D>(meshes.ItemByName(mesh)));
  return shape;
}

// The dinosaur: a body that walks a square and changes its mesh on the way, a sun sprite over
// it, a warm point light, a camera behind it and a humming sound.
void AddDino(TWorld3D& world) {
  auto& dino = rtl::CheckedCast<TModel3D>(*world.Models().Add("Dino"));
  TShape3D& body = AddShape(dino, world.Meshes(), "Body");
  const float path[4][2] = {{-60, 0}, {60, 0}, {60, 80}, {-60, 80}};
  for (const auto& p : path) {
    auto& key = static_cast<TFrameKey3D&>(*body.Animation().AddKey());
    key.SetUsePosition(true);
    key.KeyPosition.SetXYZ(p[0], 25, p[1]);
  }
  for (const char* mesh : {"Body", "Body", "Neck", "Neck"}) {
    static_cast<TFrameShapeKey3D&>(*body.ShapeAnimation().AddKey())
        .SetMesh(rtl::CheckedCast<TMesh3D>(world.Meshes().ItemByName(mesh)));
  }
  auto& sprite = AddItem<TSprite3D>(dino, "TSprite3D");
  sprite.SetVisual(rtl::CheckedCast<TTexture3D>(world.Textures().ItemByName("Sun")));
  sprite.GetPosition().SetXYZ(0, 140, 120);
  auto& light = AddItem<TLight3D>(dino, "TLight3D");
  light.SetLightKind(1);
  light.SetLightFlags(TLight3D::kLightOn | TLight3D::kPositional);
  light.Color().SetRGBA(255, 200, 120, 255);
  light.SetLinearAttenuation(0.004f);
  light.GetPosition().SetXYZ(0, 80, -40);
  auto& hum = AddItem<TItemSound3D>(dino, "TItemSound3D");
  hum.SetSound(rtl::CheckedCast<TSound3D>(world.Sounds().ItemByName("Hum")));
  auto& motion = rtl::CheckedCast<TMotion3D>(*dino.Motions().Add("Walk"));
  motion.SetLoop(true);
}

// Ambient and directional light for the whole world, and the camera the show looks through.
void AddSunAndEye(TWorld3D& world) {
  auto& sun = rtl::CheckedCast<TModel3D>(*world.Models().Add("Sun"));
  AddItem<TLight3D>(sun, "TLight3D").Color().SetRGBA(70, 70, 80, 255);
  auto& beam = AddItem<TLight3D>(sun, "TLight3D");
  beam.SetLightKind(3);
  beam.Color().SetRGBA(230, 230, 210, 255);
  beam.GetOrientation().SetOrientation(0.3f, -0.8f, 0.5f, 0, 0, 1);
  auto& eye = rtl::CheckedCast<TModel3D>(*world.Models().Add("Eye"));
  auto& camera = AddItem<TCamera3D>(eye, "TCamera3D");
  camera.GetOrientation().SetOrientation(0, -0.25f, 1, 0, 1, 0);
}

TObject3D& Place(TCollectionObject3D& objects, const std::string& name, const std::string& model, float x, float y,
                 float z) {
  auto& object = rtl::CheckedCast<TObject3D>(*objects.Add(name));
  object.SetModel(rtl::CheckedCast<TModel3D>(object.GetMap().GetModels().ItemByName(model)));
  object.Root().GetPosition().SetXYZ(x, y, z);
  return object;
}

void AddModels(TWorld3D& world) {
  auto& ground = rtl::CheckedCast<TModel3D>(*world.Models().Add("Field"));
  AddShape(ground, world.Meshes(), "Ground");
  auto& rock = rtl::CheckedCast<TModel3D>(*world.Models().Add("Rock"));
  AddShape(rock, world.Meshes(), "Rock");
  auto& ghost = rtl::CheckedCast<TModel3D>(*world.Models().Add("Ghost"));
  AddShape(ghost, world.Meshes(), "Ghost");
  AddDino(world);
  AddSunAndEye(world);
}

// Map objects are linked before they are moved: a frame's cached place is in the coordinates of
// the scene it lies in, and a detached object is a scene of its own.
void AddScenes(TWorld3D& world) {
  TMap3D& map = world.Map();
  auto& valley = rtl::CheckedCast<TScene3D>(*map.Scenes().Add("Valley"));
  Place(valley.Objects(), "Field", "Field", 0, 0, 0);
  Place(valley.Objects(), "Light", "Sun", 0, 0, 0);
  Place(valley.Objects(), "Eye", "Eye", 0, 120, -260);
  Place(valley.Objects(), "Ghost", "Ghost", 0, 60, -120).Root().SetVisible(false);
  auto& hill = rtl::CheckedCast<TScene3D>(*map.Scenes().Add("Hill"));
  hill.SetOption(7);
  Place(hill.Objects(), "Stone", "Rock", -170, 30, 140);
  Place(map.Objects(), "Dino1", "Dino", 0, 0, 0);
  Place(map.Objects(), "Spare", "Rock", 0, 0, 0);
  valley.AddObjectByName("Dino1");
  hill.AddObject(&Place(map.Objects(), "Boulder", "Rock", 0, 0, 0))->Root().GetPosition().SetXYZ(160, 30, 180);
  TBackground3D& background = map.Background();
  background.SetMesh(rtl::CheckedCast<TMesh3D>(world.Meshes().ItemByName("Sky")));
  background.Color().SetColor(kSkyColor);
  background.SetFogStart(200);
  background.SetFogEnd(1400);
  background.SetFogEnable(true);
}

}  // namespace

void BuildTestWorld(TWorld3D& world) {
  world.Textures().KeepSource = true;
  world.Sounds().Add("Hum");
  AddTexture(world.Textures(), "Grass", 16, 0x3C8C28u, 0x5AAA3Cu, 4);
  AddTexture(world.Textures(), "Sun", 8, 0xFFE040u, 0xFFB000u, 2);
  AddMaterial(world.Materials(), "Grass", 0xFFFFFFFFu, "Grass");
  AddMaterial(world.Materials(), "Stone", 0xFF9C8A78u);
  AddMaterial(world.Materials(), "Skin", 0xFF40A040u);
  AddMaterial(world.Materials(), "Sky", 0xFF7090D0u);
  AddMaterial(world.Materials(), "Ghost", kGhostColor);
  AddGround(world.Meshes(), 1200, 12);
  AddBox(world.Meshes(), "Rock", {30, 30, 30}, "Stone");
  AddBox(world.Meshes(), "Body", {30, 20, 45}, "Skin");
  AddBox(world.Meshes(), "Neck", {12, 45, 12}, "Skin");
  AddBox(world.Meshes(), "Ghost", {40, 40, 40}, "Ghost");
  AddBox(world.Meshes(), "Sky", {5000, 5000, 5000}, "Sky", true);
  // The background hangs outside the lit world: the sky shows its own colour.
  rtl::CheckedCast<TMesh3D>(*world.Meshes().ItemByName("Sky")).GetSurface(0)->SetLighting(false);
  AddModels(world);
  AddScenes(world);
}

}  // namespace testing_support
