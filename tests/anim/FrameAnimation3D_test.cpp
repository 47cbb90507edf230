#include "anim/FrameAnimation3D.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/rm/Math.h"
#include "scene/Frame3D.h"
#include "tests/scene/FrameTest.h"
#include "tests/support/ChangeCounter.h"
#include "tests/support/ElementBytes.h"
#include "tests/support/Raises.h"
#include "tests/support/StreamBytes.h"

using namespace testing_support;

namespace {

constexpr std::uint32_t kMoved = TFrame3D::kInvalidPosition | TFrame3D::kInvalidOrientation;
constexpr std::uint32_t kRebuilt = kMoved | TFrame3D::kInvalidTopology;
constexpr std::uint32_t kBoxes = TFrame3D::kInvalidBox | TFrame3D::kInvalidTopology;

// Position (1, 2, 3), rotation 0.5 about y, scale (2, 2, 2); only position and scale used.
const char* const kKeyRecord =
    "00 00 80 3F 00 00 00 40 00 00 40 40  00 00 00 00 00 00 80 3F 00 00 00 00 00 00 00 3F"
    "  00 00 00 40 00 00 00 40 00 00 00 40  01 00 01";

TFrameKey3D& AddKey(TFrameAnimation3D& animation) { return static_cast<TFrameKey3D&>(*animation.AddKey()); }

void ExpectRotation(const rm::Matrix& local, const rm::Vector& axis, float angle) {
  const rm::Matrix expected = rm::Matrix::FromQuaternion(rm::QuaternionFromRotation(axis, angle));
  for (int row = 0; row < 3; ++row) {
    const rm::Vector want = expected.Row(row);
    ExpectVector(local.Row(row), want.x, want.y, want.z);
  }
}

// An animated frame below the scene, with a child to see the marks reach descendants.
class FrameAnimationTest : public FrameTest {
 protected:
  FrameAnimationTest() {
    Frame.SetParent(&Scene);
    Child.SetParent(&Frame);
  }
  TFrameAnimation3D& Animation() { return Frame.Animation(); }
  const rm::Matrix& Local() { return Frame.DXFrame()->Local(); }

  TFrame3D Frame;
  TFrame3D Child;
};

}  // namespace

TEST_F(FrameAnimationTest, KeyRecordSavesLoadsAndSavesTheSameBytesWithTheStoredFlagsWinning) {
  TFrameKey3D key(&Animation());
  EXPECT_EQ(ToHex(Saved(key)), ToHex(std::vector<std::uint8_t>(43, 0)));

  auto stream = StreamOf(Hex(kKeyRecord));
  key.LoadFromStream(stream);
  EXPECT_TRUE(key.UsePosition());
  EXPECT_FALSE(key.UseRotation());  // its value was loaded, and it notified, but the record says no
  EXPECT_TRUE(key.UseScale());
  EXPECT_FLOAT_EQ(key.KeyRotation.Angle.Value(), 0.5f);
  EXPECT_EQ(ToHex(Saved(key)), ToHex(Hex(kKeyRecord)));

  std::vector<std::uint8_t> cut = Hex(kKeyRecord);
  cut.pop_back();
  auto short_stream = StreamOf(cut);
  ExpectRaises([&] { key.LoadFromStream(short_stream); }, "Stream read error");
}

TEST_F(FrameAnimationTest, ChangedValuesAreSnappedMarkedUsedAndRebuildTheAnimation) {
  TFrameKey3D& key = AddKey(Animation());
  EXPECT_EQ(key.KeyAnimation(), &Animation());
  Animation().SetTime(0);
  ASSERT_FALSE(Animation().Rebuild());

  key.KeyPosition.SetCoord(0, 0.0000005f);
  EXPECT_EQ(key.KeyPosition.X(), 0.0f);
  EXPECT_TRUE(key.UsePosition());
  EXPECT_TRUE(Animation().Rebuild());

  Animation().SetTime(0);
  key.KeyRotation.SetRotation(0, 1, 0, 0.0000005f);
  EXPECT_EQ(key.KeyRotation.Angle.Value(), 0.0f);
  EXPECT_TRUE(key.UseRotation());
  EXPECT_TRUE(Animation().Rebuild());

  Animation().SetTime(0);
  key.KeyScale.SetXYZ(1, 1, 1);
  EXPECT_TRUE(key.UseScale());
  EXPECT_TRUE(Animation().Rebuild());

  // Flags invalidate only when they change.
  Animation().SetTime(0);
  key.SetUseScale(true);
  EXPECT_FALSE(Animation().Rebuild());
  key.SetUseScale(false);
  EXPECT_TRUE(Animation().Rebuild());
}

// Found by fuzzing the world loader: a NaN angle compared unequal to itself, so each snap of it
// notified again, without end.
TEST_F(FrameAnimationTest, ANotANumberAngleOrPositionIsStoredOnceWithoutNotifyingForever) {
  TFrameKey3D& key = AddKey(Animation());
  const float nan = std::bit_cast<float>(0x7FC00001u);
  key.KeyRotation.SetRotation(0, 1, 0, nan);
  EXPECT_TRUE(std::isnan(key.KeyRotation.Angle.Value()));
  EXPECT_TRUE(key.UseRotation());
  testing_support::ChangeCounter changes;
  TVector3D position;
  changes.Listen(position);
  position.SetXYZ(nan, 0, 0);
  position.SetXYZ(nan, 0, 0);
  EXPECT_EQ(changes.Count(), 1);
}

TEST_F(FrameAnimationTest, KeyAssignTakesTheSourceFlags) {
  TFrameKey3D source(&Animation());
  source.KeyPosition.SetXYZ(1, 2, 3);
  source.KeyRotation.SetRotation(0, 1, 0, 0.5f);
  source.SetUseRotation(false);
  TFrameKey3D copy(nullptr);
  copy.Assign(source);
  EXPECT_EQ(Saved(copy), Saved(source));
  EXPECT_TRUE(copy.UsePosition());
  EXPECT_FALSE(copy.UseRotation());
  EXPECT_FALSE(copy.UseScale());
}

TEST_F(FrameAnimationTest, WithoutKeysNothingReachesThePlatformOrTheFrame) {
  Animation().SetTime(3);
  EXPECT_EQ(Animation().DXAnimation(), nullptr);
  EXPECT_EQ(Frame.Invalid(), 0u);
  EXPECT_EQ(Child.Invalid(), 0u);
}

TEST_F(FrameAnimationTest, BuildsOnceBoundToTheFrameAndRebuildsOncePerKeyChange) {
  AddKey(Animation()).KeyPosition.SetXYZ(1, 2, 3);
  Animation().SetTime(0);
  const rtl::Ref<rm::Animation> first(Animation().DXAnimation());
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetFrame(), Frame.DXFrame());
  EXPECT_EQ(first->GetOptions(), 0x39u);
  EXPECT_FALSE(Animation().Rebuild());
  EXPECT_EQ(Frame.Invalid(), kRebuilt);
  EXPECT_EQ(Child.Invalid(), kRebuilt | kBoxes);

  Animation().SetTime(0);
  EXPECT_EQ(Animation().DXAnimation(), first.Get());

  static_cast<TFrameKey3D*>(Animation().GetKey(0))->KeyPosition.SetXYZ(4, 5, 6);
  Animation().SetTime(0);
  const rtl::Ref<rm::Animation> second(Animation().DXAnimation());
  EXPECT_NE(second.Get(), first.Get());
  Animation().SetTime(0);
  EXPECT_EQ(Animation().DXAnimation(), second.Get());
  ExpectVector(PlatformPosition(Frame), 4, 5, 6);
  ExpectVector(Frame.GetPosition(), 4, 5, 6);
}

TEST_F(FrameAnimationTest, RotationKeysAreComposedOntoEarlierOnes) {
  const rm::Vector y{0, 1, 0};
  for (int i = 0; i < 2; ++i) AddKey(Animation()).KeyRotation.SetRotation(0, 1, 0, 0.5f);
  Animation().SetTime(0);
  ExpectRotation(Local(), y, 0.5f);
  Animation().SetTime(1);
  ExpectRotation(Local(), y, 1.0f);
  const rm::Vector turned = rm::Matrix::FromQuaternion(rm::QuaternionFromRotation(y, 1.0f)).Row(2);
  ExpectVector(Frame.GetOrientation().Direction, turned.x, turned.y, turned.z);
}

TEST_F(FrameAnimationTest, KeysPlaceTheirValuesAtTheirIndexAndGapsAreInterpolated) {
  Frame.GetPosition().SetXYZ(4, 5, 6);
  AddKey(Animation()).KeyScale.SetXYZ(1, 1, 1);
  AddKey(Animation());
  AddKey(Animation()).KeyScale.SetXYZ(3, 3, 3);
  Animation().SetTime(1);
  ExpectVector(Local().Row(0), 2, 0, 0);
  ExpectVector(Local().Row(2), 0, 0, 2);
  ExpectVector(Local().Row(3), 4, 5, 6);  // no position key was added

  AddKey(Animation()).KeyPosition.SetXYZ(7, 8, 9);
  Animation().SetTime(3);
  ExpectVector(Local().Row(3), 7, 8, 9);
}

TEST_F(FrameAnimationTest, AHiddenFrameKeepsItsTimeUnlessAlwaysAnimated) {
  AddKey(Animation()).SetUsePosition(true);  // at the origin: no value change marks it
  AddKey(Animation()).KeyPosition.SetXYZ(0, 0, 8);
  Animation().SetTime(0);
  Frame.SetVisible(false);
  Animation().SetTime(1);
  ExpectVector(PlatformPosition(Frame), 0, 0, 0);
  EXPECT_EQ(Frame.Invalid() & kMoved, kMoved);

  Animation().SetAlwaysAnimate(true);
  Animation().SetTime(1);
  ExpectVector(PlatformPosition(Frame), 0, 0, 8);
}

TEST_F(FrameAnimationTest, PlatformFailuresRaiseAndTheNextTimeRebuilds) {
  AddKey(Animation()).KeyRotation.SetRotation(0, 1, 0, 0.5f);
  TFrameKey3D& both = AddKey(Animation());
  both.KeyScale.SetXYZ(2, 2, 2);
  both.KeyPosition.SetXYZ(1, 1, 1);
  const std::pair<const char*, const char*> failures[] = {
      {"rm.Direct3DRM.CreateAnimation", "Create animation failed"},
      {"rm.Animation.SetFrame", "Set frame failed"},
      {"rm.Animation.SetOptions", "Set animation options failed"},
      {"rm.Animation.AddRotateKey", "Add rotation key failed"},
      {"rm.Animation.AddScaleKey", "Add scale key failed"},
      {"rm.Animation.AddPositionKey", "Add position key failed"},
      {"rm.Animation.SetTime", "Set time failed"},
  };
  for (const auto& [call, message] : failures) {
    Animation().Invalidate();
    rtl::faults::Arm(call, kFault);
    EXPECT_EQ(MessageOf([&] { Animation().SetTime(1); }),
              std::string("FrameAnimation3D error: ") + message + kFaultSuffix);
    EXPECT_EQ(Animation().Rebuild(), std::string(call) != "rm.Animation.SetTime") << call;
  }
  Animation().SetTime(1);
  EXPECT_FALSE(Animation().Rebuild());
  ExpectVector(PlatformPosition(Frame), 1, 1, 1);
}

TEST_F(FrameAnimationTest, AnimationNeedsAFrameAndANewFrameRebuildsIt) {
  TFrameAnimation3D loose;
  AddKey(loose);
  ExpectRaises([&] { loose.SetTime(0); }, "FrameAnimation3D error: frame not assigned");

  AddKey(Animation()).KeyPosition.SetXYZ(1, 0, 0);
  Animation().SetTime(0);
  TFrame3D other;
  other.SetParent(&Scene);
  Animation().SetFrame(&other);
  EXPECT_TRUE(Animation().Rebuild());
  Animation().SetTime(0);
  EXPECT_EQ(Animation().DXAnimation()->GetFrame(), other.DXFrame());
  ExpectVector(PlatformPosition(other), 1, 0, 0);
  Animation().SetFrame(&Frame);
}
