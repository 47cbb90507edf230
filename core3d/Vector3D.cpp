#include "core3d/Vector3D.h"

#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

float& TVector3D::Coord(int index) {
  rtl::CheckListIndex(index, 3);
  return index == 0 ? FX : index == 1 ? FY : FZ;
}

float TVector3D::GetCoord(int index) const {
  rtl::CheckListIndex(index, 3);
  const float coords[3] = {FX, FY, FZ};
  return coords[index];
}

void TVector3D::SetCoord(int index, float v) {
  float& coord = Coord(index);
  if (coord == v) return;
  coord = v;
  Changed();
}

void TVector3D::SetRaw(float x, float y, float z) {
  FX = SnapValue(x);
  FY = SnapValue(y);
  FZ = SnapValue(z);
}

void TVector3D::SetXYZ(float x, float y, float z) {
  if (x == FX && y == FY && z == FZ) return;
  SetRaw(x, y, z);
  Changed();
}

void TVector3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TVector3D>(source);
  SetRaw(other.FX, other.FY, other.FZ);
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
  WriteSingle(stream, FX);
  WriteSingle(stream, FY);
  WriteSingle(stream, FZ);
}
