#pragma once

#include "core3d/Structure3D.h"
#include "core3d/Vector3D.h"

// A direction and an up vector.
class TOrientation3D : public TStructure3D {
 public:
  TOrientation3D() { AddElements(&Direction, &Up); }

  const char* ClassName() const override { return "TOrientation3D"; }

  void SetRaw(float dx, float dy, float dz, float ux, float uy, float uz);
  // At most one notification for both vectors.
  void SetOrientation(float dx, float dy, float dz, float ux, float uy, float uz);

  TVector3D Direction;
  TVector3D Up;
};
