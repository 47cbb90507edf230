#include "core3d/Box3D.h"

namespace {

// One axis of a box grown to hold another's extent on it.
void IncludeAxis(float& min, float& max, float otherMin, float otherMax) {
  if (min > otherMin) min = otherMin;
  if (!(max >= otherMax)) max = otherMax;
}

}  // namespace

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
  for (int axis = 0; axis < 3; ++axis)
    IncludeAxis(Min.FXYZ[axis], Max.FXYZ[axis], other.Min.FXYZ[axis], other.Max.FXYZ[axis]);
}

void TBox3D::Include(rm::Box& box, const rm::Box& other) {
  IncludeAxis(box.min.x, box.max.x, other.min.x, other.max.x);
  IncludeAxis(box.min.y, box.max.y, other.min.y, other.max.y);
  IncludeAxis(box.min.z, box.max.z, other.min.z, other.max.z);
}
