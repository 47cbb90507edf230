#pragma once

// A small scene-graph tree: a root visual frame and a tree of items below it. The construction owns
// the items, keeps their animations as children of the root's animation so that one time drives the
// whole tree, and owns the motions that play that time. Models are constructions kept as templates.

#include <memory>
#include <string>
#include <vector>

#include "anim/Motion3D.h"
#include "core3d/Collection3D.h"
#include "core3d/ItemCollection3D.h"
#include "core3d/TopologyBox3D.h"
#include "scene/Item3D.h"
#include "scene/VisualFrame3D.h"

class TCollectionConstruction3D;
class TCollectionMesh3D;
class TCollectionSound3D;

class TConstruction3D : public TItemCollection3D {
 public:
  TConstruction3D(TCollection3D* collection, const std::string& name);
  // The items go first, while the root and its animation they hang on are still whole.
  ~TConstruction3D() override;

  const char* ClassName() const override { return "TConstruction3D"; }

  void Assign(const TElement3D& source) override;
  // The item-collection part, the root, the item tree of the root, the motions.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // Creates and adds an item of one of the item classes by name; any other name raises
  // "Construction3D error: Create item by name failed".
  TItem3D* CreateItem(const std::string& className);
  TItem3D* AddItem(std::unique_ptr<TItem3D> item);
  void RemoveItem(TItem3D* item);
  void ClearItems();
  void LinkItems();
  // Rebuilds the subtree of `from` below `to` with fresh items copied from it.
  void CopyTree(const TFrame3D& from, TFrame3D& to);

  int ItemCount() const { return static_cast<int>(FItems.size()); }
  TItem3D* GetItem(int index) const;
  TVisualFrame3D& Root() { return FRoot; }
  TCollectionMotion3D& Motions() { return FMotions; }
  const std::vector<TTopologyBox3D*>& Topologies() const { return FTopologies; }

 private:
  void LinkOrUndo(TItem3D& item);
  void ReadTree(rtl::TStream& stream, TFrame3D& frame, int depth);
  void WriteTree(rtl::TStream& stream, const TFrame3D& frame);

  TVisualFrame3D FRoot;
  TCollectionMotion3D FMotions;
  std::vector<TTopologyBox3D*> FTopologies;  // the visual items' boxes, not owned
  std::vector<std::unique_ptr<TItem3D>> FItems;
};

class TModel3D : public TConstruction3D {
 public:
  using TConstruction3D::TConstruction3D;

  const char* ClassName() const override { return "TModel3D"; }
};

// Constructions, and the resource collections their items look names up in.
class TCollectionConstruction3D : public TCollection3D {
 public:
  TCollectionConstruction3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionConstruction3D"; }

  // Relinks the items of every construction when the meshes change.
  void SetMeshes(TCollectionMesh3D* meshes);
  void SetSounds(TCollectionSound3D* sounds) { FSounds = sounds; }

  TCollectionMesh3D* Meshes() const { return FMeshes; }
  TCollectionSound3D* Sounds() const { return FSounds; }

 private:
  TCollectionMesh3D* FMeshes = nullptr;
  TCollectionSound3D* FSounds = nullptr;
};

class TCollectionModel3D : public TCollectionConstruction3D {
 public:
  TCollectionModel3D(TCollection3D* collection, const std::string& name);

  const char* ClassName() const override { return "TCollectionModel3D"; }
};

// The collection a construction belongs to, and its meshes; null along any missing link.
TCollectionConstruction3D* ConstructionCollection(const TConstruction3D* construction);
TCollectionMesh3D* ConstructionMeshes(const TConstruction3D* construction);
