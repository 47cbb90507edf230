#include "anim/Animation3D.h"

#include <algorithm>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {
// Every key writes at least one byte, so a key count is bounded by the bytes left in the stream.
constexpr std::int64_t kMinKeyRecordBytes = 1;
}  // namespace

TAnimation3D::~TAnimation3D() {
  ClearKeys();
  if (FParentAnimation != nullptr) FParentAnimation->RemoveAnimation(*this);
  for (TAnimation3D* child : FChildAnimations) child->FParentAnimation = nullptr;
}

void TAnimation3D::SetTime(float t) {
  // By index: an Update may change a child's own children, never this list's storage under us.
  for (std::size_t i = 0; i < FChildAnimations.size(); ++i) FChildAnimations[i]->SetTime(t);
  FTime = t;
  Update();
}

void TAnimation3D::SetActive(bool active) {
  if (active == FActive) return;
  FActive = active;
  for (TAnimation3D* child : FChildAnimations) child->SetActive(active);
}

TKey3D* TAnimation3D::AddKey() {
  std::unique_ptr<TKey3D> key = CreateKey();
  if (key == nullptr) return nullptr;
  FKeys.push_back(std::move(key));
  FRebuild = true;
  return FKeys.back().get();
}

void TAnimation3D::ClearKeys() {
  // The key leaves the list before it dies, so whatever it notifies sees only live keys.
  while (!FKeys.empty()) {
    std::unique_ptr<TKey3D> key = std::move(FKeys.back());
    FKeys.pop_back();
  }
}

void TAnimation3D::AddAnimation(TAnimation3D& child) {
  if (std::ranges::find(FChildAnimations, &child) != FChildAnimations.end()) {
    throw rtl::Exception("Add animation >1");
  }
  // One parent per child: that is the one list its destructor unlinks it from.
  if (child.FParentAnimation != nullptr) child.FParentAnimation->RemoveAnimation(child);
  FChildAnimations.push_back(&child);
  child.FParentAnimation = this;
}

void TAnimation3D::RemoveAnimation(TAnimation3D& child) {
  const auto found = std::ranges::find(FChildAnimations, &child);
  if (found == FChildAnimations.end()) throw rtl::Exception("Remove object failed");
  FChildAnimations.erase(found);
  child.FParentAnimation = nullptr;
}

TKey3D* TAnimation3D::GetKey(int index) const {
  rtl::CheckListIndex(index, KeyCount());
  return FKeys[index].get();
}

TAnimation3D* TAnimation3D::GetChild(int index) const {
  rtl::CheckListIndex(index, ChildCount());
  return FChildAnimations[index];
}

void TAnimation3D::Assign(const TElement3D& source) {
  TElement3D::Assign(source);
  const auto& other = rtl::CheckedCast<const TAnimation3D>(source);
  if (&other == this) return;  // clearing the keys first would leave nothing to copy
  ClearKeys();
  for (const auto& sourceKey : other.FKeys) {
    TKey3D* key = AddKey();
    // An animation without keys of its own cannot take another kind's keys.
    if (key == nullptr) throw rtl::EInvalidCast();
    key->Assign(*sourceKey);
  }
  FTag = other.FTag;
  FRebuild = true;
  FAlwaysAnimate = other.FAlwaysAnimate;
  SetTime(other.FTime);
}

void TAnimation3D::LoadFromStream(rtl::TStream& stream) {
  TElement3D::LoadFromStream(stream);
  ClearKeys();
  FTag = ReadInteger(stream);
  FAlwaysAnimate = ReadByte(stream);
  const std::int32_t count = ReadCount(stream, kMinKeyRecordBytes);
  for (std::int32_t i = 0; i < count; ++i) {
    TKey3D* key = AddKey();
    // Keys in the record of an animation that holds none: the record is damaged.
    if (key == nullptr) throw rtl::EReadError();
    key->LoadFromStream(stream);
  }
  FRebuild = true;
}

void TAnimation3D::SaveToStream(rtl::TStream& stream) {
  TElement3D::SaveToStream(stream);
  WriteInteger(stream, FTag);
  WriteByte(stream, FAlwaysAnimate);
  WriteInteger(stream, KeyCount());
  for (const auto& key : FKeys) key->SaveToStream(stream);
}
