// Vector, matrix and quaternion arithmetic, and placement of frames relative to other frames.

#include "platform/rm/Math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/rm/Frame.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

void ExpectNear(const rm::Vector& actual, const rm::Vector& expected, float tolerance = 1e-5f) {
  EXPECT_NEAR(actual.x, expected.x, tolerance);
  EXPECT_NEAR(actual.y, expected.y, tolerance);
  EXPECT_NEAR(actual.z, expected.z, tolerance);
}

rm::Vector Rotate(const rm::Quaternion& q, const rm::Vector& v) {
  return rm::Matrix::FromQuaternion(q).TransformVector(v);
}

}  // namespace

TEST(RmMath, PositiveRotationTurnsXTowardY) {
  const auto q = rm::QuaternionFromRotation({0, 0, 1}, kPi / 2);
  EXPECT_NEAR(q.s, std::cos(kPi / 4), 1e-6f);
  ExpectNear(q.v, {0, 0, std::sin(kPi / 4)});
  ExpectNear(Rotate(q, {1, 0, 0}), {0, 1, 0});
  ExpectNear(Rotate(rm::QuaternionFromRotation({1, 0, 0}, kPi / 2), {0, 1, 0}), {0, 0, 1});
  ExpectNear(Rotate(rm::QuaternionFromRotation({0, 1, 0}, kPi / 2), {0, 0, 1}), {1, 0, 0});
  // The axis need not be a unit vector.
  ExpectNear(Rotate(rm::QuaternionFromRotation({0, 0, 5}, kPi / 2), {1, 0, 0}), {0, 1, 0});
}

TEST(RmMath, QuaternionMultiplyAppliesTheRightOperandFirst) {
  const auto aboutZ = rm::QuaternionFromRotation({0, 0, 1}, kPi / 2);
  const auto aboutX = rm::QuaternionFromRotation({1, 0, 0}, kPi / 2);
  // x --(about z)--> y --(about x)--> z
  ExpectNear(Rotate(rm::QuaternionMultiply(aboutX, aboutZ), {1, 0, 0}), {0, 0, 1});
  // x --(about x)--> x --(about z)--> y
  ExpectNear(Rotate(rm::QuaternionMultiply(aboutZ, aboutX), {1, 0, 0}), {0, 1, 0});
  // Composing an angle with itself gives twice the angle.
  const auto twice = rm::QuaternionMultiply(aboutZ, aboutZ);
  ExpectNear(Rotate(twice, {1, 0, 0}), {-1, 0, 0});
  // The matrix of a product is the product of the matrices, right operand first.
  const auto m = rm::Matrix::FromQuaternion(aboutZ) * rm::Matrix::FromQuaternion(aboutX);
  ExpectNear(m.TransformVector({1, 0, 0}), Rotate(rm::QuaternionMultiply(aboutX, aboutZ), {1, 0, 0}));
}

TEST(RmMath, SlerpTakesTheShorterArcAndHitsItsEnds) {
  const auto a = rm::QuaternionFromRotation({0, 0, 1}, 0);
  const auto b = rm::QuaternionFromRotation({0, 0, 1}, kPi / 2);
  ExpectNear(Rotate(rm::Slerp(a, b, 0), {1, 0, 0}), {1, 0, 0});
  ExpectNear(Rotate(rm::Slerp(a, b, 1), {1, 0, 0}), {0, 1, 0});
  const float h = std::sqrt(0.5f);
  ExpectNear(Rotate(rm::Slerp(a, b, 0.5f), {1, 0, 0}), {h, h, 0});
  // -q is the same rotation as q: interpolating towards it must not swing the long way round.
  const rm::Quaternion negated{-b.s, b.v * -1.0f};
  ExpectNear(Rotate(rm::Slerp(a, negated, 0.5f), {1, 0, 0}), {h, h, 0});
}

TEST(RmMath, CatmullRomPassesThroughItsKeys) {
  const rm::Vector p0{0, 0, 0}, p1{1, 0, 0}, p2{2, 1, 0}, p3{3, 3, 0};
  ExpectNear(rm::CatmullRom(p0, p1, p2, p3, 0), p1);
  ExpectNear(rm::CatmullRom(p0, p1, p2, p3, 1), p2);
  // On a straight, evenly spaced line it is the straight line.
  ExpectNear(rm::CatmullRom({0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {3, 3, 3}, 0.25f), {1.25f, 1.25f, 1.25f});
}

TEST(RmMath, OrientationRowsAreRightUpDirection) {
  rm::Matrix m;
  ASSERT_TRUE(rm::Matrix::FromOrientation({0, 0, 2}, {0, 1, 1}, {5, 6, 7}, &m));
  ExpectNear(m.Row(0), {1, 0, 0});
  ExpectNear(m.Row(1), {0, 1, 0});  // up is made perpendicular to the direction
  ExpectNear(m.Row(2), {0, 0, 1});
  ExpectNear(m.Row(3), {5, 6, 7});
  EXPECT_FALSE(rm::Matrix::FromOrientation({0, 1, 0}, {0, 2, 0}, {}, &m));
  EXPECT_FALSE(rm::Matrix::FromOrientation({0, 0, 0}, {0, 1, 0}, {}, &m));
}

TEST(RmMath, InverseAffineUndoesRotationScaleAndTranslation) {
  const auto m = rm::Matrix::Scale({2, 3, 4}) *
                 rm::Matrix::FromQuaternion(rm::QuaternionFromRotation({1, 1, 0}, 0.7f)) *
                 rm::Matrix::Translation({5, -6, 7});
  const rm::Vector p{1.5f, -2, 0.25f};
  ExpectNear(m.InverseAffine().TransformPoint(m.TransformPoint(p)), p, 1e-4f);
  const auto identity = m * m.InverseAffine();
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(identity.m[r][c], r == c ? 1.0f : 0.0f, 1e-5f);
  }
}

TEST(RmFrame, PositionsAreRelativeToTheReferenceFrame) {
  auto root = rtl::MakeRef<rm::Frame>();
  auto parent = rtl::MakeRef<rm::Frame>();
  auto child = rtl::MakeRef<rm::Frame>();
  auto other = rtl::MakeRef<rm::Frame>();
  root->AddChild(parent.Get());
  parent->AddChild(child.Get());
  root->AddChild(other.Get());
  parent->SetPosition(nullptr, 10, 0, 0);
  parent->SetOrientation(nullptr, 1, 0, 0, 0, 1, 0);  // parent's +z points along the scene's +x
  other->SetPosition(nullptr, 0, 5, 0);

  child->SetPosition(root.Get(), 10, 0, 3);  // in scene coordinates
  rm::Vector p;
  child->GetPosition(nullptr, &p);
  ExpectNear(p, {-3, 0, 0});  // three units along the scene's +z is the parent's -x
  child->GetPosition(other.Get(), &p);
  ExpectNear(p, {10, -5, 3});
  rm::Vector scene;
  child->Transform(&scene, {0, 0, 1});
  ExpectNear(scene, {11, 0, 3});

  child->SetPosition(other.Get(), 0, 0, 0);
  child->GetPosition(root.Get(), &p);
  ExpectNear(p, {0, 5, 0});
  EXPECT_EQ(child->GetScene(), root.Get());
  EXPECT_EQ(other->GetScene(), root.Get());
}

TEST(RmFrame, OrientationReplacesRotationKeepsPositionAndRefusesParallelUp) {
  auto root = rtl::MakeRef<rm::Frame>();
  auto frame = rtl::MakeRef<rm::Frame>();
  root->AddChild(frame.Get());
  frame->SetPosition(nullptr, 1, 2, 3);
  ASSERT_EQ(frame->SetOrientation(root.Get(), 0, 0, -1, 0, 1, 0), rm::D3DRM_OK);
  rm::Vector direction, up, position;
  frame->GetOrientation(root.Get(), &direction, &up);
  ExpectNear(direction, {0, 0, -1});
  ExpectNear(up, {0, 1, 0});
  frame->GetPosition(root.Get(), &position);
  ExpectNear(position, {1, 2, 3});
  EXPECT_EQ(frame->SetOrientation(root.Get(), 0, 1, 0, 0, 1, 0), rm::D3DRMERR_BADVALUE);
  frame->GetOrientation(root.Get(), &direction, &up);
  ExpectNear(direction, {0, 0, -1});  // a refused orientation leaves the frame as it was
}

TEST(RmFrame, ChildrenVisualsAndLightsAreKeptOnceAndCannotLoop) {
  auto a = rtl::MakeRef<rm::Frame>();
  auto b = rtl::MakeRef<rm::Frame>();
  auto c = rtl::MakeRef<rm::Frame>();
  EXPECT_EQ(a->AddChild(b.Get()), rm::D3DRM_OK);
  EXPECT_EQ(b->AddChild(c.Get()), rm::D3DRM_OK);
  EXPECT_EQ(c->AddChild(a.Get()), rm::D3DRMERR_BADVALUE);
  EXPECT_EQ(c->AddChild(c.Get()), rm::D3DRMERR_BADVALUE);
  EXPECT_EQ(a->AddChild(c.Get()), rm::D3DRM_OK) << "moving a frame takes it from its old parent";
  EXPECT_TRUE(b->Children().empty());
  EXPECT_EQ(c->GetParent(), a.Get());
  EXPECT_EQ(b->DeleteChild(c.Get()), rm::D3DRMERR_NOTFOUND);
  EXPECT_EQ(a->DeleteChild(c.Get()), rm::D3DRM_OK);
  EXPECT_EQ(c->GetScene(), c.Get()) << "a detached frame is its own scene";
  EXPECT_EQ(c->RefCount(), 1u);
}
