#pragma once

// The world: the root frame of everything rendered, the map's own objects (placed into scenes by
// name), the scenes, and the background. The shell binds it to the model collection, and through
// the models to the meshes and sounds.

#include <cstdint>

#include "core3d/Structure3D.h"
#include "scene/Background3D.h"
#include "scene/Construction3D.h"
#include "scene/Object3D.h"
#include "scene/Scene3D.h"
#include "scene/VisualFrame3D.h"

class TMap3D : public TStructure3D {
 public:
  TMap3D();

  const char* ClassName() const override { return "TMap3D"; }

  // The linked objects leave their scenes first; the sub-elements follow in registration order.
  void Assign(const TElement3D& source) override;
  // The root, the objects, the scenes and the background, then Tiled and BoxMode. Objects come
  // before scenes, so that the scenes' linked names resolve.
  void LoadFromStream(rtl::TStream& stream) override;
  // The stored topology boxes are brought up to date first.
  void SaveToStream(rtl::TStream& stream) override;

  void SetModels(TCollectionModel3D* models);
  TCollectionModel3D& GetModels() const;
  TCollectionMesh3D& GetMeshes() const;
  TCollectionSound3D& GetSounds() const;
  TObject3D* FindObject(const std::string& name) const;
  // Any change un-clips every scene root, object root and visual item that is visible.
  void SetBoxMode(std::uint8_t mode);
  void ResetClipping();
  void UpdateTopologies();
  // The follow step of every scene root, object root and item, for the camera about to render.
  void FollowCamera(TFrame3D& camera);
  // Marks the transparent and the decal visual items asked for; an item under an unmarked item
  // is left alone.
  void MarkItems(bool transparent, bool decal);
  void SetTiled(bool tiled) { FTiled = tiled ? 1 : 0; }
  void CountRender() { ++FRenderCount; }

  TVisualFrame3D& Root() { return FRoot; }
  TCollectionObject3D& Objects() { return FObjects; }
  TCollectionScene3D& Scenes() { return FScenes; }
  TBackground3D& Background() { return FBackground; }
  TCollectionModel3D* Models() const { return FModels; }
  std::int32_t RenderCount() const { return FRenderCount; }
  bool Tiled() const { return FTiled != 0; }
  std::uint8_t BoxMode() const { return FBoxMode; }

 private:
  // Each scene's root and then its own objects, scene by scene, then the map's own objects.
  template <class VisitRoot, class VisitObject>
  void ForEachSceneRootAndObject(VisitRoot visitRoot, VisitObject visitObject);
  // Every object: each scene's own objects in scene order, then the map's own.
  template <class Visit>
  void ForEachObject(Visit visit);
  void RemoveLinkedObjects();

  // Registered, and so streamed and assigned, in this order; destroyed from the last to the first,
  // so the scenes let go of the map's objects before those are freed.
  TVisualFrame3D FRoot;
  TCollectionObject3D FObjects;
  TCollectionScene3D FScenes;
  TBackground3D FBackground;
  TCollectionModel3D* FModels = nullptr;
  std::int32_t FRenderCount = 0;
  std::uint8_t FTiled = 0;
  std::uint8_t FBoxMode = 0;
};
