#include "scene/VisualFrame3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

void TVisualFrame3D::Invalidate(std::uint32_t flags) {
  TFrame3D::Invalidate(flags);
  InvalidateBox();
}

void TVisualFrame3D::InvalidateBox() {
  for (TFrame3D* frame = Parent(); frame != nullptr; frame = frame->Parent()) {
    if (auto* visual = dynamic_cast<TVisualFrame3D*>(frame)) {
      visual->InvalidateBox();
      break;
    }
  }
  MarkInvalid(kInvalidBox);
}

TBox3D& TVisualFrame3D::GetBox() {
  if (Invalid() & kInvalidBox) {
    FBox.MakeEmpty();
    IncludeSubtree(*this);
    ClearInvalid(kInvalidBox);
  }
  return FBox;
}

// Children that count add their box and are searched further; the others are skipped with all
// below them.
void TVisualFrame3D::IncludeSubtree(TFrame3D& frame) {
  for (int i = 0; i < frame.ChildCount(); ++i) {
    TFrame3D& child = *frame.GetChild(i);
    const TBox3D* box = child.ContributedBox();
    if (box == nullptr) continue;
    FBox.Include(*box);
    IncludeSubtree(child);
  }
}

void TVisualFrame3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TVisualFrame3D>(source);
  TUpdateBracket bracket(*this);
  TFrame3D::Assign(source);
  FInBox = other.FInBox;
}

void TVisualFrame3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TFrame3D::LoadFromStream(stream);
  FInBox = ReadByte(stream);
}

void TVisualFrame3D::SaveToStream(rtl::TStream& stream) {
  TFrame3D::SaveToStream(stream);
  WriteByte(stream, FInBox);
}
