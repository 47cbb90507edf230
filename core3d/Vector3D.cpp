#include "core3d/Vector3D.h"

#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

float TVector3D::GetCoord(int index) const {
  rtl::CheckListIndex(index, 3);
  return FXYZ[index];
}

void TVector3D::SetCoord(int index, float v) {
  rtl::CheckListIndex(index, 3);
  if (FXYZ[index] == v) return;
  FXYZ[index] = v;
  Changed();
}

void TVector3D::SetRaw(float x, float y, float z) {
  FXYZ[0] = SnapValue(x);
  FXYZ[1] = SnapValue(y);
  FXYZ[2] = SnapValue(z);
}

void TVector3D::SetXYZ(float x, float y, float z) {
  if (SameValue(FXYZ[0], x) && SameValue(FXYZ[1], y) && SameValue(FXYZ[2], z)) return;
  SetRaw(x, y, z);
  Changed();
}

void TVector3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TVector3D>(source);
  SetRaw(other.FXYZ[0], other.FXYZ[1], other.FXYZ[2]);
  Changed();
}

void TVector3D::LoadFromStream(rtl::TStream& stream) {
  const float x = ReadSingle(stream);
  const float y = ReadSingle(stream);
  const float z = ReadSingle(stream);
  SetRaw(x, y, z);
  Changed();
}

void TVector3D::SaveToStream(rtl::TStream& stream) {
  for (float coord : FXYZ) WriteSingle(stream, coord);
}
