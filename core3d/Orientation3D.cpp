#include "core3d/Orientation3D.h"

void TOrientation3D::SetRaw(float dx, float dy, float dz, float ux, float uy, float uz) {
  Direction.SetRaw(dx, dy, dz);
  Up.SetRaw(ux, uy, uz);
}

void TOrientation3D::SetOrientation(float dx, float dy, float dz, float ux, float uy, float uz) {
  TUpdateBracket bracket(*this);
  Direction.SetXYZ(dx, dy, dz);
  Up.SetXYZ(ux, uy, uz);
}
