#include "core3d/ListBox3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {
constexpr std::int64_t kBoxRecordBytes = 24;
}

TBox3D* TListBox3D::GetBoxItem(int index) const {
  rtl::CheckListIndex(index, BoxCount());
  return FBoxes[index].get();
}

TBox3D* TListBox3D::AddBox() {
  FBoxes.push_back(std::make_unique<TBox3D>());
  FBoxes.back()->Container = this;
  return FBoxes.back().get();
}

void TListBox3D::ClearBoxes() { FBoxes.clear(); }

void TListBox3D::UpdateBounds() {
  Box.MakeEmpty();
  for (const auto& box : FBoxes) Box.Include(*box);
}

void TListBox3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TListBox3D>(source);
  if (&other == this) return;  // releasing the boxes first would leave nothing to copy
  Box.Assign(other.Box);
  ClearBoxes();
  for (const auto& box : other.FBoxes) AddBox()->Assign(*box);
}

void TListBox3D::LoadFromStream(rtl::TStream& stream) {
  Box.LoadFromStream(stream);
  ClearBoxes();
  const std::int32_t count = ReadCount(stream, kBoxRecordBytes);
  FBoxes.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) AddBox()->LoadFromStream(stream);
  UpdateBounds();
}

void TListBox3D::SaveToStream(rtl::TStream& stream) {
  UpdateBounds();
  Box.SaveToStream(stream);
  WriteInteger(stream, BoxCount());
  for (const auto& box : FBoxes) box->SaveToStream(stream);
}
