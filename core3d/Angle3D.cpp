#include "core3d/Angle3D.h"

#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

void TAngle3D::SetValue(float v) {
  if (SameValue(FValue, v)) return;
  FValue = v;
  Changed();
}

void TAngle3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  SetValue(rtl::CheckedCast<const TAngle3D>(source).FValue);
}

void TAngle3D::LoadFromStream(rtl::TStream& stream) { SetValue(ReadSingle(stream)); }

void TAngle3D::SaveToStream(rtl::TStream& stream) { WriteSingle(stream, FValue); }
