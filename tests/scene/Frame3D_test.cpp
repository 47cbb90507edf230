#include "scene/Frame3D.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core3d/Stream3D.h"
#include "scene/VisualFrame3D.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

constexpr std::uint32_t kPosition = TFrame3D::kInvalidPosition;
constexpr std::uint32_t kOrientation = TFrame3D::kInvalidOrientation;
constexpr std::uint32_t kBoxes = TFrame3D::kInvalidBox | TFrame3D::kInvalidTopology;

// A fresh frame: visible, follows nothing, at the origin looking along +z, no keys, z-buffered.
const char* const kDefaultRecord =
    "01 00  00 00 00 00 00 00 00 00 00 00 00 00"
    "  00 00 00 00 00 00 00 00 00 00 80 3F  00 00 00 00 00 00 80 3F 00 00 00 00"
    "  00 00 00 00 00 00 00 00 00  00  00 00 00 00  01";

// Counts the calls of its Invalidate override.
class TCountingFrame : public TFrame3D {
 public:
  void Invalidate(std::uint32_t flags) override {
    Calls.push_back(flags);
    TFrame3D::Invalidate(flags);
  }
  std::vector<std::uint32_t> Calls;
};

// Stands for a visual item: a frame that adds a box of its own to its visual ancestors' boxes.
class TBoxedFrame : public TFrame3D {
 public:
  TBoxedFrame(float x, float y, float z) { Box.SetBox({{x, y, z}, {x + 1, y + 1, z + 1}}); }
  const TBox3D* ContributedBox() override { return &Box; }
  TBox3D Box;
};

void ExpectBox(const TBox3D& box, rm::Vector min, rm::Vector max) {
  ExpectVector(box.Min, min.x, min.y, min.z);
  ExpectVector(box.Max, max.x, max.y, max.z);
}

std::vector<std::uint8_t> Reloaded(TElement3D& into, const std::vector<std::uint8_t>& bytes) {
  auto stream = StreamOf(bytes);
  into.LoadFromStream(stream);
  return Saved(into);
}

}  // namespace

TEST_F(FrameTest, CreatesItsPlatformFrameAndStartsAsAVisibleRootAtTheOrigin) {
  TFrame3D frame;
  ASSERT_NE(frame.DXFrame(), nullptr);
  EXPECT_EQ(frame.DXFrame()->GetAppData(), reinterpret_cast<std::uintptr_t>(&frame));
  EXPECT_EQ(frame.DXFrame()->GetParent(), nullptr);
  EXPECT_EQ(frame.Parent(), nullptr);
  EXPECT_TRUE(frame.Visible());
  EXPECT_FALSE(frame.Clipped());
  EXPECT_TRUE(frame.ZBuffer());
  EXPECT_EQ(frame.Invalid(), 0u);
  ExpectVector(frame.GetPosition(), 0, 0, 0);
  ExpectVector(frame.GetOrientation().Direction, 0, 0, 1);
  ExpectVector(frame.GetOrientation().Up, 0, 1, 0);
  EXPECT_EQ(frame.Animation().Frame(), &frame);
  EXPECT_EQ(Saved(frame), Hex(kDefaultRecord));
}

TEST_F(FrameTest, CreationFailuresRaiseTheirMessages) {
  rtl::faults::Arm("rm.Direct3DRM.CreateFrame", kFault);
  ExpectRaises([] { TFrame3D frame; }, std::string("Frame3D error: Create frame failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Object.SetAppData", kFault);
  ExpectRaises([] { TFrame3D frame; }, std::string("Frame3D error: Set app data failed") + kFaultSuffix);
  SetRetainedMode(nullptr);
  ExpectRaises([] { TFrame3D frame; }, "Engine3D error: direct3drm not assigned");
}

TEST_F(FrameTest, RootKeepsItsPositionInTheCacheUntilAttachedAndApplied) {
  TFrame3D frame;
  frame.GetPosition().SetXYZ(1, 2, 3);
  frame.GetOrientation().SetOrientation(1, 0, 0, 0, 1, 0);
  ExpectVector(PlatformPosition(frame), 0, 0, 0);
  ExpectVector(PlatformDirection(frame), 0, 0, 1);

  frame.SetParent(&Scene);
  ExpectVector(frame.GetPosition(), 1, 2, 3);
  ExpectVector(PlatformPosition(frame), 0, 0, 0);  // attaching pushes nothing

  frame.Apply();
  ExpectVector(PlatformPosition(frame), 1, 2, 3);
  ExpectVector(PlatformDirection(frame), 1, 0, 0);
}

TEST_F(FrameTest, AStaleCacheIsReadBackFromThePlatformOnlyWhenMarked) {
  TFrame3D frame;
  frame.GetPosition().SetXYZ(1, 2, 3);
  frame.SetParent(&Scene);
  ASSERT_EQ(frame.DXFrame()->SetPosition(nullptr, 7, 8, 9), rm::D3DRM_OK);
  ExpectVector(frame.GetPosition(), 1, 2, 3);

  Scene.Invalidate(kPosition);
  EXPECT_EQ(frame.Invalid(), kPosition | kBoxes);
  ExpectVector(frame.GetPosition(), 7, 8, 9);
  EXPECT_EQ(frame.Invalid(), kBoxes);
}

TEST_F(FrameTest, AttachedFramesWriteSceneRelativeValuesAndMarkTheirDescendants) {
  TFrame3D parent;
  TFrame3D child;
  TFrame3D grandchild;
  parent.SetParent(&Scene);
  child.SetParent(&parent);
  grandchild.SetParent(&child);
  parent.GetPosition().SetXYZ(10, 0, 0);
  child.GetPosition().SetXYZ(1, 2, 3);
  ExpectVector(child.DXFrame()->Local().Row(3), -9, 2, 3);

  parent.GetPosition().SetXYZ(20, 0, 0);
  EXPECT_EQ(parent.Invalid(), 0u);
  EXPECT_EQ(child.Invalid(), kPosition | kBoxes);
  EXPECT_EQ(grandchild.Invalid(), kPosition | kBoxes);
  ExpectVector(child.GetPosition(), 11, 2, 3);

  // Turned to look along +x, the parent carries the child's offset (-9, 2, 3) to (3, 2, 9).
  parent.GetOrientation().SetOrientation(1, 0, 0, 0, 1, 0);
  EXPECT_EQ(child.Invalid(), kPosition | kOrientation | kBoxes);
  ExpectVector(child.GetPosition(), 23, 2, 9);
  ExpectVector(child.GetOrientation().Direction, 1, 0, 0);
  ExpectVector(child.GetOrientation().Up, 0, 1, 0);
  EXPECT_EQ(child.Invalid(), kBoxes);
}

TEST_F(FrameTest, WritesAreIgnoredWhileTheAnimationHasKeys) {
  TFrame3D frame;
  TFrame3D child;
  frame.SetParent(&Scene);
  child.SetParent(&frame);
  frame.Animation().AddKey();

  frame.GetPosition().SetXYZ(4, 5, 6);
  frame.GetOrientation().SetOrientation(1, 0, 0, 0, 1, 0);
  frame.Apply();

  ExpectVector(PlatformPosition(frame), 0, 0, 0);
  ExpectVector(PlatformDirection(frame), 0, 0, 1);
  ExpectVector(frame.GetPosition(), 4, 5, 6);
  EXPECT_EQ(child.Invalid(), kPosition | kOrientation | kBoxes);
}

TEST_F(FrameTest, PlatformFailuresOfReadsAndWritesRaiseTheirMessages) {
  TFrame3D frame;
  frame.SetParent(&Scene);
  rtl::faults::Arm("rm.Frame.SetPosition", kFault);
  ExpectRaises([&] { frame.GetPosition().SetXYZ(1, 1, 1); },
               std::string("Frame3D error: Set position failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.SetOrientation", kFault);
  ExpectRaises([&] { frame.WriteOrientation(); }, std::string("Frame3D error: Set Orientation failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.GetPosition", kFault);
  ExpectRaises([&] { frame.ReadPosition(); }, std::string("Frame3D error: Get position failed") + kFaultSuffix);
  rtl::faults::Arm("rm.Frame.GetOrientation", kFault);
  ExpectRaises([&] { frame.ReadOrientation(); }, std::string("Frame3D error: Get orientation failed") + kFaultSuffix);
  // Up along the direction is refused by the platform.
  ExpectRaises([&] { frame.GetOrientation().SetOrientation(0, 1, 0, 0, 1, 0); },
               std::string("Frame3D error: Set Orientation failed") + kFaultSuffix);
}

TEST_F(FrameTest, SetParentMovesTheFrameBetweenParentsOnBothSides) {
  TFrame3D a;
  TFrame3D b;
  TFrame3D first;
  TFrame3D second;
  first.SetParent(&a);
  second.SetParent(&a);
  EXPECT_EQ(a.ChildCount(), 2);
  EXPECT_EQ(a.GetChild(1), &second);
  EXPECT_EQ(MessageOf([&] { a.GetChild(2); }), "List index out of bounds (2)");

  // Attaching to the parent it has does nothing, not even a platform call.
  rtl::faults::Arm("rm.Frame.DeleteChild", kFault);
  rtl::faults::Arm("rm.Frame.AddChild", kFault);
  first.SetParent(&a);
  rtl::faults::Reset();

  first.SetParent(&b);
  EXPECT_EQ(first.Parent(), &b);
  EXPECT_EQ(first.DXFrame()->GetParent(), b.DXFrame());
  EXPECT_EQ(a.ChildCount(), 1);
  EXPECT_EQ(a.GetChild(0), &second);
  EXPECT_EQ(b.GetChild(0), &first);

  a.ClearChildren();
  EXPECT_EQ(a.ChildCount(), 0);
  EXPECT_EQ(second.Parent(), nullptr);
  EXPECT_EQ(second.DXFrame()->GetParent(), nullptr);
}

TEST_F(FrameTest, FailedAttachLeavesTheFrameDetachedAndFailedDetachLeavesItAttached) {
  TFrame3D a;
  TFrame3D b;
  TFrame3D frame;
  frame.SetParent(&a);

  rtl::faults::Arm("rm.Frame.DeleteChild", kFault);
  ExpectRaises([&] { frame.SetParent(nullptr); }, std::string("Frame3D error: Delete child failed") + kFaultSuffix);
  EXPECT_EQ(frame.Parent(), &a);
  EXPECT_EQ(a.ChildCount(), 1);
  EXPECT_EQ(frame.DXFrame()->GetParent(), a.DXFrame());

  rtl::faults::Arm("rm.Frame.AddChild", kFault);
  ExpectRaises([&] { frame.SetParent(&b); }, std::string("Frame3D error: Add child failed") + kFaultSuffix);
  EXPECT_EQ(frame.Parent(), nullptr);
  EXPECT_EQ(a.ChildCount(), 0);
  EXPECT_EQ(b.ChildCount(), 0);
  EXPECT_EQ(frame.DXFrame()->GetParent(), nullptr);

  frame.SetParent(&b);
  EXPECT_EQ(b.GetChild(0), &frame);
  // A frame cannot hang below its own child.
  EXPECT_EQ(MessageOf([&] { b.SetParent(&frame); }), std::string("Frame3D error: Add child failed code: 781"));
  EXPECT_EQ(b.Parent(), nullptr);
}

TEST_F(FrameTest, DestroyingAFrameDetachesItsChildrenAndLeavesItsParent) {
  TFrame3D parent;
  TFrame3D orphan;
  auto middle = std::make_unique<TFrame3D>();
  middle->SetParent(&parent);
  orphan.SetParent(middle.get());
  rm::Frame* dxMiddle = middle->DXFrame();
  dxMiddle->AddRef();

  middle.reset();
  EXPECT_EQ(parent.ChildCount(), 0);
  EXPECT_TRUE(parent.DXFrame()->Children().empty());
  EXPECT_EQ(orphan.Parent(), nullptr);
  EXPECT_EQ(orphan.DXFrame()->GetParent(), nullptr);
  EXPECT_EQ(dxMiddle->Release(), 0u);  // nothing else kept the platform frame

  // The links are cut even when the platform refuses, since a destructor cannot report.
  auto stubborn = std::make_unique<TFrame3D>();
  orphan.SetParent(stubborn.get());
  stubborn->SetParent(&parent);
  rtl::faults::Arm("rm.Frame.DeleteChild", kFault, 0, 2);
  stubborn.reset();
  EXPECT_EQ(parent.ChildCount(), 0);
  EXPECT_EQ(orphan.Parent(), nullptr);
  orphan.SetParent(&parent);
  EXPECT_EQ(orphan.DXFrame()->GetParent(), parent.DXFrame());
}

TEST_F(FrameTest, HidingClipsByAnEmptyBoxAndRestsTheAnimation) {
  TFrame3D frame;
  frame.SetVisible(false);
  const rm::Box& box = frame.DXFrame()->GetBox();
  EXPECT_TRUE(frame.DXFrame()->BoxEnabled());
  ExpectVector(box.min, 0, 0, 0);
  ExpectVector(box.max, 0, 0, 0);
  EXPECT_TRUE(frame.Clipped());
  EXPECT_FALSE(frame.Animation().Active());

  frame.SetClipped(false);  // the map's reset keeps invisible frames hidden
  EXPECT_TRUE(frame.Clipped());
  EXPECT_TRUE(frame.DXFrame()->BoxEnabled());

  frame.SetVisible(true);
  EXPECT_FALSE(frame.Clipped());
  EXPECT_FALSE(frame.DXFrame()->BoxEnabled());
  EXPECT_TRUE(frame.Animation().Active());

  frame.SetClipped(true);
  EXPECT_TRUE(frame.Clipped());
  EXPECT_TRUE(frame.Visible());
  EXPECT_TRUE(frame.DXFrame()->BoxEnabled());
  rtl::faults::Arm("rm.Frame.SetBoxEnable", kFault);
  frame.SetClipped(true);  // no change, no platform call
  rtl::faults::Reset();
  frame.SetClipped(false);
  EXPECT_FALSE(frame.Clipped());
}

TEST_F(FrameTest, FailedClippingKeepsVisibilityAndClipState) {
  TFrame3D frame;
  rtl::faults::Arm("rm.Frame.SetBoxEnable", kFault);
  ExpectRaises([&] { frame.SetVisible(false); }, std::string("Frame3D error: Set DXBox enable failed") + kFaultSuffix);
  EXPECT_TRUE(frame.Visible());
  EXPECT_FALSE(frame.Clipped());
  EXPECT_TRUE(frame.Animation().Active());

  rtl::faults::Arm("rm.Frame.SetBox", kFault);
  ExpectRaises([&] { frame.SetClipped(true); }, std::string("Frame3D error: Set DXBox failed") + kFaultSuffix);
  EXPECT_FALSE(frame.Clipped());
  frame.SetVisible(false);
  EXPECT_TRUE(frame.Clipped());
}

TEST_F(FrameTest, ZBufferSwitchesThePlatformDepthMode) {
  TFrame3D frame;
  frame.SetZBuffer(false);
  EXPECT_EQ(frame.DXFrame()->GetZbufferMode(), rm::ZBufferMode::Disable);
  rtl::faults::Arm("rm.Frame.SetZbufferMode", kFault);
  ExpectRaises([&] { frame.SetZBuffer(true); }, std::string("Frame3D: Set zbuffer mode failed") + kFaultSuffix);
  EXPECT_FALSE(frame.ZBuffer());
  frame.SetZBuffer(true);
  EXPECT_EQ(frame.DXFrame()->GetZbufferMode(), rm::ZBufferMode::FromParent);
  EXPECT_TRUE(frame.ZBuffer());
}

TEST_F(FrameTest, InvalidatePassesFlagsDownButCallsOverridesOnlyOfChildrenWithChildren) {
  TFrame3D root;
  TCountingFrame leaf;
  TCountingFrame inner;
  TCountingFrame deep;
  leaf.SetParent(&root);
  inner.SetParent(&root);
  deep.SetParent(&inner);

  root.Invalidate(kOrientation);
  EXPECT_EQ(root.Invalid(), 0u);
  EXPECT_EQ(leaf.Invalid(), kOrientation | kBoxes);
  EXPECT_TRUE(leaf.Calls.empty());
  EXPECT_EQ(inner.Calls, std::vector<std::uint32_t>{kOrientation});
  EXPECT_EQ(deep.Invalid(), kOrientation | kBoxes);
  EXPECT_TRUE(deep.Calls.empty());
}

TEST_F(FrameTest, TransformBoxCarriesTheCornersIntoSceneCoordinates) {
  TFrame3D frame;
  frame.SetParent(&Scene);
  frame.GetPosition().SetXYZ(10, 0, 0);
  frame.GetOrientation().SetOrientation(1, 0, 0, 0, 1, 0);  // local (x, y, z) lands at (z + 10, y, -x)

  TBox3D box;
  box.SetBox({{-1, -2, -3}, {1, 2, 4}});
  frame.TransformBox(box);
  ExpectBox(box, {7, -2, -1}, {14, 2, 1});

  box.SetBox({{1, 1, 1}, {1, 1, 1}});
  frame.TransformBox(box);
  ExpectBox(box, {11, 1, -1}, {11, 1, -1});

  rtl::faults::Arm("rm.Frame.Transform", kFault, 3);
  ExpectRaises([&] { frame.TransformBox(box); }, std::string("Frame3D error: Transform failed") + kFaultSuffix);
  ExpectBox(box, {11, 1, -1}, {11, 1, -1});
}

TEST_F(FrameTest, FollowCopiesTheNamedCameraComponents) {
  TFrame3D camera;
  TFrame3D frame;
  camera.SetParent(&Scene);
  frame.SetParent(&Scene);
  camera.GetPosition().SetXYZ(5, 6, 7);
  camera.GetOrientation().SetOrientation(0, 0, -1, 1, 0, 0);
  frame.GetPosition().SetXYZ(1, 2, 3);

  frame.Follow(camera);  // FollowCamera 0: untouched
  ExpectVector(frame.GetPosition(), 1, 2, 3);

  // Orientation z and all of x; position x and z.
  frame.SetFollowCamera(1 | 4 | 8 | 32);
  frame.Follow(camera);
  ExpectVector(frame.GetOrientation().Direction, 0, 0, -1);
  ExpectVector(frame.GetOrientation().Up, 1, 1, 0);
  ExpectVector(frame.GetPosition(), 5, 2, 7);
  ExpectVector(PlatformPosition(frame), 5, 2, 7);
  ExpectVector(PlatformDirection(frame), 0, 0, -1);
}

TEST_F(FrameTest, RecordSavesLoadsAndSavesTheSameBytesApplyingTheSetters) {
  TFrame3D source;
  source.SetVisible(false);
  source.SetFollowCamera(0x21);
  source.GetPosition().SetXYZ(1, -2, 3.5f);
  source.GetOrientation().SetOrientation(1, 0, 0, 0, 0, 1);
  source.Animation().SetTag(7);
  static_cast<TFrameKey3D*>(source.Animation().AddKey())->KeyPosition.SetXYZ(1, 2, 3);
  source.SetMarked(true);
  source.SetTag(-5);
  source.SetZBuffer(false);
  const std::vector<std::uint8_t> bytes = Saved(source);
  ASSERT_EQ(bytes.size(), 2u + 12 + 24 + 9 + 43 + 1 + 4 + 1);

  TFrame3D loaded;
  TFrame3D child;
  child.SetParent(&loaded);
  EXPECT_EQ(ToHex(Reloaded(loaded, bytes)), ToHex(bytes));
  EXPECT_EQ(loaded.ChildCount(), 0);
  EXPECT_FALSE(loaded.Visible());
  EXPECT_TRUE(loaded.DXFrame()->BoxEnabled());
  EXPECT_EQ(loaded.DXFrame()->GetZbufferMode(), rm::ZBufferMode::Disable);
  EXPECT_EQ(loaded.FollowCamera(), 0x21);
  EXPECT_EQ(loaded.Tag(), -5);
  EXPECT_TRUE(loaded.Marked());
  ExpectVector(loaded.GetOrientation().Up, 0, 0, 1);
  EXPECT_EQ(loaded.Animation().KeyCount(), 1);
}

TEST_F(FrameTest, SavingRecordsWhereThePlatformHasMovedTheFrame) {
  TFrame3D frame;
  frame.SetParent(&Scene);
  ASSERT_EQ(frame.DXFrame()->SetPosition(nullptr, 0, 0, 2), rm::D3DRM_OK);
  frame.MarkMoved(kPosition);
  const std::vector<std::uint8_t> bytes = Saved(frame);
  EXPECT_EQ(ToHex({bytes.begin() + 2, bytes.begin() + 14}), "00 00 00 00 00 00 00 00 00 00 00 40");
}

TEST_F(FrameTest, DamagedRecordsRaiseStreamReadError) {
  std::vector<std::uint8_t> bytes = Hex(kDefaultRecord);
  bytes.pop_back();
  TFrame3D frame;
  ExpectRaises([&] { Reloaded(frame, bytes); }, "Stream read error");

  // A key count far beyond what the rest of the record can hold.
  bytes = Hex(kDefaultRecord);
  bytes[2 + 12 + 24 + 5 + 3] = 0x7F;
  ExpectRaises([&] { Reloaded(frame, bytes); }, "Stream read error");
}

TEST_F(FrameTest, AssignCopiesRefreshedValuesButNoChildren) {
  TFrame3D source;
  source.SetParent(&Scene);
  ASSERT_EQ(source.DXFrame()->SetPosition(nullptr, 7, 8, 9), rm::D3DRM_OK);
  Scene.Invalidate(kPosition);
  source.SetTag(3);
  source.SetVisible(false);
  source.Animation().AddKey();

  TFrame3D target;
  TFrame3D child;
  child.SetParent(&target);
  target.SetParent(&Scene);
  target.Assign(source);
  EXPECT_EQ(target.ChildCount(), 0);
  ExpectVector(target.GetPosition(), 7, 8, 9);
  ExpectVector(PlatformPosition(target), 7, 8, 9);  // written before the keys arrived
  EXPECT_EQ(target.Tag(), 3);
  EXPECT_TRUE(target.Clipped());
  EXPECT_EQ(target.Animation().KeyCount(), 1);
  EXPECT_EQ(Saved(target), Saved(source));

  TVector3D notAFrame;
  ExpectRaises([&] { target.Assign(notAFrame); }, "Invalid class typecast");
}

TEST_F(FrameTest, VisualBoxGathersVisualFramesAndItemsAndSkipsOtherSubtrees) {
  TVisualFrame3D root;
  TVisualFrame3D visual;
  TBoxedFrame inVisual(0, 0, 0);
  TBoxedFrame item(5, 5, 5);
  TBoxedFrame belowItem(-3, 0, 0);
  TFrame3D plain;
  TBoxedFrame belowPlain(100, 0, 0);
  TVisualFrame3D notInBox;
  TBoxedFrame belowNotInBox(0, 100, 0);
  visual.SetParent(&root);
  inVisual.SetParent(&visual);
  item.SetParent(&root);
  belowItem.SetParent(&item);
  plain.SetParent(&root);
  belowPlain.SetParent(&plain);
  notInBox.SetParent(&root);
  notInBox.SetInBox(false);
  belowNotInBox.SetParent(&notInBox);

  ExpectBox(root.GetBox(), {-3, 0, 0}, {6, 6, 6});
  EXPECT_EQ(root.Invalid() & TFrame3D::kInvalidBox, 0u);
  ExpectBox(visual.GetBox(), {0, 0, 0}, {1, 1, 1});

  // Cached until marked; marking a visual frame marks its visual ancestors too.
  inVisual.Box.SetBox({{0, 0, -9}, {1, 1, 1}});
  ExpectBox(root.GetBox(), {-3, 0, 0}, {6, 6, 6});
  visual.InvalidateBox();
  ExpectBox(root.GetBox(), {-3, 0, -9}, {6, 6, 6});
}

TEST_F(FrameTest, InvalidateBoxMarksEveryVisualAncestorThroughPlainFrames) {
  TVisualFrame3D top;
  TFrame3D plain;
  TVisualFrame3D middle;
  TFrame3D plainBelow;
  TVisualFrame3D bottom;
  plain.SetParent(&top);
  middle.SetParent(&plain);
  plainBelow.SetParent(&middle);
  bottom.SetParent(&plainBelow);
  top.GetBox();
  middle.GetBox();
  bottom.GetBox();

  bottom.Invalidate(kPosition);
  EXPECT_EQ(bottom.Invalid(), TFrame3D::kInvalidBox);
  EXPECT_EQ(middle.Invalid(), TFrame3D::kInvalidBox);
  EXPECT_EQ(top.Invalid(), TFrame3D::kInvalidBox);
  EXPECT_EQ(plain.Invalid(), 0u);
}

TEST_F(FrameTest, FreshVisualFrameHasTheEmptyBox) {
  TVisualFrame3D frame;
  ExpectBox(frame.GetBox(), {2147483648.0f, 2147483648.0f, 2147483648.0f},
            {-2147483648.0f, -2147483648.0f, -2147483648.0f});
}

TEST_F(FrameTest, VisualFrameRecordAppendsInBoxAndAssignCopiesIt) {
  TVisualFrame3D frame;
  frame.SetInBox(false);
  frame.SetTag(9);
  const std::vector<std::uint8_t> bytes = Saved(frame);
  std::vector<std::uint8_t> expected = Hex(kDefaultRecord);
  expected[expected.size() - 5] = 9;
  expected.push_back(0);
  EXPECT_EQ(ToHex(bytes), ToHex(expected));

  TVisualFrame3D loaded;
  EXPECT_EQ(Reloaded(loaded, bytes), bytes);
  EXPECT_FALSE(loaded.InBox());

  TVisualFrame3D copy;
  copy.Assign(frame);
  EXPECT_FALSE(copy.InBox());
  EXPECT_EQ(copy.Tag(), 9);
  TFrame3D plain;
  ExpectRaises([&] { copy.Assign(plain); }, "Invalid class typecast");
}
