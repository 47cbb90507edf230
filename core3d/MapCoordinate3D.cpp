#include "core3d/MapCoordinate3D.h"

#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

void TMapCoordinate3D::SetUV(float u, float v) {
  const bool differs = u != FU || v != FV;
  FU = SnapValue(u);
  FV = SnapValue(v);
  if (differs) Changed();
}

void TMapCoordinate3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TMapCoordinate3D>(source);
  SetUV(other.FU, other.FV);
}

void TMapCoordinate3D::LoadFromStream(rtl::TStream& stream) {
  const float u = ReadSingle(stream);
  const float v = ReadSingle(stream);
  SetUV(u, v);
}

void TMapCoordinate3D::SaveToStream(rtl::TStream& stream) {
  WriteSingle(stream, FU);
  WriteSingle(stream, FV);
}
