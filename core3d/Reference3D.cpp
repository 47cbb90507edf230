#include "core3d/Reference3D.h"

#include "core3d/Collection3D.h"
#include "core3d/Stream3D.h"

TReference3D::~TReference3D() { SetItem(nullptr); }

void TReference3D::SetCollection(TCollection3D* collection) {
  if (collection == FCollection) return;
  FCollection = collection;
  Resolve();
}

void TReference3D::SetItemName(const std::string& name) {
  if (name == FItemName) return;
  FItemName = name;
  Resolve();
}

const std::string& TReference3D::GetItemName() const { return FItem != nullptr ? FItem->Name() : FItemName; }

void TReference3D::Resolve() {
  if (FCollection != nullptr && !FItemName.empty()) {
    SetItem(FCollection->ItemByName(FItemName));
  } else {
    SetItem(nullptr);
  }
}

void TReference3D::SetItem(TItemCollection3D* item) {
  if (item == FItem) return;
  if (FItem != nullptr) {
    FItem->RemoveReference(this);
    FItem->Owner = nullptr;
  }
  if (item != nullptr) {
    item->AddReference(this);
    FCollection = item->Collection();
    FItemName = item->Name();
    item->Owner = Owner;
  }
  FItem = item;
  Changed();
}

void TReference3D::LoadFromStream(rtl::TStream& stream) {
  SetItemName({});
  SetItemName(ReadString(stream));
}

// A name left behind by a deleted item would make the saved file fail to load as a whole: the save
// raises the loader's own "not found" message instead, before anything of the record is written.
void TReference3D::SaveToStream(rtl::TStream& stream) {
  if (FItem == nullptr && FCollection != nullptr && !FItemName.empty()) FCollection->ItemByName(FItemName);
  WriteString(stream, GetItemName());
}
