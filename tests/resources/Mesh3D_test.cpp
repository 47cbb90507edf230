#include "resources/Mesh3D.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "core3d/Stream3D.h"
#include "core3d/TopologyBox3D.h"
#include "resources/Material3D.h"
#include "resources/Texture3D.h"
#include "tests/resources/ResourceTest.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using testing_support::AddTexture;
using testing_support::ChangeCounter;
using testing_support::ExpectRaises;
using testing_support::MessageOf;
using testing_support::RetainedModeTest;
using testing_support::Saved;
using testing_support::StreamOf;
using testing_support::ToHex;

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kGouraudLitSolid = rm::D3DRMSHADE_GOURAUD | rm::D3DRMLIGHT_ON | rm::D3DRMFILL_SOLID;
const std::string kBadValue = std::to_string(rm::D3DRMERR_BADVALUE & 0xFFF);

std::vector<rm::MeshVertex> Triangle() {
  return {{{0, 0, 0}, {0, 0, -1}, 0, 0, 0xFF0000FFu},
          {{1, 0, 0}, {0, 0, -1}, 1, 0, 0xFF00FF00u},
          {{0, 2, -1}, {0, 0, -1}, 0, 1, 0x80FF0000u}};
}

// One surface record as the stream holds it, written field by field.
struct SurfaceRecord {
  std::vector<rm::MeshVertex> Vertices = Triangle();
  std::vector<std::uint32_t> Faces = {0, 1, 2};
  std::int32_t VertexCount = 3;
  std::int32_t FaceCount = 1;
  std::uint8_t Shade = 3;
  std::uint8_t Lighting = 2;
  std::uint8_t Fill = 3;
  std::string Material = "Stone";
  std::uint32_t Mapping = 0;

  void Write(rtl::TStream& stream) const {
    WriteInteger(stream, VertexCount);
    WriteInteger(stream, FaceCount);
    stream.WriteBuffer(Vertices.data(), static_cast<std::int64_t>(Vertices.size() * sizeof(rm::MeshVertex)));
    stream.WriteBuffer(Faces.data(), static_cast<std::int64_t>(Faces.size() * sizeof(std::uint32_t)));
    for (std::uint8_t b : {Shade, Lighting, Fill}) WriteByte(stream, b);
    WriteString(stream, Material);
    stream.WriteValue(Mapping);
  }
  Bytes Record() const {
    rtl::TMemoryStream stream;
    Write(stream);
    return stream.Bytes();
  }
};

// A mesh record: an empty box and topology box, then the surfaces.
Bytes MeshRecord(std::initializer_list<SurfaceRecord> surfaces) {
  rtl::TMemoryStream stream;
  TBox3D box;
  TTopologyBox3D topology;
  box.SaveToStream(stream);
  topology.SaveToStream(stream);
  WriteInteger(stream, static_cast<std::int32_t>(surfaces.size()));
  for (const SurfaceRecord& surface : surfaces) surface.Write(stream);
  return stream.Bytes();
}

bool SameVertices(std::span<const rm::MeshVertex> a, std::span<const rm::MeshVertex> b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size_bytes()) == 0;
}

class MeshTest : public RetainedModeTest {
 protected:
  MeshTest() {
    Materials.SetTextures(&Textures);
    Meshes.SetMaterials(&Materials);
  }

  TMaterial3D& AddMaterial(const std::string& name, std::uint32_t color) {
    auto& material = *static_cast<TMaterial3D*>(Materials.Add(name));
    material.Color.SetColor(color);
    return material;
  }
  TMesh3D& Load(const std::string& name, const Bytes& record, TCollectionMesh3D* meshes = nullptr) {
    auto& mesh = *static_cast<TMesh3D*>((meshes != nullptr ? meshes : &Meshes)->Add(name));
    auto stream = StreamOf(record);
    mesh.LoadFromStream(stream);
    return mesh;
  }
  static const rm::MeshGroup& GroupOf(const TSurface3D& surface) {
    return surface.Mesh()->DXMesh()->Group(surface.Group());
  }
  static const rm::MeshGroup& GroupOf(const TMesh3D& mesh, int index) { return GroupOf(*mesh.GetSurface(index)); }

  TCollectionTexture3D Textures{nullptr, "Textures"};
  TTexture3D* Moss = AddTexture(Textures, "Moss");
  TCollectionMaterial3D Materials{nullptr, "Materials"};
  TMaterial3D& Stone = AddMaterial("Stone", 0x80102030u);
  TMaterial3D& Sand = AddMaterial("Sand", 0xFFC0C000u);
  TCollectionMesh3D Meshes{nullptr, "Meshes"};
};

TEST_F(MeshTest, SurfaceRecordIsStreamedAndSentAsOneBlock) {
  SurfaceRecord record;
  record.Mapping = rm::D3DRMMAP_WRAPU | rm::D3DRMMAP_WRAPV;
  TMesh3D& rock = Load("Rock", MeshRecord({record}));
  ASSERT_EQ(rock.SurfaceCount(), 1);
  const TSurface3D& surface = *rock.GetSurface(0);

  const Bytes saved = Saved(*rock.GetSurface(0));
  EXPECT_EQ(saved.size(), 8u + 108 + 12 + 3 + (4 + 5) + 4);
  EXPECT_EQ(ToHex(saved), ToHex(record.Record()));
  EXPECT_TRUE(SameVertices(surface.Vertices(), Triangle()));

  const rm::MeshGroup& group = GroupOf(surface);
  EXPECT_EQ(rock.DXMesh()->GroupCount(), 1);
  EXPECT_TRUE(SameVertices(group.vertices, Triangle()));
  EXPECT_EQ(group.indices, (std::vector<std::uint32_t>{0, 1, 2}));
  EXPECT_EQ(group.quality, kGouraudLitSolid);  // the defaults 3, 2, 3: Gouraud, lit, solid
  EXPECT_EQ(group.mapping, 3u);
  EXPECT_EQ(group.material.Get(), Stone.GetDXMaterial());
  EXPECT_EQ(group.color, 0x80102030u);
  EXPECT_EQ(group.texture.Get(), nullptr);

  // The box comes from the platform, whatever the record stored.
  const rm::Box box = rock.GetBox().GetBox();
  EXPECT_EQ(box.min.x, 0.0f);
  EXPECT_EQ(box.min.z, -1.0f);
  EXPECT_EQ(box.max.y, 2.0f);

  const Bytes first = Saved(rock);
  TMesh3D& copy = Load("Copy", first);
  EXPECT_EQ(ToHex(Saved(copy)), ToHex(first));
}

TEST_F(MeshTest, QualityPacksShadeLightingAndFill) {
  struct Case {
    std::uint8_t shade, lighting, fill;
    std::uint32_t quality;
  };
  const Case cases[] = {
      {0, 0, 0, rm::D3DRMSHADE_FLAT | rm::D3DRMLIGHT_OFF | rm::D3DRMFILL_POINTS},
      {1, 1, 1, rm::D3DRMSHADE_GOURAUD | rm::D3DRMLIGHT_ON | rm::D3DRMFILL_WIREFRAME},
      {2, 0, 2, rm::D3DRMSHADE_PHONG | rm::D3DRMLIGHT_OFF | rm::D3DRMFILL_SOLID},
      {7, 255, 9, kGouraudLitSolid},
  };
  for (const Case& c : cases) {
    SurfaceRecord record;
    record.Shade = c.shade;
    record.Lighting = c.lighting;
    record.Fill = c.fill;
    TMesh3D& mesh = Load("Quality", MeshRecord({record}));
    EXPECT_EQ(GroupOf(mesh, 0).quality, c.quality) << int{c.shade} << " " << int{c.lighting} << " " << int{c.fill};
    EXPECT_EQ(Saved(*mesh.GetSurface(0)), record.Record());
  }
}

TEST_F(MeshTest, TexturedMaterialGivesWhiteWithItsAlphaAndUntexturedItsColour) {
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}}));
  Stone.SetTexture(Moss);
  EXPECT_EQ(GroupOf(rock, 0).color, 0x80FFFFFFu);
  EXPECT_EQ(GroupOf(rock, 0).texture.Get(), Moss->GetDXTexture());

  Stone.SetTexture(nullptr);
  EXPECT_EQ(GroupOf(rock, 0).color, 0x80102030u);
  EXPECT_EQ(GroupOf(rock, 0).texture.Get(), nullptr);  // the texture leaves the group too
}

TEST_F(MeshTest, MaterialChangesReachEveryGroupUsingIt) {
  SurfaceRecord sand;
  sand.Material = "Sand";
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}, sand}));
  TMesh3D& cliff = Load("Cliff", MeshRecord({SurfaceRecord{}}));
  EXPECT_EQ(Stone.References().size(), 2u);

  Stone.Color.SetColor(0xFF445566u);
  EXPECT_EQ(GroupOf(rock, 0).color, 0xFF445566u);
  EXPECT_EQ(GroupOf(cliff, 0).color, 0xFF445566u);
  EXPECT_EQ(GroupOf(rock, 1).color, 0xFFC0C000u);

  rock.GetSurface(1)->SetMaterialName("Stone");
  EXPECT_EQ(GroupOf(rock, 1).color, 0xFF445566u);
  EXPECT_EQ(GroupOf(rock, 1).material.Get(), Stone.GetDXMaterial());

  // A deleted material detaches its surfaces; they keep its name.
  Materials.Delete(&Sand);
  Materials.Delete(&Stone);
  EXPECT_EQ(rock.GetSurface(0)->GetMaterial(), nullptr);
  EXPECT_EQ(rock.GetSurface(0)->GetMaterialName(), "Stone");
}

TEST_F(MeshTest, ShadeAllAndLightingAllMakeEveryGroupFlatAndUnlit) {
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}, SurfaceRecord{}}));
  TMesh3D& cliff = Load("Cliff", MeshRecord({SurfaceRecord{}}));
  ChangeCounter heard;
  TReference3D shape;
  shape.SetItem(&rock);
  heard.Listen(shape);
  cliff.GetSurface(0)->Vertices()[0].position = {9, 9, 9};  // held, not yet sent

  Meshes.SetShadeAll(3);  // unchanged: nothing sent, nobody told
  EXPECT_EQ(heard.Count(), 0);
  Meshes.SetShadeAll(0);
  Meshes.SetLightingAll(false);
  for (const TMesh3D* mesh : {&rock, &cliff}) {
    for (int i = 0; i < mesh->SurfaceCount(); ++i) {
      EXPECT_EQ(GroupOf(*mesh, i).quality, rm::D3DRMSHADE_FLAT | rm::D3DRMLIGHT_OFF | rm::D3DRMFILL_SOLID);
    }
  }
  EXPECT_EQ(GroupOf(cliff, 0).vertices[0].position.x, 9.0f);  // the lighting change re-sent the vertices
  EXPECT_EQ(heard.Count(), 4);  // each of rock's two surfaces, once per change

  Meshes.SetLightingAll(false);  // lighting is sent also when unchanged
  EXPECT_EQ(heard.Count(), 6);
}

TEST_F(MeshTest, LoadingTwiceLeavesOnlyTheSecondSetOfSurfaces) {
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}, SurfaceRecord{}}));
  const rtl::Ref<rm::Mesh> firstPlatformMesh(rock.DXMesh());
  SurfaceRecord second;
  second.Material = "Sand";
  auto stream = StreamOf(MeshRecord({second}));
  rock.LoadFromStream(stream);

  ASSERT_EQ(rock.SurfaceCount(), 1);
  EXPECT_NE(rock.DXMesh(), firstPlatformMesh.Get());
  EXPECT_EQ(firstPlatformMesh->GroupCount(), 2);
  EXPECT_EQ(rock.DXVisual(), rock.DXMesh());
  EXPECT_EQ(rock.DXMesh()->GroupCount(), 1);
  EXPECT_TRUE(Stone.References().empty());
  EXPECT_EQ(Sand.References().size(), 1u);
}

TEST_F(MeshTest, MaterialNamesWaitForTheMaterialCollection) {
  TCollectionMesh3D late(nullptr, "Late");
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}}), &late);
  EXPECT_EQ(rock.GetSurface(0)->GetMaterial(), nullptr);
  EXPECT_EQ(GroupOf(rock, 0).material.Get(), nullptr);
  EXPECT_EQ(ToHex(Saved(*rock.GetSurface(0))), ToHex(SurfaceRecord{}.Record()));

  late.SetMaterials(&Materials);
  EXPECT_EQ(rock.GetSurface(0)->GetMaterial(), &Stone);
  EXPECT_EQ(GroupOf(rock, 0).material.Get(), Stone.GetDXMaterial());
  EXPECT_EQ(GroupOf(rock, 0).color, 0x80102030u);
}

TEST_F(MeshTest, DamagedRecordsFailWithoutReadingOrAllocatingPastThem) {
  const Bytes record = MeshRecord({SurfaceRecord{}});
  for (std::size_t cut = 0; cut < record.size(); ++cut) {
    const Bytes part(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(MessageOf([&] { Load("Cut", part); }), "Stream read error") << "cut at " << cut;
  }

  const auto expect = [&](SurfaceRecord surface, const std::string& message) {
    ExpectRaises([&] { Load("Damaged", MeshRecord({surface})); }, message);
  };
  SurfaceRecord huge;
  huge.VertexCount = 0x7FFFFFFF;
  expect(huge, "Stream read error");
  huge = {};
  huge.FaceCount = 0x40000000;
  expect(huge, "Stream read error");
  SurfaceRecord empty;
  empty.VertexCount = 0;
  expect(empty, "Surface3D: vertex count <= 0");
  empty.VertexCount = -5;
  expect(empty, "Surface3D: vertex count <= 0");
  empty = {};
  empty.FaceCount = 0;
  expect(empty, "Surface3D: face count <= 0");
  SurfaceRecord outside;
  outside.Faces = {0, 1, 3};  // past the three vertices: the platform refuses the group
  expect(outside, "Mesh3D error: Add group failed code: " + kBadValue);
  SurfaceRecord unknown;
  unknown.Material = "Lava";
  expect(unknown, "Collection3D error: Item Lava not found");

  Bytes manySurfaces = MeshRecord({});
  manySurfaces[manySurfaces.size() - 4] = 0xFF;  // the surface count: 255 surfaces in no bytes
  ExpectRaises([&] { Load("Many", manySurfaces); }, "Stream read error");
}

TEST_F(MeshTest, PlatformFailuresNameTheCall) {
  SurfaceRecord record;
  record.Mapping = rm::D3DRMMAP_PERSPCORRECT;
  const Bytes bytes = MeshRecord({record});
  const std::pair<const char*, const char*> calls[] = {
      {"rm.Mesh.AddGroup", "Mesh3D error: Add group failed"},
      {"rm.Mesh.SetGroupQuality", "Mesh3D error: Set group quality failed"},
      {"rm.Mesh.SetGroupMaterial", "Mesh3D error: Set group material failed"},
      {"rm.Mesh.SetGroupColor", "Mesh3D error: Set group color failed"},
      {"rm.Mesh.SetGroupTexture", "Mesh3D error: Set group texture failed"},
      {"rm.Mesh.SetGroupMapping", "Mesh3D error: Set group mapping failed"},
      {"rm.Mesh.SetVertices", "Mesh3D error: Set vertices failed"},
      {"rm.Direct3DRM.CreateMesh", "Mesh3D error: Create mesh failed"},  // last: it leaves no platform mesh
  };
  TMesh3D& rock = Load("Rock", bytes);
  rtl::faults::Arm("rm.Mesh.GetBox", rm::D3DRMERR_BADVALUE);
  ExpectRaises([&] { rock.GetBox(); }, "Mesh3d error: Get box failed code: " + kBadValue);
  for (const auto& [call, message] : calls) {
    rtl::faults::Arm(call, rm::D3DRMERR_BADVALUE);
    auto stream = StreamOf(bytes);
    ExpectRaises([&] { rock.LoadFromStream(stream); }, std::string(message) + " code: " + kBadValue);
  }
  // After a failed re-creation the mesh says so instead of touching a missing platform mesh.
  EXPECT_EQ(rock.DXMesh(), nullptr);
  EXPECT_EQ(rock.SurfaceCount(), 0);
  ExpectRaises([&] { rock.GetBox(); }, "Mesh3D error: DXMesh not assigned");
}

TEST_F(MeshTest, AssignCopiesSurfacesIntoGroupsOfANewPlatformMesh) {
  SurfaceRecord sand;
  sand.Material = "Sand";
  sand.Shade = 0;
  sand.Mapping = rm::D3DRMMAP_WRAPV;
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}, sand}));
  auto& copy = *static_cast<TMesh3D*>(Meshes.Add("Copy"));
  copy.Assign(rock);

  ASSERT_EQ(copy.SurfaceCount(), 2);
  EXPECT_NE(copy.DXMesh(), rock.DXMesh());
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Saved(*copy.GetSurface(i)), Saved(*rock.GetSurface(i)));
    EXPECT_TRUE(SameVertices(GroupOf(copy, i).vertices, Triangle()));
    EXPECT_EQ(GroupOf(copy, i).quality, GroupOf(rock, i).quality);
    EXPECT_EQ(GroupOf(copy, i).mapping, GroupOf(rock, i).mapping);
    EXPECT_EQ(GroupOf(copy, i).color, GroupOf(rock, i).color);
  }
  EXPECT_EQ(Sand.References().size(), 2u);

  copy.Assign(copy);  // assigning to itself keeps what it has
  EXPECT_EQ(copy.SurfaceCount(), 2);
  ExpectRaises([&] { copy.Assign(*Moss); }, "Invalid class typecast");
}

TEST_F(MeshTest, CurrentVertexEditsTheSelectedVertexOnly) {
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}}));
  TSurface3D& surface = *rock.GetSurface(0);
  surface.SetCurrentIndex(2);
  EXPECT_EQ(surface.CurrentVertex.Position.GetVector().y, 2.0f);
  EXPECT_EQ(surface.CurrentVertex.Color.GetColor(), 0x80FF0000u);
  EXPECT_TRUE(SameVertices(surface.Vertices(), Triangle()));  // selecting writes nothing

  surface.CurrentVertex.Position.SetXYZ(5, 6, 7);
  auto expected = Triangle();
  expected[2].position = {5, 6, 7};
  EXPECT_TRUE(SameVertices(surface.Vertices(), expected));

  surface.SetCurrentIndex(3);  // past the block: no vertex is edited
  EXPECT_EQ(surface.CurrentIndex(), -1);
  surface.CurrentVertex.Position.SetXYZ(1, 1, 1);
  EXPECT_TRUE(SameVertices(surface.Vertices(), expected));
}

TEST_F(MeshTest, AllocateGivesWhiteVerticesAndRefusesEmptyBlocks) {
  TMesh3D& rock = Load("Rock", MeshRecord({}));
  TSurface3D& surface = *rock.AddSurface();
  EXPECT_EQ(surface.Allocate(2, 4).size(), 12u);
  EXPECT_EQ(surface.Vertices()[1].color, 0xFFFFFFFFu);
  EXPECT_EQ(surface.Vertices()[1].position.x, 0.0f);
  ExpectRaises([&] { surface.Allocate(0, 1); }, "Surface3D: vertex count <= 0");
  ExpectRaises([&] { surface.Allocate(1, -1); }, "Surface3D: face count <= 0");
}

// A surface whose group was never added must not change another surface's group.
TEST_F(MeshTest, SurfaceWithoutAGroupLeavesTheOtherGroupsAlone) {
  TMesh3D& rock = Load("Rock", MeshRecord({SurfaceRecord{}}));
  TSurface3D& fresh = *rock.AddSurface();
  ExpectRaises([&] { fresh.SetShade(0); }, "Mesh3D error: Set group quality failed code: " + kBadValue);
  EXPECT_EQ(GroupOf(rock, 0).quality, kGouraudLitSolid);
}

}  // namespace
