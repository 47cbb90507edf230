#include "tools/worldbuilder/Rotations.h"

#include <algorithm>
#include <cmath>

namespace worldbuilder {

namespace {

rm::Quaternion Conjugate(const rm::Quaternion& q) { return {q.s, q.v * -1.0f}; }

}  // namespace

// The inverse of the layer's quaternion-to-matrix rule, taking the largest of the four terms.
rm::Quaternion OrientationQuaternion(const rm::Vector& direction, const rm::Vector& up) {
  rm::Matrix m;
  rm::Matrix::FromOrientation(direction, up, {0, 0, 0}, &m);
  const float m00 = m.m[0][0], m11 = m.m[1][1], m22 = m.m[2][2], trace = m00 + m11 + m22;
  rm::Quaternion q;
  if (trace > 0.0f) {
    const float w = 0.5f * std::sqrt(1.0f + trace), k = 0.25f / w;
    q = {w, {(m.m[1][2] - m.m[2][1]) * k, (m.m[2][0] - m.m[0][2]) * k, (m.m[0][1] - m.m[1][0]) * k}};
  } else if (m00 >= m11 && m00 >= m22) {
    const float x = 0.5f * std::sqrt(1.0f + m00 - m11 - m22), k = 0.25f / x;
    q = {(m.m[1][2] - m.m[2][1]) * k, {x, (m.m[0][1] + m.m[1][0]) * k, (m.m[0][2] + m.m[2][0]) * k}};
  } else if (m11 >= m22) {
    const float y = 0.5f * std::sqrt(1.0f + m11 - m00 - m22), k = 0.25f / y;
    q = {(m.m[2][0] - m.m[0][2]) * k, {(m.m[0][1] + m.m[1][0]) * k, y, (m.m[1][2] + m.m[2][1]) * k}};
  } else {
    const float z = 0.5f * std::sqrt(1.0f + m22 - m00 - m11), k = 0.25f / z;
    q = {(m.m[0][1] - m.m[1][0]) * k, {(m.m[0][2] + m.m[2][0]) * k, (m.m[1][2] + m.m[2][1]) * k, z}};
  }
  return q;
}

void TKeyWriter::Add(const rm::Vector& position, const rm::Quaternion& rotation) {
  TFrameKey3D& key = AddRotation(rotation);
  key.KeyPosition.SetXYZ(position.x, position.y, position.z);
  key.SetUsePosition(true);
}

void TKeyWriter::Add(const rm::Quaternion& rotation) { AddRotation(rotation); }

// The turn r with last · r = rotation, the shorter way round, as an axis and an angle.
TFrameKey3D& TKeyWriter::AddRotation(const rm::Quaternion& rotation) {
  rm::Quaternion turn = rm::QuaternionMultiply(Conjugate(FLast), rotation);
  if (turn.s < 0.0f) turn = {-turn.s, turn.v * -1.0f};
  const float sine = rm::Length(turn.v);
  const float angle = 2.0f * std::atan2(sine, turn.s);
  const rm::Vector axis = sine > 1e-7f ? turn.v * (1.0f / sine) : rm::Vector{0, 1, 0};
  auto& key = static_cast<TFrameKey3D&>(*FAnimation.AddKey());
  key.KeyRotation.SetRotation(axis.x, axis.y, axis.z, angle);
  key.SetUseRotation(true);
  FLast = rm::QuaternionMultiply(FLast, rm::QuaternionFromRotation(axis, angle));
  return key;
}

}  // namespace worldbuilder
