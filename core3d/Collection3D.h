#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core3d/ItemCollection3D.h"

// A named, owning list of items of one class, itself an item so collections can nest. Items are
// kept in insertion order, looked up by name case-insensitively (the first match wins), and
// created only through the item class's virtual constructor.
class TCollection3D : public TItemCollection3D {
 public:
  TCollection3D(TCollection3D* collection, const std::string& name);
  ~TCollection3D() override;

  const char* ClassName() const override { return "TCollection3D"; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TItemCollection3D* GetItem(int index) const;
  // Creates an item of ItemClass under `name`; names are not checked for uniqueness.
  TItemCollection3D* Add(const std::string& name);
  virtual void Delete(TItemCollection3D* item);
  // Frees the items from the last to the first.
  void Clear();
  TItemCollection3D* ItemByName(const std::string& name) const;
  // The base without its trailing digits, followed by the first free number of at least four
  // digits: Tree0003 in a collection holding Tree0001 gives Tree0002.
  std::string UniqueName(const std::string& base) const;

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TItemClass ItemClass() const { return FItemClass; }

 protected:
  // Subclass constructors name the class of their items.
  void SetItemClass(TItemClass itemClass) { FItemClass = itemClass; }

 private:
  friend class TItemCollection3D;  // items register themselves when they are built

  struct Entry {
    std::string Name;
    std::unique_ptr<TItemCollection3D> Item;
  };

  void Register(TItemCollection3D* item);
  void Unregister(TItemCollection3D* item);
  int IndexOfItem(const TItemCollection3D* item) const;
  void FreeEntry(int index);
  int IndexOfName(const std::string& name) const;

  std::vector<Entry> FItems;
  TItemClass FItemClass = &ItemClassOf<TItemCollection3D>;
};
