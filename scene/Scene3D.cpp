#include "scene/Scene3D.h"

#include <algorithm>

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Exceptions.h"
#include "scene/Light3D.h"
#include "scene/Map3D.h"

namespace {

// "SceneItems": the collection of a scene's own objects.
constexpr const char* kSceneItemsName = "SceneItems";
// The least a linked object's name takes in a stream: its length.
constexpr std::int64_t kMinNameBytes = 4;

TMap3D& MapOfScenes(TCollection3D* collection) {
  auto* scenes = dynamic_cast<TCollectionScene3D*>(collection);
  if (scenes == nullptr) throw rtl::Exception("CollectionScene3D error: Map not assigned");
  return scenes->GetMap();
}

}  // namespace

TScene3D::TScene3D(TCollection3D* collection, const std::string& name)
    : TItemCollection3D(collection, name), FObjects(nullptr, kSceneItemsName) {
  TMap3D& map = MapOfScenes(collection);
  FRoot.SetParent(&map.Root());
  FObjects.SetMap(&map);
  FObjects.SetScene(this);
  FObjects.LinkToMap();
}

TScene3D::~TScene3D() {
  for (TObject3D* object : FLinked) object->SetScene(nullptr);
  FLinked.clear();
}

TMap3D& TScene3D::GetMap() const { return MapOfScenes(Collection()); }

TObject3D* TScene3D::GetLinked(int index) const {
  rtl::CheckListIndex(index, LinkedCount());
  return FLinked[index];
}

TObject3D* TScene3D::AddObject(TObject3D* object) {
  if (object->Scene() == this) return object;
  if (object->Scene() != nullptr) object->Scene()->RemoveObject(object);
  FLinked.push_back(object);
  object->SetScene(this);
  PushPlacement(*object);
  return object;
}

// The object's caches were read while it lay elsewhere (a map object is a scene of its own until
// linked): every frame is placed anew from them, keyed frames too, parents before children, so that
// each stands where its caches say. Applying the animation time here would move keyed frames off
// those places and carry the items below them along, to be read back elsewhere at the next save;
// the next time step applies it.
void TScene3D::PushPlacement(TObject3D& object) {
  object.Root().PlaceInScene();
  for (int i = 0; i < object.ItemCount(); ++i) {
    TItem3D& item = *object.GetItem(i);
    item.PlaceInScene();
    if (auto* light = dynamic_cast<TLight3D*>(&item)) light->UpdateType();
  }
}

TObject3D* TScene3D::AddObjectByName(const std::string& name) {
  return AddObject(rtl::CheckedCast<TObject3D>(GetMap().Objects().ItemByName(name)));
}

void TScene3D::RemoveObject(TObject3D* object) {
  const auto found = std::ranges::find(FLinked, object);
  if (found == FLinked.end()) throw rtl::Exception("Remove object failed");
  RemoveObjectAt(static_cast<int>(found - FLinked.begin()));
}

void TScene3D::RemoveObjectAt(int index) {
  TObject3D* object = GetLinked(index);
  FLinked.erase(FLinked.begin() + index);
  object->SetScene(nullptr);
  object->Root().SetParent(nullptr);
}

void TScene3D::RemoveAll() {
  while (!FLinked.empty()) RemoveObjectAt(LinkedCount() - 1);
}

void TScene3D::ForgetLinked(const TObject3D* object) { std::erase(FLinked, object); }

// Each copy of a linked object takes the source's content first and is placed here last: copying
// the content links a map object into the scene its source lies in, and placing it here takes it
// out of that scene's list again, so the walk goes over a snapshot of the source's list.
void TScene3D::Assign(const TElement3D& source) {
  if (&source == this) return;
  const auto& other = rtl::CheckedCast<const TScene3D>(source);
  TUpdateBracket bracket(*this);
  TItemCollection3D::Assign(source);
  FRoot.Assign(other.FRoot);
  FObjects.Assign(other.FObjects);
  FOption = other.FOption;
  RemoveAll();
  TCollectionObject3D& mapObjects = GetMap().Objects();
  const auto sources = other.FLinked;
  for (TObject3D* linked : sources) {
    auto* copy = rtl::CheckedCast<TObject3D>(mapObjects.Add(mapObjects.UniqueName(linked->Name())));
    copy->Assign(*linked);
    AddObject(copy);
  }
}

void TScene3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  RemoveAll();
  TItemCollection3D::LoadFromStream(stream);
  FRoot.LoadFromStream(stream);
  FObjects.LoadFromStream(stream);
  FOption = ReadByte(stream);
  const std::int32_t count = ReadCount(stream, kMinNameBytes);
  for (std::int32_t i = 0; i < count; ++i) AddObjectByName(ReadString(stream));
}

void TScene3D::SaveToStream(rtl::TStream& stream) {
  TItemCollection3D::SaveToStream(stream);
  FRoot.SaveToStream(stream);
  FObjects.SaveToStream(stream);
  WriteByte(stream, FOption);
  WriteInteger(stream, LinkedCount());
  for (TObject3D* object : FLinked) WriteString(stream, object->Name());
}

TCollectionScene3D::TCollectionScene3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(ItemClassOf<TScene3D>);
}

TMap3D& TCollectionScene3D::GetMap() const {
  if (FMap == nullptr) throw rtl::Exception("CollectionScene3D error: Map not assigned");
  return *FMap;
}

void TCollectionScene3D::LinkAll() {
  for (int i = 0; i < Count(); ++i) rtl::CheckedCast<TScene3D>(GetItem(i))->Objects().LinkToMap();
}

void TCollectionScene3D::Delete(TItemCollection3D* item) {
  rtl::CheckedCast<TScene3D>(item)->RemoveAll();
  TCollection3D::Delete(item);
}
