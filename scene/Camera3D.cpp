#include "scene/Camera3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

template <class T>
void TViewport3D::Store(T& field, T value) {
  if (value == field) return;
  field = value;
  Changed();
}

void TViewport3D::SetFront(float front) { Store(FFront, front); }

void TViewport3D::SetBack(float back) { Store(FBack, back); }

void TViewport3D::SetField(float field) { Store(FField, field); }

void TViewport3D::SetProjection(std::uint8_t projection) { Store(FProjection, projection); }

void TViewport3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TViewport3D>(source);
  TElement3D::Assign(source);
  SetFront(other.FFront);
  SetBack(other.FBack);
  SetField(other.FField);
  SetProjection(other.FProjection);
}

// All four values are read before any is applied: a short record changes nothing.
void TViewport3D::LoadFromStream(rtl::TStream& stream) {
  TElement3D::LoadFromStream(stream);
  const float front = ReadSingle(stream);
  const float back = ReadSingle(stream);
  const float field = ReadSingle(stream);
  const std::uint8_t projection = ReadByte(stream);
  SetFront(front);
  SetBack(back);
  SetField(field);
  SetProjection(projection);
}

void TViewport3D::SaveToStream(rtl::TStream& stream) {
  TElement3D::SaveToStream(stream);
  WriteSingle(stream, FFront);
  WriteSingle(stream, FBack);
  WriteSingle(stream, FField);
  WriteByte(stream, FProjection);
}
