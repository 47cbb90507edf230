#include "scene/Construction3D.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "resources/Material3D.h"
#include "resources/Mesh3D.h"
#include "resources/Texture3D.h"
#include "scene/ItemSound3D.h"
#include "scene/Shape3D.h"
#include "scene/Sprite3D.h"
#include "sound/Sound.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

constexpr const char* kCreateFailed = "Construction3D error: Create item by name failed";

// Gives the mesh one triangle for each material named, in order.
void LoadSurfaces(TMesh3D& mesh, std::initializer_list<const char*> materials) {
  rtl::TMemoryStream stream;
  TBox3D box;
  TTopologyBox3D topology;
  box.SaveToStream(stream);
  topology.SaveToStream(stream);
  WriteInteger(stream, static_cast<std::int32_t>(materials.size()));
  for (const char* material : materials) {
    const rm::MeshVertex vertices[3]{};
    const std::uint32_t face[3]{0, 1, 2};
    WriteInteger(stream, 3);
    WriteInteger(stream, 1);
    stream.WriteBuffer(vertices, sizeof vertices);
    stream.WriteBuffer(face, sizeof face);
    for (std::uint8_t quality : {3, 2, 3}) WriteByte(stream, quality);
    WriteString(stream, material);
    stream.WriteValue(std::uint32_t{0});
  }
  auto record = StreamOf(stream.Bytes());
  mesh.LoadFromStream(record);
}

// A world of resources and a construction bound to it.
class ConstructionTest : public RetainedModeTest {
 protected:
  ConstructionTest() {
    Materials.SetTextures(&Textures);
    Meshes.SetMaterials(&Materials);
    Sounds.SetDevice(&Device);
    Constructions.SetMeshes(&Meshes);
    Constructions.SetSounds(&Sounds);
    Rock = static_cast<TMesh3D*>(Meshes.Add("Rock"));
    Tree = static_cast<TMesh3D*>(Meshes.Add("Tree"));
    Boom = static_cast<TSound3D*>(Sounds.Add("Boom"));
    Hum = static_cast<TSound3D*>(Sounds.Add("Hum"));
  }
  TConstruction3D& Add(const std::string& name) { return rtl::CheckedCast<TConstruction3D>(*Constructions.Add(name)); }
  template <class T>
  T& Create(const std::string& className, TFrame3D* parent = nullptr) {
    auto& item = rtl::CheckedCast<T>(*House.CreateItem(className));
    item.SetParent(parent != nullptr ? parent : &House.Root());
    return item;
  }
  // The class names of the tree in depth-first order, each with its depth.
  static std::vector<std::string> Shape(const TFrame3D& frame, int depth = 0) {
    std::vector<std::string> names;
    for (int i = 0; i < frame.ChildCount(); ++i) {
      names.push_back(std::to_string(depth) + frame.GetChild(i)->ClassName());
      for (const std::string& below : Shape(*frame.GetChild(i), depth + 1)) names.push_back(below);
    }
    return names;
  }

  TSoundDevice Device{1};
  TCollectionTexture3D Textures{nullptr, "Textures"};
  TTexture3D* Moss = AddTexture(Textures, "Moss");
  TCollectionMaterial3D Materials{nullptr, "Materials"};
  TCollectionMesh3D Meshes{nullptr, "Meshes"};
  TCollectionSound3D Sounds{nullptr, "Sounds"};
  TMesh3D* Rock;
  TMesh3D* Tree;
  TSound3D* Boom;
  TSound3D* Hum;
  TCollectionConstruction3D Constructions{nullptr, "Constructions"};
  TConstruction3D& House = Add("House");
};

}  // namespace

TEST_F(ConstructionTest, CreatesTheFiveItemClassesByNameAndOrdersTheirAnimations) {
  auto& sound = Create<TItemSound3D>("TItemSound3D");
  auto& shape = Create<TShape3D>("TShape3D");
  auto& sprite = Create<TSprite3D>("TSprite3D");
  TAnimation3D& root = House.Root().Animation();
  ASSERT_EQ(root.ChildCount(), 5);
  EXPECT_EQ(root.GetChild(0), &sound.SoundAnimation());
  EXPECT_EQ(root.GetChild(1), &sound.Animation());
  EXPECT_EQ(root.GetChild(2), &shape.Animation());
  EXPECT_EQ(root.GetChild(3), &shape.ShapeAnimation());
  EXPECT_EQ(root.GetChild(4), &sprite.Animation());
  EXPECT_EQ(House.ItemCount(), 3);
  EXPECT_EQ(shape.Construction(), &House);
  EXPECT_EQ(shape.Container, &House);
  EXPECT_EQ(House.Topologies(), (std::vector<TTopologyBox3D*>{&shape.TopologyBox(), &sprite.TopologyBox()}));
  // Linked on adding: names resolve in the collections the construction's collection is bound to.
  shape.VisualRef().SetItemName("Rock");
  sprite.VisualRef().SetItemName("Moss");
  EXPECT_EQ(shape.GetVisual(), Rock);
  EXPECT_EQ(sprite.GetVisual(), Moss);

  for (const char* name : {"TFrame3D", "TItem3D", "tshape3d", ""}) {
    ExpectRaises([&] { House.CreateItem(name); }, kCreateFailed);
  }
  EXPECT_EQ(House.ItemCount(), 3);
}

TEST_F(ConstructionTest, SavedTreeLoadsBackWithTheSameShapeClassesOrderAndBytes) {
  auto& shape = Create<TShape3D>("TShape3D");
  shape.SetVisual(Rock);
  shape.SetComment("walls");
  shape.ShapeAnimation().AddKey();
  static_cast<TFrameShapeKey3D*>(shape.ShapeAnimation().GetKey(0))->SetMesh(Tree);
  Create<TSprite3D>("TSprite3D", &shape).SetVisual(Moss);
  Create<TItemSound3D>("TItemSound3D").SetSound(Boom);
  Create<TShape3D>("TShape3D");
  House.Motions().Add("Walk");
  const std::vector<std::uint8_t> bytes = Saved(House);

  TConstruction3D& copy = Add("Copy");
  Create<TShape3D>("TShape3D", &copy.Root());  // replaced by the load
  auto stream = StreamOf(bytes);
  copy.LoadFromStream(stream);
  EXPECT_EQ(Shape(copy.Root()), (std::vector<std::string>{"0TShape3D", "1TSprite3D", "0TItemSound3D", "0TShape3D"}));
  ASSERT_EQ(copy.ItemCount(), 4);
  EXPECT_EQ(copy.GetItem(0)->Comment(), "walls");
  EXPECT_EQ(rtl::CheckedCast<TShape3D>(copy.GetItem(0))->GetVisual(), Rock);
  EXPECT_EQ(rtl::CheckedCast<TSprite3D>(copy.GetItem(1))->GetVisual(), Moss);
  EXPECT_EQ(rtl::CheckedCast<TItemSound3D>(copy.GetItem(2))->GetSound().Name(), "Boom0001");
  EXPECT_EQ(copy.Motions().Count(), 1);
  EXPECT_EQ(copy.Root().Animation().ChildCount(), 7);
  EXPECT_EQ(ToHex(Saved(copy)), ToHex(bytes));
}

TEST_F(ConstructionTest, HostileTreesRaiseAReadErrorAndKeepWhatWasRead) {
  TConstruction3D& empty = Add("Empty");
  std::vector<std::uint8_t> head = Saved(empty);
  head.resize(head.size() - 4 - Saved(empty.Motions()).size());  // up to the root's child count
  TSprite3D sprite;
  const std::vector<std::uint8_t> record = Saved(sprite);

  // A chain of sprites each the only child of the one before, deeper than any real model.
  rtl::TMemoryStream deep;
  deep.WriteBuffer(head.data(), static_cast<std::int64_t>(head.size()));
  for (int depth = 0; depth < 300; ++depth) {
    WriteInteger(deep, 1);
    WriteString(deep, "TSprite3D");
    deep.WriteBuffer(record.data(), static_cast<std::int64_t>(record.size()));
  }
  for (int depth = 0; depth <= 300; ++depth) WriteInteger(deep, 0);
  auto stream = StreamOf(deep.Bytes());
  ExpectRaises([&] { House.LoadFromStream(stream); }, "Stream read error");
  EXPECT_EQ(House.ItemCount(), 256);

  // A count no stream could hold.
  std::vector<std::uint8_t> huge = head;
  for (std::uint8_t b : Hex("FF FF FF 7F")) huge.push_back(b);
  auto hugeStream = StreamOf(huge);
  ExpectRaises([&] { House.LoadFromStream(hugeStream); }, "Stream read error");
  EXPECT_EQ(House.ItemCount(), 0);

  rtl::TMemoryStream unknown;
  unknown.WriteBuffer(head.data(), static_cast<std::int64_t>(head.size()));
  WriteInteger(unknown, 1);
  WriteString(unknown, "TFrame3D");
  auto unknownStream = StreamOf(unknown.Bytes());
  ExpectRaises([&] { House.LoadFromStream(unknownStream); }, kCreateFailed);
}

TEST_F(ConstructionTest, AssignRebuildsTheTreeWithFreshItemsAndLeavesTheSourceAlone) {
  auto& shape = Create<TShape3D>("TShape3D");
  shape.SetVisual(Rock);
  Create<TItemSound3D>("TItemSound3D", &shape).SetSound(Boom);
  House.Motions().Add("Walk");
  const std::vector<std::uint8_t> before = Saved(House);

  TConstruction3D& copy = Add("Copy");
  copy.Assign(House);
  EXPECT_EQ(Shape(copy.Root()), Shape(House.Root()));
  ASSERT_EQ(copy.ItemCount(), 2);
  EXPECT_NE(copy.GetItem(0), &shape);
  EXPECT_EQ(copy.GetItem(0)->Construction(), &copy);
  EXPECT_EQ(rtl::CheckedCast<TShape3D>(copy.GetItem(0))->GetVisual(), Rock);
  // The copied sound item plays a private copy of its own.
  EXPECT_EQ(rtl::CheckedCast<TItemSound3D>(copy.GetItem(1))->GetSound().Name(), "Boom0002");
  EXPECT_EQ(copy.Motions().Count(), 1);
  EXPECT_EQ(Saved(House), before);

  copy.Assign(copy);  // onto itself: nothing is freed
  EXPECT_EQ(copy.ItemCount(), 2);
}

TEST_F(ConstructionTest, RemovingAndAddingReportTheListsThatDoNotHoldTheItem) {
  auto& shape = Create<TShape3D>("TShape3D");
  auto& sound = Create<TItemSound3D>("TItemSound3D");
  TSprite3D stranger;
  ExpectRaises([&] { House.RemoveItem(&stranger); }, "remove topology failed");
  TItemSound3D quiet;
  ExpectRaises([&] { House.RemoveItem(&quiet); }, "Remove item failed");

  // An item whose animation already runs below the root is refused and freed, not left half
  // added where no removal could reach it.
  auto twice = std::make_unique<TSprite3D>();
  House.Root().Animation().AddAnimation(twice->Animation());
  ExpectRaises([&] { House.AddItem(std::move(twice)); }, "Add animation >1");
  EXPECT_EQ(House.ItemCount(), 2);
  EXPECT_EQ(House.Root().Animation().ChildCount(), 4);

  Create<TSprite3D>("TSprite3D");
  House.RemoveItem(&sound);
  House.RemoveItem(&shape);
  EXPECT_EQ(House.ItemCount(), 1);
  EXPECT_EQ(House.Topologies().size(), 1u);
  House.ClearItems();
  EXPECT_EQ(House.ItemCount(), 0);
  EXPECT_EQ(House.Root().Animation().ChildCount(), 0);
  EXPECT_TRUE(House.Topologies().empty());
}

TEST_F(ConstructionTest, VisualsAreAddedToTheFrameAndFailuresLeaveNoStaleVisual) {
  auto& shape = Create<TShape3D>("TShape3D");
  House.Root().GetBox();
  shape.SetVisual(Rock);
  EXPECT_EQ(shape.DXVisual(), Rock->DXVisual());
  ASSERT_EQ(shape.DXFrame()->Visuals().size(), 1u);
  EXPECT_TRUE(House.Root().Invalid() & TFrame3D::kInvalidBox);
  EXPECT_TRUE(shape.Invalid() & TFrame3D::kInvalidTopology);

  shape.SetVisual(Tree);
  ASSERT_EQ(shape.DXFrame()->Visuals().size(), 1u);
  EXPECT_EQ(shape.DXFrame()->Visuals()[0].Get(), Tree->DXVisual());

  rtl::faults::Arm("rm.Frame.AddVisual", kFault);
  ExpectRaises([&] { shape.SetVisual(Rock); }, std::string("VisualItem error: Add visual failed") + kFaultSuffix);
  EXPECT_EQ(shape.DXVisual(), nullptr);
  EXPECT_TRUE(shape.DXFrame()->Visuals().empty());

  shape.SetVisual(Tree);
  rtl::faults::Arm("rm.Frame.DeleteVisual", kFault);
  ExpectRaises([&] { shape.Refresh(); }, std::string("VisualItem error: Delete visual failed") + kFaultSuffix);
  EXPECT_EQ(shape.DXVisual(), Tree->DXVisual());
  shape.Refresh();
  EXPECT_EQ(shape.DXFrame()->Visuals().size(), 1u);
}

TEST_F(ConstructionTest, TransparencyAndDecalsFollowTheLastSurfaceThatHasASay) {
  auto& shape = Create<TShape3D>("TShape3D");
  EXPECT_FALSE(shape.IsTransparent());
  shape.SetVisual(Rock);
  static_cast<TMaterial3D*>(Materials.Add("Clear"))->Color.SetColor(0x80FFFFFFu);
  auto& painted = *static_cast<TMaterial3D*>(Materials.Add("Painted"));
  painted.Color.SetColor(0xFF000000u);
  painted.SetTexture(Moss);
  Moss->SetDecalTransparency(true);
  LoadSurfaces(*Rock, {"Clear"});
  EXPECT_TRUE(shape.IsTransparent());
  EXPECT_FALSE(shape.IsDecal());
  LoadSurfaces(*Rock, {"Clear", "Painted"});
  EXPECT_FALSE(shape.IsTransparent());
  EXPECT_TRUE(shape.IsDecal());
  Moss->SetTransparent(true);
  EXPECT_TRUE(shape.IsTransparent());
  LoadSurfaces(*Rock, {"Painted", "Clear"});  // the last surface has no texture: no say on decals
  EXPECT_TRUE(shape.IsDecal());

  auto& sprite = Create<TSprite3D>("TSprite3D");
  sprite.SetVisual(Moss);
  EXPECT_FALSE(sprite.IsTransparent());
  EXPECT_FALSE(sprite.IsDecal());
}

TEST_F(ConstructionTest, WorldAndTopologyBoxesAreCarriedToSceneCoordinatesWhenStale) {
  Materials.Add("Plain");
  LoadSurfaces(*Rock, {"Plain"});
  Rock->TopologyBox.Box.SetBox({{1, 1, 1}, {2, 2, 2}});
  Rock->TopologyBox.AddBox()->SetBox({{0, 0, 0}, {1, 1, 1}});
  auto& shape = Create<TShape3D>("TShape3D");
  shape.TopologyBox().TopologyFlag = 7;
  shape.GetPosition().SetXYZ(5, 0, 0);
  shape.SetVisual(Rock);

  ExpectVector(shape.GetBox().Min, 5, 0, 0);
  ExpectVector(House.Root().GetBox().Max, 5, 0, 0);
  EXPECT_FALSE(shape.Invalid() & TFrame3D::kInvalidBox);
  shape.GetPosition().SetXYZ(0, 3, 0);
  EXPECT_TRUE(House.Root().Invalid() & TFrame3D::kInvalidBox);
  ExpectVector(House.Root().GetBox().Min, 0, 3, 0);

  shape.UpdateTopology();
  EXPECT_FALSE(shape.Invalid() & TFrame3D::kInvalidTopology);
  EXPECT_EQ(shape.TopologyBox().TopologyFlag, 7);
  ExpectVector(shape.TopologyBox().Box.Min, 1, 4, 1);
  ASSERT_EQ(shape.TopologyBox().BoxCount(), 1);
  ExpectVector(shape.TopologyBox().GetBoxItem(0)->Max, 1, 4, 1);
}

TEST_F(ConstructionTest, ASpriteNamingAMissingTextureFailsToLoad) {
  Create<TSprite3D>("TSprite3D").VisualRef().SetItemName("Moss");
  std::vector<std::uint8_t> bytes = Saved(House);
  const auto at = std::search(bytes.begin(), bytes.end(), std::begin("Moss"), std::end("Moss") - 1);
  ASSERT_NE(at, bytes.end());
  *at = 'L';
  TConstruction3D& copy = Add("Copy");
  auto stream = StreamOf(bytes);
  EXPECT_THROW(copy.LoadFromStream(stream), rtl::Exception);
  EXPECT_EQ(copy.ItemCount(), 1);
}

TEST_F(ConstructionTest, SoundItemsPlayPrivateCopiesOfTheirTemplate) {
  auto& item = Create<TItemSound3D>("TItemSound3D");
  ExpectRaises([&] { item.GetSound(); }, "ItemSound3D: Sound not assigned");
  item.GetPosition().SetXYZ(1, 2, 3);
  item.SetSound(Boom);
  TSound3D* first = &item.GetSound();
  EXPECT_EQ(first->Name(), "Boom0001");
  EXPECT_EQ(item.SoundName(), "Boom");
  ExpectVector(first->Position(), 1, 2, 3);

  item.SetSound(first);  // its own copy stands for the same template
  item.SetSound(Boom);
  EXPECT_EQ(&item.GetSound(), first);

  item.SetSound(Hum);
  EXPECT_THROW(Sounds.ItemByName("Boom0001"), rtl::Exception);
  EXPECT_EQ(item.GetSound().Name(), "Hum0001");
  item.GetPosition().SetXYZ(4, 5, 6);
  ExpectVector(item.GetSound().Position(), 4, 5, 6);

  // Cleared and set again, the item gets a copy back.
  item.SetSound(nullptr);
  EXPECT_EQ(Sounds.Count(), 2);
  item.SetSound(Hum);
  EXPECT_EQ(item.GetSound().Name(), "Hum0001");

  // A dying item leaves no handler behind in its sound.
  TSound3D& copy = item.GetSound();
  House.RemoveItem(&item);
  EXPECT_FALSE(copy.OnUpdate);
  copy.Update();
}

TEST_F(ConstructionTest, SoundItemRecordWithoutASoundFailsToLoad) {
  Create<TItemSound3D>("TItemSound3D");
  auto stream = StreamOf(Saved(House));
  ExpectRaises([&] { Add("Copy").LoadFromStream(stream); }, "ItemSound3D: Sound not assigned");
}

TEST_F(ConstructionTest, ShapeAnimationShowsTheKeyNearestTheTimeWrappingRoundTheKeys) {
  auto& shape = Create<TShape3D>("TShape3D");
  TShapeAnimation3D& animation = shape.ShapeAnimation();
  for (TMesh3D* mesh : {Rock, Tree, Rock}) static_cast<TFrameShapeKey3D*>(animation.AddKey())->SetMesh(mesh);
  animation.SetTime(7.2f);
  EXPECT_EQ(shape.GetVisual(), Tree);
  animation.SetTime(6.5f);  // halves go to the even neighbour: 6, key 0
  EXPECT_EQ(shape.GetVisual(), Rock);
  animation.SetTime(1e30f);
  EXPECT_NE(shape.GetVisual(), nullptr);

  shape.SetVisible(false);
  animation.SetTime(1.0f);
  EXPECT_EQ(shape.GetVisual(), Rock);
  animation.SetAlwaysAnimate(true);
  animation.SetTime(1.0f);
  EXPECT_EQ(shape.GetVisual(), Tree);

  TShapeAnimation3D unbound(nullptr);
  ExpectRaises([&] { unbound.AddKey(); }, "FrameShapeAnimation3D error: Create key failed");
}

// Playing a sound item without a sound raises, which shows exactly when the animation plays.
TEST_F(ConstructionTest, SoundAnimationPlaysFirstThenOnlyWhenTheTimeFallsBack) {
  auto& item = Create<TItemSound3D>("TItemSound3D");
  TItemSoundAnimation3D& animation = item.SoundAnimation();
  ExpectRaises([&] { animation.SetTime(0.2f); }, "ItemSound3D: Sound not assigned");
  item.SetSound(Boom);
  animation.SetTime(0.2f);
  EXPECT_EQ(animation.LastIndex(), 0);
  Sounds.Delete(&item.GetSound());
  animation.SetTime(9.9f);
  animation.SetTime(3e9f);
  EXPECT_EQ(animation.LastIndex(), 2147483647);
  ExpectRaises([&] { animation.SetTime(0.1f); }, "ItemSound3D: Sound not assigned");
}
