#pragma once

#include "core3d/Angle3D.h"
#include "core3d/Structure3D.h"
#include "core3d/Vector3D.h"

// A rotation by an angle (radians) about an axis.
class TRotation3D : public TStructure3D {
 public:
  TRotation3D() { AddElements(&Axis, &Angle); }

  const char* ClassName() const override { return "TRotation3D"; }

  // The angle notifies when it changes; the axis is stored silently.
  void SetRotation(float x, float y, float z, float angle);

  TVector3D Axis;
  TAngle3D Angle;
};
