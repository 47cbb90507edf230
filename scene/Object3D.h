#pragma once

// A construction placed in the world. It names a model and copies the model's tree and motions
// whenever the reference to it changes, keeping its own place. An object lies in at most one scene:
// its own scene when it belongs to a scene's collection, or the scene that linked it by name.

#include <cstdint>
#include <string>

#include "core3d/Reference3D.h"
#include "scene/Construction3D.h"

class TMap3D;
class TScene3D;

class TObject3D : public TConstruction3D {
 public:
  TObject3D(TCollection3D* collection, const std::string& name);
  // A linked object that dies is forgotten by its scene, so the scene never holds a dead object.
  ~TObject3D() override;

  const char* ClassName() const override { return "TObject3D"; }

  void Assign(const TElement3D& source) override;
  // The construction record, Detached, the model's name (read without copying the model).
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TModel3D* GetModel() const;
  void SetModel(TModel3D* model);
  TMap3D& GetMap() const;
  // The model reference looks names up in the map's models.
  void BindModels();
  // Hangs the root under the scene's root; own objects count in the scene's box, linked ones do
  // not. Setting none leaves the root where it is: the scene's removal detaches it.
  void SetScene(TScene3D* scene);
  void SetDetached(bool detached) { FDetached = detached ? 1 : 0; }

  TScene3D* Scene() const { return FScene; }
  bool Detached() const { return FDetached != 0; }
  TReference3D& ModelRef() { return FModelRef; }

 private:
  void ModelChanged(TElement3D* sender);
  // Resolves the model without copying it: the tree stays as loaded or as copied.
  void SetModelQuietly(TModel3D* model);
  void ReadModelQuietly(rtl::TStream& stream);
  // The scene the source lies in, when it is linked there from this object's map.
  TScene3D* LinkingSceneOf(const TObject3D& source) const;

  TReference3D FModelRef;
  TScene3D* FScene = nullptr;
  std::uint8_t FDetached = 0;
};

// Objects of a scene (its own) or of the map (linked into scenes by name).
class TCollectionObject3D : public TCollectionConstruction3D {
 public:
  TCollectionObject3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionObject3D"; }

  void SetMap(TMap3D* map) { FMap = map; }
  void SetScene(TScene3D* scene);
  TMap3D& GetMap() const;
  // Binds the meshes and sounds of the map's models, then every object's model reference.
  void LinkToMap();
  // A map object that lies in a scene leaves it before it is freed.
  void Delete(TItemCollection3D* item) override;

  TMap3D* Map() const { return FMap; }
  TScene3D* Scene() const { return FScene; }

 private:
  TMap3D* FMap = nullptr;
  TScene3D* FScene = nullptr;
};
