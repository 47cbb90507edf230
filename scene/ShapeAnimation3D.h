#pragma once

// A mesh flip-book: each key names a mesh, and the shape shows the mesh of the key nearest to the
// current time, wrapping round the keys.

#include <memory>

#include "anim/Animation3D.h"
#include "core3d/Reference3D.h"

class TCollectionMesh3D;
class TMesh3D;
class TShape3D;
class TShapeAnimation3D;

class TFrameShapeKey3D : public TKey3D {
 public:
  explicit TFrameShapeKey3D(TShapeAnimation3D* animation);

  const char* ClassName() const override { return "TFrameShapeKey3D"; }

  TMesh3D* GetMesh() const;
  void SetMesh(TMesh3D* mesh);

  void Assign(const TElement3D& source) override;
  // The structure part, then the mesh's name, looked up in the animation's meshes.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TReference3D& MeshRef() { return FMeshRef; }

 private:
  void LookInMeshes();

  TShapeAnimation3D* FAnimation;
  TReference3D FMeshRef;
};

class TShapeAnimation3D : public TAnimation3D {
 public:
  explicit TShapeAnimation3D(TShape3D* shape) : FShape(shape) {}

  const char* ClassName() const override { return "TShapeAnimation3D"; }

  // Raises "FrameShapeAnimation3D error: Create key failed" while no meshes are bound.
  std::unique_ptr<TKey3D> CreateKey() override;
  // Rests unless active or always animated; halves round to even.
  void Update() override;

  void SetMeshes(TCollectionMesh3D* meshes) { FMeshes = meshes; }
  TCollectionMesh3D* Meshes() const { return FMeshes; }
  TShape3D* Shape() const { return FShape; }

 private:
  bool Animates() const;

  TCollectionMesh3D* FMeshes = nullptr;
  TShape3D* FShape;
};
