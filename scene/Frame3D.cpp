#include "scene/Frame3D.h"

#include <algorithm>
#include <utility>

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "core3d/SnapValue.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {

// The components of `chosen` that the three low bits of `axes` name (1 x, 2 y, 4 z), the others
// of `other`.
rm::Vector Pick(unsigned axes, const rm::Vector& chosen, const rm::Vector& other) {
  return {(axes & 1u) ? chosen.x : other.x, (axes & 2u) ? chosen.y : other.y, (axes & 4u) ? chosen.z : other.z};
}

constexpr unsigned kFollowOrientationAxes = 7;  // bits 1, 2, 4
constexpr unsigned kFollowPositionShift = 3;    // bits 8, 16, 32

}  // namespace

TFrame3D::TFrame3D() : FAnimation(std::make_unique<TFrameAnimation3D>()) {
  CheckResult(RetainedMode().CreateFrame(nullptr, &FDXFrame), "Frame3D error: Create frame failed");
  CheckResult(FDXFrame->SetAppData(reinterpret_cast<std::uintptr_t>(this)), "Frame3D error: Set app data failed");
  FOrientation.SetRaw(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
  FAnimation->SetFrame(this);
  FPosition.OnChange = TNotifyEvent::Bind<&TFrame3D::PositionChanged>(this);
  FOrientation.OnChange = TNotifyEvent::Bind<&TFrame3D::OrientationChanged>(this);
}

TFrame3D::~TFrame3D() {
  while (!FChildren.empty()) FChildren.back()->DetachQuietly();
  DetachQuietly();
  FDXFrame.Reset();
  FAnimation.reset();
}

void TFrame3D::SetParent(TFrame3D* frame) {
  if (frame == FParent) return;
  if (FParent != nullptr) {
    CheckResult(FParent->FDXFrame->DeleteChild(FDXFrame.Get()), "Frame3D error: Delete child failed");
    std::exchange(FParent, nullptr)->RemoveChild(*this);
  }
  if (frame == nullptr) return;
  // The link is made only once the platform took the child: a failure leaves the frame detached,
  // not half attached to a parent that does not list it.
  CheckResult(frame->FDXFrame->AddChild(FDXFrame.Get()), "Frame3D error: Add child failed");
  FParent = frame;
  frame->FChildren.push_back(this);
}

void TFrame3D::RemoveChild(TFrame3D& child) {
  const auto found = std::ranges::find(FChildren, &child);
  if (found == FChildren.end()) throw rtl::Exception("Remove Children failed");
  FChildren.erase(found);
}

void TFrame3D::DetachQuietly() {
  if (FParent == nullptr) return;
  // A platform frame that keeps the child is harmless: it drops its children when it goes.
  static_cast<void>(FParent->FDXFrame->DeleteChild(FDXFrame.Get()));
  std::erase(FParent->FChildren, this);
  FParent = nullptr;
}

TFrame3D* TFrame3D::GetChild(int index) const {
  rtl::CheckListIndex(index, ChildCount());
  return FChildren[index];
}

void TFrame3D::ClearChildren() {
  while (!FChildren.empty()) FChildren.back()->SetParent(nullptr);
}

rm::Frame* TFrame3D::GetScene() const { return FDXFrame->GetScene(); }

TVector3D& TFrame3D::GetPosition() {
  if (FInvalid & kInvalidPosition) ReadPosition();
  return FPosition;
}

TOrientation3D& TFrame3D::GetOrientation() {
  if (FInvalid & kInvalidOrientation) ReadOrientation();
  return FOrientation;
}

void TFrame3D::ReadPosition() {
  if (FParent == nullptr) return;
  rm::Vector p;
  CheckResult(FDXFrame->GetPosition(GetScene(), &p), "Frame3D error: Get position failed");
  FPosition.SetRaw(p.x, p.y, p.z);
  FInvalid &= ~kInvalidPosition;
}

void TFrame3D::ReadOrientation() {
  if (FParent == nullptr) return;
  rm::Vector d;
  rm::Vector u;
  CheckResult(FDXFrame->GetOrientation(GetScene(), &d, &u), "Frame3D error: Get orientation failed");
  FOrientation.SetRaw(d.x, d.y, d.z, u.x, u.y, u.z);
  FInvalid &= ~kInvalidOrientation;
}

bool TFrame3D::WritesTransform() const { return FParent != nullptr && FAnimation->KeyCount() == 0; }

void TFrame3D::WritePosition() {
  if (WritesTransform()) SendPosition();
}

void TFrame3D::WriteOrientation() {
  if (WritesTransform()) SendOrientation();
}

void TFrame3D::SendPosition() {
  const TVector3D& p = FPosition;
  CheckResult(FDXFrame->SetPosition(GetScene(), SnapValue(p.X()), SnapValue(p.Y()), SnapValue(p.Z())),
              "Frame3D error: Set position failed");
}

void TFrame3D::SendOrientation() {
  const TVector3D& d = FOrientation.Direction;
  const TVector3D& u = FOrientation.Up;
  CheckResult(FDXFrame->SetOrientation(GetScene(), SnapValue(d.X()), SnapValue(d.Y()), SnapValue(d.Z()),
                                       SnapValue(u.X()), SnapValue(u.Y()), SnapValue(u.Z())),
              "Frame3D error: Set Orientation failed");
}

void TFrame3D::PlaceInScene() {
  if (FParent == nullptr) return;
  SendPosition();
  SendOrientation();
  FInvalid &= ~(kInvalidPosition | kInvalidOrientation);
}

void TFrame3D::Apply() {
  WritePosition();
  WriteOrientation();
}

void TFrame3D::PositionChanged(TElement3D*) {
  if (FParent == nullptr) return;
  WritePosition();
  Invalidate(kInvalidPosition);
}

// A turn moves the descendants too.
void TFrame3D::OrientationChanged(TElement3D*) {
  if (FParent == nullptr) return;
  WriteOrientation();
  Invalidate(kInvalidPosition | kInvalidOrientation);
}

void TFrame3D::Invalidate(std::uint32_t flags) {
  for (TFrame3D* child : FChildren) {
    child->FInvalid |= flags | kInvalidBox | kInvalidTopology;
    if (!child->FChildren.empty()) child->Invalidate(flags);
  }
}

void TFrame3D::MarkMoved(std::uint32_t flags) {
  FInvalid |= flags;
  Invalidate(flags);
}

// Visible is stored only once the platform took the clip state it implies.
void TFrame3D::SetVisible(bool visible) {
  if (visible == FVisible) return;
  ApplyClipping(!visible);
  FVisible = visible;
}

void TFrame3D::SetClipped(bool clip) { ApplyClipping(clip || !FVisible); }

// Hidden by an empty box; a hidden frame's animation rests.
void TFrame3D::ApplyClipping(bool clipped) {
  if (clipped == FClipped) return;
  if (clipped) {
    SetDXBox(rm::Box{});
    SetDXBoxEnable(true);
  } else {
    SetDXBoxEnable(false);
  }
  FClipped = clipped;
  FAnimation->SetActive(!clipped);
}

void TFrame3D::SetDXBox(const rm::Box& box) { CheckResult(FDXFrame->SetBox(box), "Frame3D error: Set DXBox failed"); }

void TFrame3D::SetDXBoxEnable(bool enable) {
  CheckResult(FDXFrame->SetBoxEnable(enable), "Frame3D error: Set DXBox enable failed");
}

void TFrame3D::SetZBuffer(bool zBuffer) {
  if (zBuffer == FZBuffer) return;
  const rm::ZBufferMode mode = zBuffer ? rm::ZBufferMode::FromParent : rm::ZBufferMode::Disable;
  CheckResult(FDXFrame->SetZbufferMode(mode), "Frame3D: Set zbuffer mode failed");
  FZBuffer = zBuffer;
}

void TFrame3D::TransformBox(TBox3D& box) const {
  const rm::Box corners = box.GetBox();
  rm::Box result = TBox3D::kEmpty;
  for (unsigned corner = 0; corner < 8; ++corner) {
    rm::Vector scene;
    CheckResult(FDXFrame->Transform(&scene, Pick(corner, corners.max, corners.min)), "Frame3D error: Transform failed");
    TBox3D::Include(result, {scene, scene});
  }
  box.SetBox(result);
}

// The orientation first, in one change, so that direction and up are never written half copied.
void TFrame3D::Follow(TFrame3D& camera) {
  if (FFollowCamera == 0) return;
  const TOrientation3D& view = camera.GetOrientation();
  const rm::Vector eye = camera.GetPosition().GetVector();
  TOrientation3D& own = GetOrientation();
  const unsigned axes = FFollowCamera & kFollowOrientationAxes;
  const rm::Vector d = Pick(axes, view.Direction.GetVector(), own.Direction.GetVector());
  const rm::Vector u = Pick(axes, view.Up.GetVector(), own.Up.GetVector());
  own.SetOrientation(d.x, d.y, d.z, u.x, u.y, u.z);
  const rm::Vector p = Pick(FFollowCamera >> kFollowPositionShift, eye, GetPosition().GetVector());
  FPosition.SetXYZ(p.x, p.y, p.z);
}

void TFrame3D::Assign(const TElement3D& source) {
  // Reading the source's position and orientation refreshes only its caches.
  auto& other = const_cast<TFrame3D&>(rtl::CheckedCast<const TFrame3D>(source));
  TUpdateBracket bracket(*this);
  TStructure3D::Assign(source);
  ClearChildren();
  SetVisible(other.FVisible);
  FFollowCamera = other.FFollowCamera;
  FPosition.Assign(other.GetPosition());
  FOrientation.Assign(other.GetOrientation());
  FAnimation->Assign(*other.FAnimation);
  SetMarked(other.FMarked);
  FTag = other.FTag;
  SetZBuffer(other.FZBuffer);
}

void TFrame3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  ClearChildren();
  TStructure3D::LoadFromStream(stream);
  SetVisible(ReadByte(stream) != 0);
  FFollowCamera = ReadByte(stream);
  FPosition.LoadFromStream(stream);
  FOrientation.LoadFromStream(stream);
  FAnimation->LoadFromStream(stream);
  SetMarked(ReadByte(stream) != 0);
  FTag = ReadInteger(stream);
  SetZBuffer(ReadByte(stream) != 0);
}

// The values are refreshed first: a stale cache would save where the frame was, not where it is.
void TFrame3D::SaveToStream(rtl::TStream& stream) {
  TStructure3D::SaveToStream(stream);
  WriteByte(stream, FVisible ? 1 : 0);
  WriteByte(stream, FFollowCamera);
  GetPosition().SaveToStream(stream);
  GetOrientation().SaveToStream(stream);
  FAnimation->SaveToStream(stream);
  WriteByte(stream, FMarked ? 1 : 0);
  WriteInteger(stream, FTag);
  WriteByte(stream, FZBuffer ? 1 : 0);
}
