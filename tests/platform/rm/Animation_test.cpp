#include "platform/rm/Animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

void ExpectNear(const rm::Vector& actual, const rm::Vector& expected, float tolerance = 1e-4f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

struct Animated {
  rtl::Ref<rm::Frame> frame = rtl::MakeRef<rm::Frame>();
  rtl::Ref<rm::Animation> animation = rtl::MakeRef<rm::Animation>();
  Animated() { animation->SetFrame(frame.Get()); }
  rm::Vector Position() const { return frame->Local().Row(3); }
};

}  // namespace

TEST(RmAnimation, SplinePositionsPassThroughEveryKeyAndOpenAnimationsHoldTheEnds) {
  Animated a;
  a.animation->SetOptions(rm::D3DRMANIMATION_OPEN | rm::D3DRMANIMATION_SPLINEPOSITION | rm::D3DRMANIMATION_POSITION);
  a.animation->AddPositionKey(0, 0, 0, 0);
  a.animation->AddPositionKey(10, 10, 5, 0);
  a.animation->AddPositionKey(20, 20, 0, 0);
  a.animation->SetTime(10);
  ExpectNear(a.Position(), {10, 5, 0});
  a.animation->SetTime(5);
  EXPECT_GT(a.Position().y, 2.5f) << "a spline bulges towards the middle key, a line would give 2.5";
  a.animation->SetTime(-4);
  ExpectNear(a.Position(), {0, 0, 0});
  a.animation->SetTime(99);
  ExpectNear(a.Position(), {20, 0, 0});
}

TEST(RmAnimation, LinearPositionsAndClosedAnimationsWrap) {
  Animated a;
  a.animation->SetOptions(rm::D3DRMANIMATION_CLOSED | rm::D3DRMANIMATION_LINEARPOSITION | rm::D3DRMANIMATION_POSITION);
  a.animation->AddPositionKey(10, 0, 0, 0);
  a.animation->AddPositionKey(20, 10, 0, 0);
  a.animation->SetTime(15);
  ExpectNear(a.Position(), {5, 0, 0});
  a.animation->SetTime(25);  // one span on: 15 again
  ExpectNear(a.Position(), {5, 0, 0});
  a.animation->SetTime(7.5f);  // 2.5 before the first key wraps to 17.5
  ExpectNear(a.Position(), {7.5f, 0, 0});
}

TEST(RmAnimation, RotationKeysAreSlerpedAndPositionIsKeptWithoutPositionKeys) {
  Animated a;
  a.frame->SetPosition(nullptr, 3, 4, 5);
  a.animation->SetOptions(rm::D3DRMANIMATION_OPEN | rm::D3DRMANIMATION_SCALEANDROTATION | rm::D3DRMANIMATION_POSITION);
  a.animation->AddRotateKey(0, rm::QuaternionFromRotation({0, 0, 1}, 0));
  a.animation->AddRotateKey(1, rm::QuaternionFromRotation({0, 0, 1}, kPi / 2));
  a.animation->SetTime(1);
  ExpectNear(a.frame->Local().Row(0), {0, 1, 0});
  ExpectNear(a.Position(), {3, 4, 5});  // no position keys: the frame stays where it was placed
  a.animation->SetTime(0.5f);
  const float h = std::sqrt(0.5f);
  ExpectNear(a.frame->Local().Row(0), {h, h, 0});
}

TEST(RmAnimation, ScaleKeysScaleTheRotation) {
  Animated a;
  a.animation->SetOptions(rm::D3DRMANIMATION_OPEN | rm::D3DRMANIMATION_SCALEANDROTATION);
  a.animation->AddRotateKey(0, rm::QuaternionFromRotation({0, 0, 1}, kPi / 2));
  a.animation->AddScaleKey(0, 1, 1, 1);
  a.animation->AddScaleKey(2, 3, 1, 1);
  a.animation->SetTime(1);
  ExpectNear(a.frame->Local().Row(0), {0, 2, 0});  // x scaled by 2, then turned onto y
}

TEST(RmAnimation, NeedsAFrameAndRefusesOpenAndClosedTogether) {
  auto animation = rtl::MakeRef<rm::Animation>();
  animation->AddPositionKey(0, 1, 1, 1);
  EXPECT_EQ(animation->SetTime(0), rm::D3DRMERR_BADOBJECT);
  EXPECT_EQ(animation->SetOptions(rm::D3DRMANIMATION_OPEN | rm::D3DRMANIMATION_CLOSED), rm::D3DRMERR_BADVALUE);
}
