#include "resources/Mapping3D.h"

#include "platform/rtl/Cast.h"

void TMapping3D::SetMapping(std::uint32_t mapping) {
  if (mapping == FMapping) return;
  FMapping = mapping;
  Changed();
}

void TMapping3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  SetMapping(rtl::CheckedCast<const TMapping3D>(source).FMapping);
}

void TMapping3D::LoadFromStream(rtl::TStream& stream) { SetMapping(stream.ReadValue<std::uint32_t>()); }

void TMapping3D::SaveToStream(rtl::TStream& stream) { stream.WriteValue(FMapping); }
