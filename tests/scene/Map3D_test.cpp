#include "scene/Map3D.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "scene/Light3D.h"
#include "scene/Shape3D.h"
#include "scene/World3D.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

// A bound world with two models: a rock (one shape) and a lamp (a shape and a light).
class MapTest : public RetainedModeTest {
 protected:
  MapTest() {
    Rock.CreateItem("TShape3D")->SetParent(&Rock.Root());
    Lamp.CreateItem("TShape3D")->SetParent(&Lamp.Root());
    Lamp.CreateItem("TLight3D")->SetParent(&Lamp.Root());
    Lamp.Motions().Add("Glow");
  }
  TModel3D& AddModel(const std::string& name) { return rtl::CheckedCast<TModel3D>(*World.Models().Add(name)); }
  TScene3D& AddScene(const std::string& name) { return rtl::CheckedCast<TScene3D>(*Map.Scenes().Add(name)); }
  static TObject3D& AddObject(TCollectionObject3D& objects, const std::string& name, TModel3D* model = nullptr) {
    auto& object = rtl::CheckedCast<TObject3D>(*objects.Add(name));
    if (model != nullptr) object.SetModel(model);
    return object;
  }
  static std::vector<std::string> LinkedNames(const TScene3D& scene) {
    std::vector<std::string> names;
    for (int i = 0; i < scene.LinkedCount(); ++i) names.push_back(scene.GetLinked(i)->Name());
    return names;
  }

  TSoundDevice Device{1};
  TWorld3D World{&Device};
  TMap3D& Map = World.Map();
  TModel3D& Rock = AddModel("Rock");
  TModel3D& Lamp = AddModel("Lamp");
};

TEST_F(MapTest, ChangingTheModelRecopiesItsTreeAndMotionsButKeepsThePlace) {
  TObject3D& object = AddObject(Map.Objects(), "Thing", &Rock);
  EXPECT_EQ(object.ItemCount(), 1);
  EXPECT_EQ(object.Motions().Count(), 0);
  object.Root().GetPosition().SetXYZ(5, 6, 7);
  object.Root().GetOrientation().SetOrientation(1, 0, 0, 0, 1, 0);
  object.SetModel(&Lamp);
  ASSERT_EQ(object.ItemCount(), 2);
  EXPECT_STREQ(object.GetItem(1)->ClassName(), "TLight3D");
  EXPECT_NE(object.GetItem(1), Lamp.GetItem(1)) << "the object holds its own copies";
  EXPECT_EQ(object.Motions().Count(), 1);
  ExpectVector(object.Root().GetPosition(), 5, 6, 7);
  ExpectVector(object.Root().GetOrientation().Direction, 1, 0, 0);
  // Detached objects keep their tree; so does setting the model it already has.
  object.SetDetached(true);
  object.SetModel(&Rock);
  EXPECT_EQ(object.ItemCount(), 2);
  EXPECT_EQ(object.GetModel(), &Rock);
}

TEST_F(MapTest, OwnObjectsLieInTheirSceneAndCountInItsBoxLinkedOnesDoNot) {
  TScene3D& scene = AddScene("Valley");
  EXPECT_EQ(scene.Root().Parent(), &Map.Root());
  EXPECT_STREQ(scene.Objects().Name().c_str(), "SceneItems");
  TObject3D& own = AddObject(scene.Objects(), "Own", &Rock);
  EXPECT_EQ(own.Scene(), &scene);
  EXPECT_EQ(own.Container, &scene);
  EXPECT_EQ(own.Root().Parent(), &scene.Root());
  EXPECT_TRUE(own.Root().InBox());
  TObject3D& linked = AddObject(Map.Objects(), "Linked", &Rock);
  EXPECT_EQ(linked.Scene(), nullptr);
  EXPECT_EQ(linked.Root().Parent(), nullptr) << "map objects appear only when a scene links them";
  EXPECT_EQ(scene.AddObjectByName("linked"), &linked);
  EXPECT_EQ(linked.Root().Parent(), &scene.Root());
  EXPECT_FALSE(linked.Root().InBox());
  EXPECT_EQ(scene.AddObject(&linked), &linked);
  EXPECT_EQ(scene.LinkedCount(), 1) << "adding an object the scene holds does nothing";
}

TEST_F(MapTest, LinkingIntoASecondSceneTakesTheObjectFromTheFirst) {
  TScene3D& first = AddScene("First");
  TScene3D& second = AddScene("Second");
  TObject3D& object = AddObject(Map.Objects(), "Wanderer", &Rock);
  object.Root().GetPosition().SetXYZ(1, 2, 3);
  first.AddObject(&object);
  second.AddObject(&object);
  EXPECT_EQ(first.LinkedCount(), 0);
  EXPECT_EQ(LinkedNames(second), std::vector<std::string>{"Wanderer"});
  EXPECT_EQ(object.Scene(), &second);
  EXPECT_EQ(object.Root().Parent(), &second.Root());
  ExpectVector(PlatformPosition(object.Root()), 1, 2, 3);
}

TEST_F(MapTest, RemovingObjectsDetachesThemAndRefusesStrangers) {
  TScene3D& scene = AddScene("Valley");
  TScene3D& other = AddScene("Other");
  TObject3D& a = AddObject(Map.Objects(), "A");
  TObject3D& b = AddObject(Map.Objects(), "B");
  scene.AddObject(&a);
  other.AddObject(&b);
  ExpectRaises([&] { scene.RemoveObject(&b); }, "Remove object failed");
  EXPECT_EQ(b.Scene(), &other) << "an object of another scene is left where it lies";
  EXPECT_EQ(b.Root().Parent(), &other.Root());
  ExpectRaises([&] { scene.RemoveObjectAt(1); }, "List index out of bounds (1)");
  scene.RemoveObject(&a);
  EXPECT_EQ(a.Scene(), nullptr);
  EXPECT_EQ(a.Root().Parent(), nullptr);
  EXPECT_EQ(scene.LinkedCount(), 0);
}

TEST_F(MapTest, DeletingAMapObjectOrASceneFirstUnlinks) {
  TScene3D& scene = AddScene("Valley");
  TObject3D& a = AddObject(Map.Objects(), "A");
  TObject3D& b = AddObject(Map.Objects(), "B");
  scene.AddObject(&a);
  scene.AddObject(&b);
  Map.Objects().Delete(&a);
  EXPECT_EQ(LinkedNames(scene), std::vector<std::string>{"B"});
  Map.Scenes().Delete(&scene);
  EXPECT_EQ(b.Scene(), nullptr);
  EXPECT_EQ(b.Root().Parent(), nullptr);
  // An object freed outside the collection's Delete is still forgotten by its scene.
  TScene3D& again = AddScene("Again");
  again.AddObject(&b);
  Map.Objects().Clear();
  EXPECT_EQ(again.LinkedCount(), 0);
}

TEST_F(MapTest, SceneRecordNamesLinkedObjectsInPlacementOrder) {
  TScene3D& scene = AddScene("Valley");
  scene.SetOption(9);
  AddObject(scene.Objects(), "Own", &Lamp);
  for (const char* name : {"C", "A", "B"}) AddObject(Map.Objects(), name, &Rock);
  for (const char* name : {"A", "B", "C"}) scene.AddObjectByName(name);
  scene.RemoveObject(Map.FindObject("A"));
  scene.AddObjectByName("A");
  const auto record = Saved(scene);
  TScene3D& copy = AddScene("Copy");
  auto stream = StreamOf(record);
  copy.LoadFromStream(stream);
  EXPECT_EQ(LinkedNames(copy), (std::vector<std::string>{"B", "C", "A"}));
  EXPECT_EQ(LinkedNames(scene), std::vector<std::string>{}) << "loading took them from the first scene";
  EXPECT_EQ(copy.Option(), 9);
  ASSERT_EQ(copy.Objects().Count(), 1);
  EXPECT_EQ(rtl::CheckedCast<TObject3D>(copy.Objects().GetItem(0))->ItemCount(), 2);
  EXPECT_EQ(Saved(copy), record);
  // The names are the tail of the record: the count and three length-prefixed names.
  const std::vector<std::uint8_t> tail(record.end() - 19, record.end());
  EXPECT_EQ(ToHex(tail), "03 00 00 00 01 00 00 00 42 01 00 00 00 43 01 00 00 00 41");
}

TEST_F(MapTest, SceneNamingAMissingObjectRaisesNotFoundAndKeepsWhatItPlaced) {
  TScene3D& scene = AddScene("Valley");
  AddObject(Map.Objects(), "Here", &Rock);
  scene.AddObjectByName("Here");
  // The record ends in the linked names: a count of 1 and "Here". Two names, the second missing.
  auto record = Saved(scene);
  record.resize(record.size() - 12);
  rtl::TMemoryStream names;
  WriteInteger(names, 2);
  WriteString(names, "Here");
  WriteString(names, "Gone");
  const auto tail = names.Bytes();
  record.insert(record.end(), tail.begin(), tail.end());
  TScene3D& copy = AddScene("Copy");
  auto damaged = StreamOf(record);
  ExpectRaises([&] { copy.LoadFromStream(damaged); }, "Collection3D error: Item Gone not found");
  EXPECT_EQ(LinkedNames(copy), std::vector<std::string>{"Here"});
  ExpectRaises([&] { copy.AddObjectByName("Nobody"); }, "Collection3D error: Item Nobody not found");
}

TEST_F(MapTest, CopyingASceneCopiesItsLinkedObjectsUnderUniqueNames) {
  TScene3D& scene = AddScene("Valley");
  AddObject(Map.Objects(), "Tree0001", &Rock);
  scene.AddObjectByName("Tree0001");
  TScene3D& copy = AddScene("Copy");
  copy.Assign(scene);
  ASSERT_EQ(copy.LinkedCount(), 1);
  TObject3D* twin = copy.GetLinked(0);
  EXPECT_EQ(twin->Name(), "Tree0002");
  EXPECT_EQ(twin->Scene(), &copy) << "the copy lies in the copied scene, not in the source's";
  EXPECT_EQ(twin->GetModel(), &Rock);
  EXPECT_EQ(twin->ItemCount(), 1);
  EXPECT_EQ(LinkedNames(scene), std::vector<std::string>{"Tree0001"});
  // Copying a linked map object links the copy into the source's scene.
  TObject3D& another = AddObject(Map.Objects(), "Another");
  another.Assign(*twin);
  EXPECT_EQ(another.Scene(), &copy);
  EXPECT_EQ(LinkedNames(copy), (std::vector<std::string>{"Tree0002", "Another"}));
}

// Each copy's Assign links it into the source scene and placing it takes it out again: the copy
// must walk a snapshot of the source's list, whatever its length.
TEST_F(MapTest, CopyingASceneWithSeveralLinkedObjectsCopiesEachOnce) {
  for (int linked = 1; linked <= 4; ++linked) {
    SCOPED_TRACE(linked);
    Map.Scenes().Clear();
    Map.Objects().Clear();
    TScene3D& scene = AddScene("Valley");
    std::vector<std::string> names;
    for (int i = 0; i < linked; ++i) {
      names.push_back("Obj" + std::to_string(i));
      AddObject(Map.Objects(), names.back(), &Rock);
      scene.AddObjectByName(names.back());
    }
    TScene3D& copy = AddScene("Copy");
    copy.Assign(scene);
    EXPECT_EQ(LinkedNames(scene), names);
    ASSERT_EQ(copy.LinkedCount(), linked);
    for (int i = 0; i < linked; ++i) EXPECT_EQ(copy.GetLinked(i)->Scene(), &copy);
    EXPECT_EQ(Map.Objects().Count(), 2 * linked);
  }
}

// A deleted model leaves its name on the objects that used it; a file saved so would not load.
TEST_F(MapTest, SavingAnObjectWhoseModelWasDeletedRaisesAndWritesNothing) {
  AddObject(Map.Objects(), "Boulder", &Rock);
  World.Models().Delete(&Rock);
  rtl::TMemoryStream refused;
  ExpectRaises([&] { World.SaveToStream(refused); }, "Collection3D error: Item Rock not found");
  AddModel("Rock");
  rtl::TMemoryStream stream;
  World.SaveToStream(stream);
  stream.SetPosition(0);
  World.LoadFromStream(stream);
  EXPECT_EQ(Map.FindObject("Boulder")->GetModel()->Name(), "Rock") << "a model of that name heals the reference";
}

TEST_F(MapTest, MissingMapsAndModelsRaiseTheirMessages) {
  TCollectionScene3D scenes(nullptr, "Loose");
  ExpectRaises([&] { scenes.Add("S"); }, "CollectionScene3D error: Map not assigned");
  EXPECT_EQ(scenes.Count(), 0) << "the failed scene leaves no entry";
  TCollectionObject3D objects(nullptr, "Loose");
  ExpectRaises([&] { objects.Add("O"); }, "CollectionObject3D error: Map not assigned");
  TMap3D unbound;
  ExpectRaises([&] { unbound.Objects().Add("O"); }, "Map3D error: Models not assigned");
  ExpectRaises([&] { unbound.Scenes().Add("S"); }, "Map3D error: Meshes not assigned");
  TCollectionModel3D models(nullptr, "Models");
  ExpectRaises([&] { unbound.SetModels(&models); }, "Map3D error: Meshes not assigned");
  models.SetMeshes(&World.Meshes());
  ExpectRaises([&] { unbound.Scenes().Add("S"); }, "Map3D error: Sounds not assigned");
  ExpectRaises([&] { Map.FindObject("None"); }, "Collection3D error: Item None not found");
}

TEST_F(MapTest, LightsOfPlacedObjectsLightTheirSceneOrTheWholeWorld) {
  TScene3D& scene = AddScene("Valley");
  TObject3D& own = AddObject(scene.Objects(), "Own", &Lamp);
  auto& light = rtl::CheckedCast<TLight3D>(*own.GetItem(1));
  EXPECT_EQ(light.DXLight()->EnableFrame(), Map.Root().DXFrame());
  light.SetLightFlags(TLight3D::kLightOn | TLight3D::kOwnSceneOnly);
  EXPECT_EQ(light.DXLight()->EnableFrame(), scene.Root().DXFrame());
  // A map object in no scene keeps the enable frame its light was made with (its own frame, the
  // scene it had then); placing the object sets it.
  TObject3D& loose = AddObject(Map.Objects(), "Loose", &Lamp);
  auto& looseLight = rtl::CheckedCast<TLight3D>(*loose.GetItem(1));
  looseLight.SetLightFlags(TLight3D::kLightOn | TLight3D::kOwnSceneOnly);
  EXPECT_EQ(looseLight.DXLight()->EnableFrame(), looseLight.DXFrame());
  scene.AddObject(&loose);
  EXPECT_EQ(looseLight.DXLight()->EnableFrame(), scene.Root().DXFrame());
  // The model's own light belongs to no placed object and keeps its own scene.
  auto& modelLight = rtl::CheckedCast<TLight3D>(*Lamp.GetItem(1));
  modelLight.SetLightKind(2);
  EXPECT_EQ(modelLight.DXLight()->EnableFrame(), modelLight.DXFrame());
}

TEST_F(MapTest, AddingAnObjectPushesItsPlacementAndTheNextTimeStepItsAnimation) {
  TScene3D& scene = AddScene("Valley");
  TObject3D& object = AddObject(Map.Objects(), "Thing", &Rock);
  TItem3D& shape = *object.GetItem(0);
  shape.GetPosition().SetXYZ(0, 10, 0);
  object.Root().GetPosition().SetXYZ(100, 0, 0);
  scene.AddObject(&object);
  // The caches hold scene coordinates: they are pushed as they are, relative to the new scene.
  ExpectVector(PlatformPosition(object.Root()), 100, 0, 0);
  ExpectVector(PlatformPosition(shape), 0, 10, 0);
  // A keyed item is placed from its caches too, as loading places it; the next time step moves it
  // where its animation says.
  auto& key = static_cast<TFrameKey3D&>(*shape.Animation().AddKey());
  key.SetUsePosition(true);
  key.KeyPosition.SetXYZ(0, 50, 0);
  scene.RemoveObject(&object);
  shape.GetPosition().SetXYZ(0, 20, 0);
  scene.AddObject(&object);
  ExpectVector(PlatformPosition(shape), 0, 20, 0);
  object.Root().Animation().SetTime(0);
  ExpectVector(PlatformPosition(shape), 100, 50, 0);
}

TEST_F(MapTest, BoxModeChangesUnclipEveryVisibleFrame) {
  TScene3D& scene = AddScene("Valley");
  TObject3D& own = AddObject(scene.Objects(), "Own", &Rock);
  TObject3D& linked = AddObject(Map.Objects(), "Linked", &Rock);
  TObject3D& hidden = AddObject(Map.Objects(), "Hidden", &Rock);
  hidden.Root().SetVisible(false);
  const std::vector<TFrame3D*> frames{&scene.Root(), &own.Root(), own.GetItem(0), &linked.Root(), linked.GetItem(0)};
  for (TFrame3D* frame : frames) frame->SetClipped(true);
  Map.SetBoxMode(0);
  EXPECT_TRUE(own.Root().Clipped()) << "the current mode changes nothing";
  Map.SetBoxMode(1);
  EXPECT_EQ(Map.BoxMode(), 1);
  for (TFrame3D* frame : frames) EXPECT_FALSE(frame->Clipped());
  EXPECT_TRUE(hidden.Root().Clipped()) << "hidden frames stay hidden";
}

TEST_F(MapTest, BackgroundFogReachesTheMapRootAndNineTimesFurtherTheBackground) {
  TBackground3D& background = Map.Background();
  ASSERT_NE(background.Parent(), nullptr) << "its anchor";
  EXPECT_EQ(background.GetScene(), background.Parent()->DXFrame());
  background.SetFogEnable(true);
  background.SetFogStart(8000);
  background.SetFogEnd(20000);
  background.Color().SetRGBA(10, 20, 30, 255);
  const rm::SceneFog& root = Map.Root().DXFrame()->GetSceneFog();
  EXPECT_TRUE(root.enabled);
  EXPECT_EQ(root.start, 8000);
  EXPECT_EQ(root.end, 20000);
  EXPECT_EQ(root.color & 0xFFFFFF, 0x0A141Eu);
  EXPECT_EQ(Map.Root().DXFrame()->GetSceneBackground() & 0xFFFFFF, 0x0A141Eu);
  const rm::SceneFog& own = background.DXFrame()->GetSceneFog();
  EXPECT_EQ(own.start, 72000);
  EXPECT_EQ(own.end, 180000);
  EXPECT_EQ(own.color & 0xFFFFFF, 0x0A141Eu);
  // Without a map only the values are stored.
  TBackground3D loose;
  loose.SetFogStart(5);
  EXPECT_EQ(loose.FogStart(), 5);
  EXPECT_EQ(loose.DXFrame()->GetSceneFog().start, 1.0f);
}

TEST_F(MapTest, BackgroundFailuresNameTheirCall) {
  TBackground3D& background = Map.Background();
  rtl::faults::Arm("rm.Frame.SetSceneBackground", kFault);
  ExpectRaises([&] { background.Color().SetColor(1); },
               std::string("Background3D error: Set scene background failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.SetSceneFogParams", kFault, 1);
  ExpectRaises([&] { background.SetFogStart(3); },
               std::string("Background3D error: Set background fog end failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.SetSceneFogParams", kFault);
  ExpectRaises([&] { background.SetFogEnd(30); },
               std::string("Background3D error: Set scene fog end failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.SetSceneFogMode", kFault);
  ExpectRaises([&] { background.SetFogEnable(true); },
               std::string("Background3D error: Set scene fog mode failed") + kFaultSuffix);
}

TEST_F(MapTest, BackgroundMeshIsSwappedOnTheBackgroundFrame) {
  auto& sky = rtl::CheckedCast<TMesh3D>(*World.Meshes().Add("Sky"));
  auto& dome = rtl::CheckedCast<TMesh3D>(*World.Meshes().Add("Dome"));
  TBackground3D& background = Map.Background();
  background.MeshRef().SetItemName("Sky");
  EXPECT_EQ(background.GetMesh(), &sky);
  EXPECT_EQ(background.DXVisual(), sky.DXVisual());
  background.SetMesh(&dome);
  ASSERT_EQ(background.DXFrame()->Visuals().size(), 1u);
  EXPECT_EQ(background.DXFrame()->Visuals()[0].Get(), dome.DXVisual());
  World.Meshes().Delete(&dome);
  EXPECT_EQ(background.DXVisual(), nullptr);
  EXPECT_TRUE(background.DXFrame()->Visuals().empty());
}

TEST_F(MapTest, FollowCameraMovesEveryFollowingFrame) {
  TScene3D& scene = AddScene("Valley");
  TObject3D& own = AddObject(scene.Objects(), "Own", &Rock);
  TObject3D& linked = AddObject(Map.Objects(), "Linked", &Rock);
  scene.AddObject(&linked);
  scene.Root().SetFollowCamera(8);
  own.GetItem(0)->SetFollowCamera(16);
  linked.Root().SetFollowCamera(32);
  TFrame3D camera;
  camera.GetPosition().SetXYZ(3, 4, 5);
  Map.FollowCamera(camera);
  EXPECT_EQ(scene.Root().GetPosition().X(), 3);
  EXPECT_EQ(own.GetItem(0)->GetPosition().Y(), 4);
  EXPECT_EQ(linked.Root().GetPosition().Z(), 5);
  EXPECT_EQ(own.Root().GetPosition().Z(), 0) << "only the axes asked for follow";
}

TEST_F(MapTest, MarkItemsClearsMarksOfTransparentItemsUnderMarkedParents) {
  auto& glass = rtl::CheckedCast<TMaterial3D>(*World.Materials().Add("Glass"));
  glass.Color.SetRGBA(200, 220, 255, 128);
  auto& pane = rtl::CheckedCast<TMesh3D>(*World.Meshes().Add("Pane"));
  TSurface3D& surface = *pane.AddSurface();
  surface.Allocate(3, 1);
  surface.AddGroup();
  surface.SetMaterialName("Glass");
  TScene3D& scene = AddScene("Valley");
  TObject3D& object = AddObject(scene.Objects(), "Own");
  auto shape = [&](TFrame3D& parent, TMesh3D* mesh) -> TShape3D& {
    auto& item = rtl::CheckedCast<TShape3D>(*object.CreateItem("TShape3D"));
    item.SetParent(&parent);
    item.SetVisual(mesh);
    item.SetMarked(true);
    return item;
  };
  TShape3D& plain = shape(object.Root(), nullptr);
  TShape3D& parent = shape(object.Root(), &pane);
  TShape3D& child = shape(parent, &pane);
  Map.MarkItems(true, false);
  EXPECT_TRUE(plain.Marked()) << "neither transparent nor decal";
  EXPECT_TRUE(parent.Marked());
  EXPECT_TRUE(child.Marked());
  Map.MarkItems(false, false);
  EXPECT_TRUE(plain.Marked());
  EXPECT_FALSE(parent.Marked());
  EXPECT_TRUE(child.Marked()) << "its parent was unmarked before it was reached";
}

}  // namespace
