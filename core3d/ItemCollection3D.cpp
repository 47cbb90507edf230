#include "core3d/ItemCollection3D.h"

#include <algorithm>

#include "core3d/Collection3D.h"
#include "core3d/Reference3D.h"

TItemCollection3D::TItemCollection3D(TCollection3D* collection, const std::string& name) : FName(name) {
  SetCollection(collection);
}

TItemCollection3D::~TItemCollection3D() {
  // Only an item freed outside its collection is still registered here (a constructor that
  // failed after registering): its entry goes, so the collection never holds a dead item.
  if (FCollection != nullptr) FCollection->Unregister(this);
  FCollection = nullptr;
  while (!FReferences.empty()) FReferences.back()->SetItem(nullptr);
}

void TItemCollection3D::SetCollection(TCollection3D* collection) {
  if (collection == FCollection) return;
  // An item is owned by the one collection that registered it; a second owner would free it twice.
  if (collection != nullptr && FCollection != nullptr) {
    throw rtl::Exception("ItemCollection3D error: Set collection failed");
  }
  if (collection != nullptr) collection->Register(this);
  FCollection = collection;
}

void TItemCollection3D::AddReference(TReference3D* reference) {
  if (reference == nullptr) throw rtl::Exception("ItemCollection3D error: Add Reference failed");
  FReferences.push_back(reference);
}

void TItemCollection3D::RemoveReference(TReference3D* reference) {
  if (reference == nullptr) throw rtl::Exception("ItemCollection3D error: Delete Reference failed");
  if (FReferences.empty()) throw rtl::Exception("ItemCollection3D error: Reference list not assigned");
  const auto found = std::find(FReferences.begin(), FReferences.end(), reference);
  if (found == FReferences.end()) throw rtl::Exception("Remove reference failed");
  FReferences.erase(found);
  if (FReferences.empty()) FReferences.shrink_to_fit();
}

void TItemCollection3D::NotifyReferences() {
  // By index: a handler may attach or detach references while it runs.
  for (std::size_t i = 0; i < FReferences.size(); ++i) FReferences[i]->Changed();
}
