#pragma once

// A part of the world with its own root frame under the map's root. It holds its own objects and
// places objects of the map's collection into itself by name (linked objects, in placement order).

#include <cstdint>
#include <string>
#include <vector>

#include "core3d/Collection3D.h"
#include "scene/Object3D.h"
#include "scene/VisualFrame3D.h"

class TMap3D;

class TScene3D : public TItemCollection3D {
 public:
  TScene3D(TCollection3D* collection, const std::string& name);
  // The linked objects stay alive in the map's collection: they only forget this scene.
  ~TScene3D() override;

  const char* ClassName() const override { return "TScene3D"; }

  void Assign(const TElement3D& source) override;
  // The item-collection part, the root, the own objects, Option, the linked objects' names.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TMap3D& GetMap() const;
  int LinkedCount() const { return static_cast<int>(FLinked.size()); }
  TObject3D* GetLinked(int index) const;
  // Places the object here (taking it from the scene it lay in) and pushes its placement to the
  // platform.
  TObject3D* AddObject(TObject3D* object);
  TObject3D* AddObjectByName(const std::string& name);
  // "Remove object failed" when the object is not linked here; it is then left untouched.
  void RemoveObject(TObject3D* object);
  void RemoveObjectAt(int index);
  void RemoveAll();
  // Drops a dying object from the linked list without touching the platform.
  void ForgetLinked(const TObject3D* object);
  void SetOption(std::uint8_t option) { FOption = option; }

  TVisualFrame3D& Root() { return FRoot; }
  TCollectionObject3D& Objects() { return FObjects; }
  std::uint8_t Option() const { return FOption; }

 private:
  // Hands the object's frames their cached placement and the object's animation its time again.
  static void PushPlacement(TObject3D& object);

  TVisualFrame3D FRoot;
  // Before the own objects, which may still look here while they are destroyed.
  std::vector<TObject3D*> FLinked;
  TCollectionObject3D FObjects;
  std::uint8_t FOption = 0;
};

class TCollectionScene3D : public TCollection3D {
 public:
  TCollectionScene3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionScene3D"; }

  void SetMap(TMap3D* map) { FMap = map; }
  TMap3D& GetMap() const;
  // Binds every scene's own objects to the map's resources.
  void LinkAll();
  // The scene lets go of its linked objects before it is freed.
  void Delete(TItemCollection3D* item) override;

  TMap3D* Map() const { return FMap; }

 private:
  TMap3D* FMap = nullptr;
};
