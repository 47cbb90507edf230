// The value types: vectors, angles, rotations, orientations, colours, boxes, box lists, texture
// coordinates, vertices and topology boxes.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "core3d/Angle3D.h"
#include "core3d/Box3D.h"
#include "core3d/Color3D.h"
#include "core3d/ListBox3D.h"
#include "core3d/MapCoordinate3D.h"
#include "core3d/Orientation3D.h"
#include "core3d/Rotation3D.h"
#include "core3d/SnapValue.h"
#include "core3d/TopologyBox3D.h"
#include "core3d/Vertex3D.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/StreamBytes.h"

using testing_support::ChangeCounter;
using testing_support::Hex;
using testing_support::StreamOf;
using testing_support::Saved;
using testing_support::ToHex;

namespace {

void Load(TElement3D& element, const std::vector<std::uint8_t>& bytes) {
  auto stream = StreamOf(bytes);
  element.LoadFromStream(stream);
  EXPECT_EQ(stream.Remaining(), 0) << element.ClassName() << " left bytes unread";
}

constexpr float kEmpty = 2147483648.0f;

}  // namespace

TEST(SnapValue, ZeroesDustAndTheAllOnesPatternOnly) {
  EXPECT_EQ(SnapValue(0.0000005f), 0.0f);
  EXPECT_EQ(SnapValue(-0.0000009f), 0.0f);
  EXPECT_EQ(SnapValue(1e-6f), 1e-6f) << "the bounds themselves pass";
  EXPECT_EQ(SnapValue(-1e-6f), -1e-6f);
  EXPECT_EQ(SnapValue(std::bit_cast<float>(0xFFFFFFFFu)), 0.0f);
  EXPECT_TRUE(std::isnan(SnapValue(std::bit_cast<float>(0x7FC00000u)))) << "other NaNs pass";
  EXPECT_EQ(SnapValue(12.5f), 12.5f);
}

TEST(Vector3D, SetXYZComparesBeforeSnappingAndNotifiesOnce) {
  TVector3D v;
  v.SetXYZ(0, 1, 2);
  ChangeCounter counter;
  counter.Listen(v);
  v.SetXYZ(0.0000005f, 1, 2);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(v.X(), 0.0f);
  v.SetXYZ(0.0000005f, 1, 2);
  EXPECT_EQ(counter.Count(), 2) << "the stored x is 0, so the same call differs again";
  v.SetXYZ(0, 1, 2);
  EXPECT_EQ(counter.Count(), 2);
}

TEST(Vector3D, SetCoordStoresUnsnappedAndSetRawNeverNotifies) {
  TVector3D v;
  ChangeCounter counter;
  counter.Listen(v);
  v.SetCoord(0, 0.0000005f);
  EXPECT_EQ(v.GetCoord(0), 0.0000005f);
  EXPECT_EQ(counter.Count(), 1);
  v.SetCoord(0, 0.0000005f);
  EXPECT_EQ(counter.Count(), 1);
  v.SetRaw(3, 0.0000001f, 5);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(v.Y(), 0.0f);
  EXPECT_EQ(v.GetVector().z, 5.0f);
  v.Subtract(1, 1, 1);
  EXPECT_EQ(v.X(), 2.0f);
  EXPECT_EQ(v.Y(), -1.0f);
  EXPECT_THROW(v.SetCoord(3, 1), rtl::EListError);
  EXPECT_THROW(v.GetCoord(-1), rtl::EListError);
}

TEST(Vector3D, AssignAndLoadNotifyEvenWithoutChange) {
  TVector3D a;
  TVector3D b;
  ChangeCounter counter;
  counter.Listen(b);
  b.Assign(a);
  EXPECT_EQ(counter.Count(), 1);
  Load(b, Hex("00 00 00 00 00 00 00 00 00 00 00 00"));
  EXPECT_EQ(counter.Count(), 2);
  Load(b, Hex("00 00 80 3F 00 00 00 40 00 00 40 40"));
  EXPECT_EQ(b.Z(), 3.0f);
  EXPECT_EQ(ToHex(Saved(b)), "00 00 80 3F 00 00 00 40 00 00 40 40");
}

TEST(Angle3D, ExactComparisonAndNoSnapping) {
  TAngle3D angle;
  ChangeCounter counter;
  counter.Listen(angle);
  angle.SetValue(0.0000001f);
  EXPECT_EQ(angle.Value(), 0.0000001f);
  angle.SetValue(0.0000001f);
  EXPECT_EQ(counter.Count(), 1);
  Load(angle, Hex("00 00 00 3F"));
  EXPECT_EQ(angle.Value(), 0.5f);
  Load(angle, Hex("00 00 00 3F"));
  EXPECT_EQ(counter.Count(), 2) << "loading the same angle is no change";
}

TEST(Rotation3D, RecordIsAxisThenAngle) {
  TRotation3D rotation;
  ChangeCounter counter;
  counter.Listen(rotation);
  rotation.SetRotation(0, 1, 0, 0.5f);
  EXPECT_EQ(counter.Count(), 1) << "the angle notifies, the axis is stored silently";
  rotation.SetRotation(1, 0, 0, 0.5f);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(rotation.Axis.X(), 1.0f);
  rotation.SetRotation(0, 1, 0, 0.5f);
  EXPECT_EQ(ToHex(Saved(rotation)), "00 00 00 00 00 00 80 3F 00 00 00 00 00 00 00 3F");
}

TEST(Orientation3D, SetOrientationNotifiesAtMostOnce) {
  TOrientation3D orientation;
  ChangeCounter counter;
  counter.Listen(orientation);
  orientation.SetOrientation(0, 0, 1, 0, 1, 0);
  EXPECT_EQ(counter.Count(), 1);
  orientation.SetOrientation(0, 0, 1, 0, 1, 0);
  EXPECT_EQ(counter.Count(), 1);
  orientation.SetRaw(1, 0, 0, 0, 0, 1);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(Saved(orientation).size(), 24u);
  EXPECT_EQ(orientation.Up.Z(), 1.0f);
}

TEST(Color3D, ComponentsAreBlueGreenRedAlpha) {
  TColor3D color;
  ChangeCounter counter;
  counter.Listen(color);
  color.SetRGBA(30, 20, 10, 40);
  EXPECT_EQ(color.GetColor(), 0x281E140Au);
  EXPECT_EQ(color.GetComponent(0), 10);
  EXPECT_EQ(color.GetComponent(2), 30);
  EXPECT_EQ(color.GetComponent(3), 40);
  color.SetComponent(1, 99);
  EXPECT_EQ(color.GetColor(), 0x281E630Au);
  color.SetComponent(1, 99);
  color.SetRGBA(30, 99, 10, 40);
  EXPECT_EQ(counter.Count(), 2);
  EXPECT_THROW(color.GetComponent(4), rtl::EListError);
}

TEST(Color3D, StreamBytesLoadAsRedGreenBlueAlphaAndSaveBack) {
  TColor3D color;
  ChangeCounter counter;
  counter.Listen(color);
  Load(color, Hex("0A 14 1E 28"));
  EXPECT_EQ(color.GetComponent(2), 30);  // red
  EXPECT_EQ(color.GetComponent(1), 20);  // green
  EXPECT_EQ(color.GetComponent(0), 10);  // blue
  EXPECT_EQ(color.GetComponent(3), 40);  // alpha
  EXPECT_EQ(counter.Count(), 2) << "the change, then the unconditional notification";
  EXPECT_EQ(ToHex(Saved(color)), "0A 14 1E 28");

  TColor3D copy;
  ChangeCounter copyCounter;
  copyCounter.Listen(copy);
  copy.Assign(color);
  copy.Assign(color);
  EXPECT_EQ(copy.GetColor(), color.GetColor());
  EXPECT_EQ(copyCounter.Count(), 2);
}

TEST(Box3D, EmptyBoxIncludesAsIdentity) {
  TBox3D empty;
  empty.MakeEmpty();
  EXPECT_EQ(empty.Min.X(), kEmpty);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(empty.Min.Y()), 0x4F000000u);
  EXPECT_EQ(empty.Max.Z(), -kEmpty);

  TBox3D box;
  box.SetBox({{-1, -2, -3}, {1, 2, 3}});
  ChangeCounter counter;
  counter.Listen(box);
  box.Include(empty);
  EXPECT_EQ(box.GetBox().min.y, -2.0f);
  EXPECT_EQ(box.GetBox().max.z, 3.0f);

  empty.Include(box);
  EXPECT_EQ(empty.Min.X(), -1.0f);
  EXPECT_EQ(empty.Max.Y(), 2.0f);

  TBox3D far;
  far.SetBox({{0.0000001f, 5, -9}, {0.0000002f, 6, 9}});
  box.Include(far);
  EXPECT_EQ(box.Min.Z(), -9.0f);
  EXPECT_EQ(box.Max.Y(), 6.0f);
  EXPECT_EQ(counter.Count(), 0) << "including writes directly, without notifying";
}

TEST(Box3D, SubtractMovesBothCornersWithOneNotification) {
  TBox3D box;
  box.SetBox({{1, 1, 1}, {2, 2, 2}});
  ChangeCounter counter;
  counter.Listen(box);
  box.Subtract(1, 1, 1);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(box.Min.X(), 0.0f);
  EXPECT_EQ(box.Max.X(), 1.0f);
}

TEST(ListBox3D, FreshListSavesTheEmptySentinelAndCountZero) {
  TListBox3D list;
  EXPECT_EQ(list.Box.Max.X(), 0.0f) << "zeros until the first union";
  EXPECT_EQ(ToHex(Saved(list)),
            "00 00 00 4F 00 00 00 4F 00 00 00 4F 00 00 00 CF 00 00 00 CF 00 00 00 CF 00 00 00 00");
}

TEST(ListBox3D, LoadingRecomputesTheUnionWhateverTheStoredBoxSays) {
  TListBox3D source;
  source.AddBox()->SetBox({{0, 0, 0}, {1, 1, 1}});
  source.AddBox()->SetBox({{-5, 2, 0}, {0, 3, 4}});
  auto bytes = Saved(source);
  EXPECT_EQ(bytes.size(), 24u + 4u + 2 * 24u);
  std::fill(bytes.begin(), bytes.begin() + 24, 0);  // a stored union of zeros

  TListBox3D loaded;
  loaded.AddBox();
  Load(loaded, bytes);
  ASSERT_EQ(loaded.BoxCount(), 2);
  EXPECT_EQ(loaded.Box.Min.X(), -5.0f);
  EXPECT_EQ(loaded.Box.Max.Y(), 3.0f);
  EXPECT_EQ(loaded.Box.Max.Z(), 4.0f);
  EXPECT_EQ(loaded.GetBoxItem(1)->Container, &loaded);
  EXPECT_EQ(Saved(loaded), Saved(source));
}

TEST(ListBox3D, CountsOfZeroOrLessReadNoBoxesAndHugeCountsFail) {
  TListBox3D list;
  list.AddBox();
  auto noBoxes = Hex("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF FF");
  Load(list, noBoxes);
  EXPECT_EQ(list.BoxCount(), 0);
  EXPECT_EQ(list.Box.Min.X(), kEmpty);

  auto huge = noBoxes;
  huge[24] = 0xFF;
  huge[25] = 0xFF;
  huge[26] = 0xFF;
  huge[27] = 0x0F;
  auto stream = StreamOf(huge);
  EXPECT_THROW(list.LoadFromStream(stream), rtl::EReadError);
  EXPECT_THROW(list.GetBoxItem(0), rtl::EListError);
}

TEST(ListBox3D, AssignCopiesTheStoredUnionAndEveryBox) {
  TListBox3D source;
  source.AddBox()->SetBox({{0, 0, 0}, {1, 1, 1}});
  source.Box.SetBox({{7, 7, 7}, {8, 8, 8}});  // deliberately not the union
  TListBox3D target;
  target.AddBox();
  target.AddBox();
  target.Assign(source);
  EXPECT_EQ(target.BoxCount(), 1);
  EXPECT_EQ(target.Box.Min.X(), 7.0f) << "the union is copied, not recomputed";
  EXPECT_NE(target.GetBoxItem(0), source.GetBoxItem(0));
  EXPECT_EQ(target.GetBoxItem(0)->Max.Y(), 1.0f);
  target.Assign(target);
  EXPECT_EQ(target.BoxCount(), 1) << "assigning a list to itself keeps its boxes";
}

TEST(MapCoordinate3D, SetUVComparesBeforeSnapping) {
  TMapCoordinate3D uv;
  ChangeCounter counter;
  counter.Listen(uv);
  uv.SetUV(0.0000001f, 0.5f);
  EXPECT_EQ(uv.U(), 0.0f);
  uv.SetUV(0.0000001f, 0.5f);
  EXPECT_EQ(counter.Count(), 2);
  uv.SetUV(0, 0.5f);
  EXPECT_EQ(counter.Count(), 2);
  EXPECT_EQ(ToHex(Saved(uv)), "00 00 00 00 00 00 00 3F");
}

TEST(Vertex3D, RecordIsPositionNormalColourCoordinate) {
  TVertex3D vertex;
  vertex.Position.SetXYZ(1, 0, 0);
  vertex.Normal.SetXYZ(0, 1, 0);
  vertex.Color.SetRGBA(1, 2, 3, 4);
  vertex.MapCoordinate.SetUV(0.5f, 1);
  const auto bytes = Saved(vertex);
  EXPECT_EQ(ToHex(bytes),
            "00 00 80 3F 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 3F 00 00 00 00 03 02 01 04 00 00 00 3F 00 00 "
            "80 3F");
  TVertex3D loaded;
  ChangeCounter counter;
  counter.Listen(loaded);
  Load(loaded, bytes);
  EXPECT_EQ(counter.Count(), 1);
  EXPECT_EQ(loaded.Color.GetColor(), vertex.Color.GetColor());
  EXPECT_EQ(loaded.MapCoordinate.U(), 0.5f);
}

TEST(TopologyBox3D, OneByteLongerThanItsBoxListAndKeepsTheFlag) {
  TTopologyBox3D topology;
  EXPECT_EQ(topology.TopologyFlag, 1);
  topology.AddBox()->SetBox({{0, 0, 0}, {1, 2, 3}});
  TListBox3D plain;
  plain.AddBox()->SetBox({{0, 0, 0}, {1, 2, 3}});
  const auto bytes = Saved(topology);
  const auto plainBytes = Saved(plain);
  ASSERT_EQ(bytes.size(), plainBytes.size() + 1);
  EXPECT_TRUE(std::equal(plainBytes.begin(), plainBytes.end(), bytes.begin()));
  EXPECT_EQ(bytes.back(), 1);

  TTopologyBox3D copy;
  copy.TopologyFlag = 0;
  Load(copy, bytes);
  EXPECT_EQ(copy.TopologyFlag, 1);
  TTopologyBox3D assigned;
  assigned.TopologyFlag = 7;
  assigned.Assign(copy);
  EXPECT_EQ(assigned.TopologyFlag, 1);
  EXPECT_EQ(assigned.BoxCount(), 1);
  EXPECT_THROW(assigned.Assign(plain), rtl::EInvalidCast);
}
