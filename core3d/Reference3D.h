#pragma once

#include <string>

#include "core3d/Element3D.h"

class TCollection3D;
class TItemCollection3D;

// A by-name link to an item of a collection (a material to its texture, a group to its material).
// It keeps the name while unresolved, resolves it once both a collection and a name are known,
// and stands in the item's reference list while attached. It never owns the item.
class TReference3D : public TElement3D {
 public:
  TReference3D() = default;
  ~TReference3D() override;

  const char* ClassName() const override { return "TReference3D"; }

  void SetCollection(TCollection3D* collection);
  // Compares case-sensitively, so a change of case alone re-resolves.
  void SetItemName(const std::string& name);
  // The item's own name while attached, else the stored name.
  const std::string& GetItemName() const;
  void SetItem(TItemCollection3D* item);
  // Looks the name up (raising when the collection does not hold it) or detaches.
  void Resolve();

  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  TCollection3D* Collection() const { return FCollection; }
  const std::string& ItemName() const { return FItemName; }
  TItemCollection3D* Item() const { return FItem; }

 private:
  TCollection3D* FCollection = nullptr;
  std::string FItemName;
  TItemCollection3D* FItem = nullptr;
};
