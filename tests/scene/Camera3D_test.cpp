#include "scene/Camera3D.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/rtl/Cast.h"
#include "scene/Construction3D.h"
#include "scene/Light3D.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

using CameraTest = FrameTest;

}  // namespace

TEST(Viewport3D, RecordIsFrontBackFieldProjectionAndSettersNotifyOnlyOnChange) {
  TViewport3D view;
  EXPECT_EQ(Saved(view), Hex("52B89640 0050C347 00004040 00"));
  ChangeCounter changes;
  changes.Listen(view);
  view.SetFront(4.71f);
  view.SetProjection(TViewport3D::kPerspective);
  EXPECT_EQ(changes.Count(), 0);
  view.SetFront(1);
  view.SetBack(2);
  view.SetField(0.5f);
  view.SetProjection(TViewport3D::kOrthographic);
  EXPECT_EQ(changes.Count(), 4);
  EXPECT_EQ(Saved(view), Hex("0000803F 00000040 0000003F 01"));

  TViewport3D copy;
  copy.Assign(view);
  EXPECT_EQ(Saved(copy), Saved(view));
  TViewport3D loaded;
  auto stream = StreamOf(Saved(view));
  loaded.LoadFromStream(stream);
  EXPECT_EQ(Saved(loaded), Saved(view));
  ExpectRaises([&] { copy.Assign(TColor3D()); }, "Invalid class typecast");
}

TEST(Viewport3D, ShortRecordChangesNothing) {
  TViewport3D view;
  auto stream = StreamOf(Hex("0000803F 00000040 0000003F"));
  ExpectRaises([&] { view.LoadFromStream(stream); }, "Stream read error");
  EXPECT_EQ(view.Front(), 4.71f);
  EXPECT_EQ(view.Field(), 3.0f);
}

TEST_F(CameraTest, ViewportTravelsInsideTheItemRecordAndItsChangesReachTheCamera) {
  TCamera3D camera;
  ChangeCounter changes;
  changes.Listen(camera);
  camera.Viewport().SetField(1.25f);
  EXPECT_EQ(changes.Count(), 1);
  camera.Viewport().SetProjection(TViewport3D::kOrthographic);
  camera.SetComment("tour");
  const std::vector<std::uint8_t> bytes = Saved(camera);
  TItem3D item;
  item.SetComment("tour");
  EXPECT_EQ(bytes.size(), Saved(item).size() + Saved(camera.Viewport()).size());

  TCamera3D copy;
  auto stream = StreamOf(bytes);
  copy.LoadFromStream(stream);
  EXPECT_EQ(copy.Viewport().Field(), 1.25f);
  EXPECT_EQ(copy.Viewport().Projection(), TViewport3D::kOrthographic);
  EXPECT_EQ(Saved(copy), bytes);

  TCamera3D assigned;
  assigned.Assign(camera);
  EXPECT_EQ(assigned.Viewport().Field(), 1.25f);
  EXPECT_EQ(Saved(assigned), bytes);
}

TEST_F(CameraTest, ConstructionCreatesLightsAndCamerasByNameAndLoadsThemBack) {
  TConstruction3D house(nullptr, "House");
  auto& light = rtl::CheckedCast<TLight3D>(*house.CreateItem("TLight3D"));
  light.SetParent(&house.Root());
  light.SetLightKind(1);
  auto& camera = rtl::CheckedCast<TCamera3D>(*house.CreateItem("TCamera3D"));
  camera.SetParent(&light);
  camera.Viewport().SetBack(500);
  const std::vector<std::uint8_t> bytes = Saved(house);

  TConstruction3D copy(nullptr, "Copy");
  auto stream = StreamOf(bytes);
  copy.LoadFromStream(stream);
  ASSERT_EQ(copy.ItemCount(), 2);
  auto& loadedLight = rtl::CheckedCast<TLight3D>(*copy.GetItem(0));
  auto& loadedCamera = rtl::CheckedCast<TCamera3D>(*copy.GetItem(1));
  EXPECT_EQ(loadedCamera.Parent(), &loadedLight);
  EXPECT_EQ(loadedLight.DXLight()->Type(), rm::LightType::ParallelPoint);
  EXPECT_EQ(loadedCamera.Viewport().Back(), 500.0f);
  EXPECT_EQ(Saved(copy), bytes);
}
