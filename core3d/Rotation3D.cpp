#include "core3d/Rotation3D.h"

void TRotation3D::SetRotation(float x, float y, float z, float angle) {
  Angle.SetValue(angle);
  Axis.SetRaw(x, y, z);
}
