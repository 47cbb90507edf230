#include "core3d/Box3D.h"

namespace {
constexpr float kEmptyExtent = 2147483648.0f;  // 2^31
}

void TBox3D::SetBox(const rm::Box& box) {
  TUpdateBracket bracket(*this);
  Min.SetXYZ(box.min.x, box.min.y, box.min.z);
  Max.SetXYZ(box.max.x, box.max.y, box.max.z);
}

void TBox3D::Subtract(float dx, float dy, float dz) {
  TUpdateBracket bracket(*this);
  Min.Subtract(dx, dy, dz);
  Max.Subtract(dx, dy, dz);
}

void TBox3D::MakeEmpty() {
  TUpdateBracket bracket(*this);
  Min.SetXYZ(kEmptyExtent, kEmptyExtent, kEmptyExtent);
  Max.SetXYZ(-kEmptyExtent, -kEmptyExtent, -kEmptyExtent);
}

void TBox3D::Include(const TBox3D& other) {
  for (int axis = 0; axis < 3; ++axis) {
    float& min = Min.FXYZ[axis];
    float& max = Max.FXYZ[axis];
    if (min > other.Min.FXYZ[axis]) min = other.Min.FXYZ[axis];
    if (!(max >= other.Max.FXYZ[axis])) max = other.Max.FXYZ[axis];
  }
}
