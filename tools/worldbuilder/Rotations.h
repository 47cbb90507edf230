#pragma once

// Frame keys from absolute poses. A frame animation composes each rotation key onto the ones
// before it, so the writer stores the turn from the previous pose to the next.

#include "anim/FrameAnimation3D.h"
#include "platform/rm/Math.h"

namespace worldbuilder {

// The rotation whose frame faces `direction` with `up` up (rows [right; up; direction]).
rm::Quaternion OrientationQuaternion(const rm::Vector& direction, const rm::Vector& up);

class TKeyWriter {
 public:
  explicit TKeyWriter(TFrameAnimation3D& animation) : FAnimation(animation) {}
  // The next key: an absolute rotation, and a position in the parent's coordinates (units).
  void Add(const rm::Vector& position, const rm::Quaternion& rotation);
  void Add(const rm::Quaternion& rotation);

 private:
  TFrameKey3D& AddRotation(const rm::Quaternion& rotation);

  TFrameAnimation3D& FAnimation;
  rm::Quaternion FLast{1.0f, {0, 0, 0}};
};

}  // namespace worldbuilder
