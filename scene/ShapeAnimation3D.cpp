#include "scene/ShapeAnimation3D.h"

#include <cmath>

#include "platform/rtl/Cast.h"
#include "platform/rtl/Exceptions.h"
#include "resources/Mesh3D.h"
#include "scene/Shape3D.h"

TFrameShapeKey3D::TFrameShapeKey3D(TShapeAnimation3D* animation) : TKey3D(animation), FAnimation(animation) {}

TMesh3D* TFrameShapeKey3D::GetMesh() const { return rtl::CheckedCast<TMesh3D>(FMeshRef.Item()); }

void TFrameShapeKey3D::LookInMeshes() { FMeshRef.SetCollection(FAnimation->Meshes()); }

void TFrameShapeKey3D::SetMesh(TMesh3D* mesh) {
  if (mesh == GetMesh()) return;
  LookInMeshes();
  FMeshRef.SetItem(mesh);
}

void TFrameShapeKey3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TFrameShapeKey3D>(source);
  TKey3D::Assign(source);
  LookInMeshes();
  SetMesh(other.GetMesh());
}

void TFrameShapeKey3D::LoadFromStream(rtl::TStream& stream) {
  TKey3D::LoadFromStream(stream);
  LookInMeshes();
  FMeshRef.LoadFromStream(stream);
}

void TFrameShapeKey3D::SaveToStream(rtl::TStream& stream) {
  TKey3D::SaveToStream(stream);
  FMeshRef.SaveToStream(stream);
}

std::unique_ptr<TKey3D> TShapeAnimation3D::CreateKey() {
  if (FMeshes == nullptr) throw rtl::Exception("FrameShapeAnimation3D error: Create key failed");
  return std::make_unique<TFrameShapeKey3D>(this);
}

// A hidden shape rests like its frame does, though this animation hangs on the construction's root
// rather than below the frame's own animation.
bool TShapeAnimation3D::Animates() const { return (Active() && !FShape->Clipped()) || AlwaysAnimate(); }

// The remainder is taken in floating point, so no time is too large for the index; a time that is
// not a number shows nothing new.
void TShapeAnimation3D::Update() {
  if (KeyCount() == 0 || FMeshes == nullptr || FShape == nullptr || !Animates()) return;
  const double index = std::fmod(std::nearbyint(static_cast<double>(Time())), KeyCount());
  if (std::isnan(index)) return;
  const auto& key = static_cast<const TFrameShapeKey3D&>(*GetKey(static_cast<int>(index)));
  FShape->SetVisual(key.GetMesh());
}
