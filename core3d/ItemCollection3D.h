#pragma once

#include <string>
#include <vector>

#include "core3d/Structure3D.h"

class TCollection3D;
class TReference3D;
class TItemCollection3D;

// A class reference of the items a collection creates: the class's virtual constructor, which
// builds an item registered in `collection` under `name` (the collection owns it).
using TItemClass = TItemCollection3D* (*)(TCollection3D* collection, const std::string& name);

template <class T>
TItemCollection3D* ItemClassOf(TCollection3D* collection, const std::string& name) {
  return new T(collection, name);
}

// An item that lives in a collection: it has a name, knows its collection, and keeps the list of
// references that point at it so it can tell them of changes and detach them when it dies.
class TItemCollection3D : public TStructure3D {
 public:
  // The virtual constructor: every subclass has one of this shape, and collections create items
  // only through it. The item registers itself in `collection` (when given) under `name`.
  TItemCollection3D(TCollection3D* collection, const std::string& name);
  ~TItemCollection3D() override;

  const char* ClassName() const override { return "TItemCollection3D"; }

  void SetCollection(TCollection3D* collection);
  void AddReference(TReference3D* reference);
  void RemoveReference(TReference3D* reference);
  // Tells every reference, first to last, that this item's content changed.
  void NotifyReferences();

  TCollection3D* Collection() const { return FCollection; }
  const std::string& Name() const { return FName; }
  const std::vector<TReference3D*>& References() const { return FReferences; }

 private:
  friend class TCollection3D;  // its Delete and Clear end the registration before freeing

  TCollection3D* FCollection = nullptr;
  std::string FName;
  // Empty while no reference is attached; the list counts as absent then.
  std::vector<TReference3D*> FReferences;
};
