#include "scene/Item3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

// The construction link stays: it says where this item lives, not what it shows.
void TItem3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TItem3D>(source);
  TUpdateBracket bracket(*this);
  TFrame3D::Assign(source);
  FComment = other.FComment;
}

void TItem3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TFrame3D::LoadFromStream(stream);
  FComment = ReadString(stream);
}

void TItem3D::SaveToStream(rtl::TStream& stream) {
  TFrame3D::SaveToStream(stream);
  WriteString(stream, FComment);
}
