#pragma once

// A named geometry resource: a platform mesh whose groups are the surfaces, with the bounding box the
// platform computes. TCollectionMesh3D holds the meshes, knows the materials their surfaces name,
// and switches shading and lighting of every surface at once.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core3d/Collection3D.h"
#include "platform/rm/Mesh.h"
#include "resources/Surface3D.h"
#include "resources/Visual3D.h"

class TCollectionMaterial3D;

class TMesh3D : public TVisual3D {
 public:
  TMesh3D(TCollection3D* collection, const std::string& name);
  ~TMesh3D() override;

  const char* ClassName() const override { return "TMesh3D"; }

  void CreateDXMesh();
  // Frees the surfaces with the platform mesh that holds their groups.
  void ReleaseDXMesh();
  void ClearSurfaces();
  TSurface3D* AddSurface();
  int SurfaceCount() const { return static_cast<int>(FSurfaces.size()); }
  TSurface3D* GetSurface(int index) const;
  void LinkMaterials();
  // The platform's box around every vertex.
  void UpdateBox() const override;

  void Assign(const TElement3D& source) override;
  // The visual record, the surface count, then each surface's record.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  rm::Mesh* DXMesh() const { return FDXMesh.Get(); }
  // The platform mesh, or "Mesh3D error: DXMesh not assigned" after its re-creation failed.
  rm::Mesh& GetDXMesh() const;

 private:
  rtl::Ref<rm::Mesh> FDXMesh;
  std::vector<std::unique_ptr<TSurface3D>> FSurfaces;
};

// The meshes of the world, with the material collection their surfaces' material names resolve in.
class TCollectionMesh3D : public TCollection3D {
 public:
  TCollectionMesh3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionMesh3D"; }

  // Links every surface to the new collection (resolving pending names).
  void SetMaterials(TCollectionMaterial3D* materials);
  TCollectionMaterial3D* Materials() const { return FMaterials; }
  // Meshes in collection order, surfaces in list order.
  void SetShadeAll(std::uint8_t shade);
  void SetLightingAll(bool lighting);

 private:
  TMesh3D* Mesh(int index) const;
  template <class Action>
  void ForEachSurface(Action action) const;

  TCollectionMaterial3D* FMaterials = nullptr;
};
