#include "scene/Shape3D.h"

#include "platform/rtl/Cast.h"
#include "resources/Mesh3D.h"
#include "scene/Construction3D.h"

void TShape3D::Link() {
  TCollectionMesh3D* meshes = ConstructionMeshes(Construction());
  if (meshes == nullptr) return;
  VisualRef().SetCollection(meshes);
  FShapeAnimation.SetMeshes(meshes);
}

void TShape3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TShape3D>(source);
  TUpdateBracket bracket(*this);
  TVisualItem3D::Assign(source);
  FShapeAnimation.Assign(other.FShapeAnimation);
}

void TShape3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TVisualItem3D::LoadFromStream(stream);
  FShapeAnimation.LoadFromStream(stream);
}

void TShape3D::SaveToStream(rtl::TStream& stream) {
  TVisualItem3D::SaveToStream(stream);
  FShapeAnimation.SaveToStream(stream);
}
