#include "scene/Construction3D.h"

#include <algorithm>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Exceptions.h"
#include "scene/Camera3D.h"
#include "scene/ItemSound3D.h"
#include "scene/Light3D.h"
#include "scene/Shape3D.h"
#include "scene/Sprite3D.h"

namespace {

// "Движения" in the 8-bit Cyrillic code page the names are stored in.
constexpr const char* kMotionsName = "\xC4\xE2\xE8\xE6\xE5\xED\xE8\xFF";

// Deeper trees in a file are taken as damage: loading recurses once per level.
constexpr int kMaxTreeDepth = 256;
// The least an entry of an item tree takes: its class name's length and its subtree's count.
constexpr std::int64_t kMinTreeEntryBytes = 8;

std::unique_ptr<TItem3D> NewItem(const std::string& className) {
  if (className == "TShape3D") return std::make_unique<TShape3D>();
  if (className == "TSprite3D") return std::make_unique<TSprite3D>();
  if (className == "TItemSound3D") return std::make_unique<TItemSound3D>();
  if (className == "TLight3D") return std::make_unique<TLight3D>();
  if (className == "TCamera3D") return std::make_unique<TCamera3D>();
  throw rtl::Exception("Construction3D error: Create item by name failed");
}

}  // namespace

TConstruction3D::TConstruction3D(TCollection3D* collection, const std::string& name)
    : TItemCollection3D(collection, name), FMotions(nullptr, kMotionsName) {
  FRoot.Owner = this;
  FMotions.SetAnimation(&FRoot.Animation());
}

TConstruction3D::~TConstruction3D() {
  while (!FItems.empty()) FItems.pop_back();
}

TItem3D* TConstruction3D::GetItem(int index) const {
  rtl::CheckListIndex(index, ItemCount());
  return FItems[index].get();
}

// A sound item's animation precedes its frame animation among the root's children, a shape's
// animation follows it.
TItem3D* TConstruction3D::CreateItem(const std::string& className) {
  std::unique_ptr<TItem3D> created = NewItem(className);
  if (auto* sound = dynamic_cast<TItemSound3D*>(created.get())) FRoot.Animation().AddAnimation(sound->SoundAnimation());
  TItem3D* item = AddItem(std::move(created));
  if (auto* shape = dynamic_cast<TShape3D*>(item)) FRoot.Animation().AddAnimation(shape->ShapeAnimation());
  return item;
}

TItem3D* TConstruction3D::AddItem(std::unique_ptr<TItem3D> owned) {
  TItem3D* item = owned.get();
  FItems.push_back(std::move(owned));
  item->SetConstruction(this);
  if (!item->OnChange) item->OnChange = TNotifyEvent::Bind<&TConstruction3D::ElementChanged>(this);
  LinkOrUndo(*item);
  item->Container = this;
  if (auto* visual = dynamic_cast<TVisualItem3D*>(item)) FTopologies.push_back(&visual->TopologyBox());
  FRoot.InvalidateBox();
  return item;
}

// An item that cannot be hung in the tree is given up again, with its animation unlinked: left in
// the list, it could never be removed, since it never reached the topology list.
void TConstruction3D::LinkOrUndo(TItem3D& item) {
  bool animated = false;
  try {
    FRoot.Animation().AddAnimation(item.Animation());
    animated = true;
    item.Link();
  } catch (...) {
    if (animated) FRoot.Animation().RemoveAnimation(item.Animation());
    FItems.pop_back();
    throw;
  }
}

// Once out of the list the item is freed on every path, also when unlinking its animations fails.
void TConstruction3D::RemoveItem(TItem3D* item) {
  if (auto* visual = dynamic_cast<TVisualItem3D*>(item)) {
    const auto topology = std::ranges::find(FTopologies, &visual->TopologyBox());
    if (topology == FTopologies.end()) throw rtl::Exception("remove topology failed");
    FTopologies.erase(topology);
  }
  const auto found = std::ranges::find_if(FItems, [item](const auto& owned) { return owned.get() == item; });
  if (found == FItems.end()) throw rtl::Exception("Remove item failed");
  const std::unique_ptr<TItem3D> removed = std::move(*found);
  FItems.erase(found);
  TAnimation3D& animation = FRoot.Animation();
  animation.RemoveAnimation(item->Animation());
  if (auto* shape = dynamic_cast<TShape3D*>(item)) animation.RemoveAnimation(shape->ShapeAnimation());
  if (auto* sound = dynamic_cast<TItemSound3D*>(item)) animation.RemoveAnimation(sound->SoundAnimation());
  FRoot.InvalidateBox();
}

void TConstruction3D::ClearItems() {
  while (!FItems.empty()) RemoveItem(FItems.back().get());
}

void TConstruction3D::LinkItems() {
  for (const auto& item : FItems) item->Link();
}

void TConstruction3D::CopyTree(const TFrame3D& from, TFrame3D& to) {
  for (int i = 0; i < from.ChildCount(); ++i) {
    const TFrame3D& child = *from.GetChild(i);
    TItem3D* item = CreateItem(child.ClassName());
    item->SetParent(&to);
    item->Assign(child);
    if (child.ChildCount() > 0) CopyTree(child, *item);
  }
}

// Copying onto itself would free the very items it copies from.
void TConstruction3D::Assign(const TElement3D& source) {
  if (&source == this) return;
  auto& other = const_cast<TConstruction3D&>(rtl::CheckedCast<const TConstruction3D>(source));
  TUpdateBracket bracket(*this);
  TItemCollection3D::Assign(source);
  ClearItems();
  FRoot.Assign(other.FRoot);
  CopyTree(other.FRoot, FRoot);
  FMotions.Assign(other.FMotions);
}

void TConstruction3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  ClearItems();
  TItemCollection3D::LoadFromStream(stream);
  FRoot.LoadFromStream(stream);
  ReadTree(stream, FRoot, 0);
  FMotions.LoadFromStream(stream);
}

void TConstruction3D::ReadTree(rtl::TStream& stream, TFrame3D& frame, int depth) {
  if (depth >= kMaxTreeDepth) throw rtl::EReadError();
  const std::int32_t count = ReadCount(stream, kMinTreeEntryBytes);
  for (std::int32_t i = 0; i < count; ++i) {
    TItem3D* item = CreateItem(ReadString(stream));
    item->SetParent(&frame);
    item->LoadFromStream(stream);
    ReadTree(stream, *item, depth + 1);
  }
}

void TConstruction3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  FRoot.SaveToStream(stream);
  WriteTree(stream, FRoot);
  FMotions.SaveToStream(stream);
}

void TConstruction3D::WriteTree(rtl::TStream& stream, const TFrame3D& frame) {
  WriteInteger(stream, frame.ChildCount());
  for (int i = 0; i < frame.ChildCount(); ++i) {
    TFrame3D& child = *frame.GetChild(i);
    WriteString(stream, child.ClassName());
    child.SaveToStream(stream);
    WriteTree(stream, child);
  }
}

TCollectionConstruction3D::TCollectionConstruction3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(ItemClassOf<TConstruction3D>);
}

void TCollectionConstruction3D::SetMeshes(TCollectionMesh3D* meshes) {
  if (meshes == FMeshes) return;
  FMeshes = meshes;
  for (int i = 0; i < Count(); ++i) rtl::CheckedCast<TConstruction3D>(GetItem(i))->LinkItems();
}

TCollectionModel3D::TCollectionModel3D(TCollection3D* collection, const std::string& name)
    : TCollectionConstruction3D(collection, name) {
  SetItemClass(ItemClassOf<TModel3D>);
}

TCollectionConstruction3D* ConstructionCollection(const TConstruction3D* construction) {
  if (construction == nullptr) return nullptr;
  return dynamic_cast<TCollectionConstruction3D*>(construction->Collection());
}

TCollectionMesh3D* ConstructionMeshes(const TConstruction3D* construction) {
  const TCollectionConstruction3D* constructions = ConstructionCollection(construction);
  return constructions != nullptr ? constructions->Meshes() : nullptr;
}
