#include "scene/Object3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Exceptions.h"
#include "scene/Map3D.h"
#include "scene/Scene3D.h"

namespace {

TCollectionObject3D* ObjectCollection(TCollection3D* collection) {
  return dynamic_cast<TCollectionObject3D*>(collection);
}

// Clears a reference's change handler for a scope and puts it back on every path out of it.
class TQuietReference {
 public:
  explicit TQuietReference(TReference3D& reference) : FReference(reference), FHandler(reference.OnChange) {
    FReference.OnChange.Clear();
  }
  ~TQuietReference() { FReference.OnChange = FHandler; }
  TQuietReference(const TQuietReference&) = delete;
  TQuietReference& operator=(const TQuietReference&) = delete;

 private:
  TReference3D& FReference;
  TNotifyEvent FHandler;
};

}  // namespace

TObject3D::TObject3D(TCollection3D* collection, const std::string& name) : TConstruction3D(collection, name) {
  if (TCollectionObject3D* objects = ObjectCollection(collection)) {
    SetScene(objects->Scene());
    Container = objects->Scene();
  }
  FModelRef.OnChange = TNotifyEvent::Bind<&TObject3D::ModelChanged>(this);
  BindModels();
}

TObject3D::~TObject3D() {
  FModelRef.OnChange.Clear();
  if (FScene != nullptr) FScene->ForgetLinked(this);
}

TModel3D* TObject3D::GetModel() const { return rtl::CheckedCast<TModel3D>(FModelRef.Item()); }

void TObject3D::SetModel(TModel3D* model) {
  if (model == GetModel()) return;
  FModelRef.SetItem(model);
  Changed();
}

void TObject3D::SetModelQuietly(TModel3D* model) {
  TQuietReference quiet(FModelRef);
  FModelRef.SetItem(model);
}

void TObject3D::ReadModelQuietly(rtl::TStream& stream) {
  TQuietReference quiet(FModelRef);
  FModelRef.LoadFromStream(stream);
}

// The object keeps its own place: only the model's tree and motions are copied.
void TObject3D::ModelChanged(TElement3D*) {
  TModel3D* model = GetModel();
  if (FDetached != 0 || model == nullptr) return;
  TVector3D position;
  TOrientation3D orientation;
  position.Assign(Root().GetPosition());
  orientation.Assign(Root().GetOrientation());
  TConstruction3D::Assign(*model);
  Root().GetPosition().Assign(position);
  Root().GetOrientation().Assign(orientation);
}

TMap3D& TObject3D::GetMap() const {
  TCollectionObject3D* objects = ObjectCollection(Collection());
  if (objects == nullptr) throw rtl::Exception("CollectionObject3D error: Map not assigned");
  return objects->GetMap();
}

void TObject3D::BindModels() { FModelRef.SetCollection(&GetMap().GetModels()); }

void TObject3D::SetScene(TScene3D* scene) {
  if (scene == FScene) return;
  FScene = scene;
  if (scene == nullptr) return;
  Root().SetParent(&scene->Root());
  const TCollectionObject3D* objects = ObjectCollection(Collection());
  Root().SetInBox(objects != nullptr && scene == objects->Scene());
}

// Only a map object linked into a scene of the same map is linked again: a copy taken from another
// map would otherwise be placed into that map's scene.
TScene3D* TObject3D::LinkingSceneOf(const TObject3D& source) const {
  const TCollectionObject3D* objects = ObjectCollection(source.Collection());
  if (objects == nullptr || objects->Scene() != nullptr || source.Scene() == nullptr) return nullptr;
  return &source.Scene()->GetMap() == &GetMap() ? source.Scene() : nullptr;
}

void TObject3D::Assign(const TElement3D& source) {
  if (&source == this) return;
  TUpdateBracket bracket(*this);
  TConstruction3D::Assign(source);
  const auto* other = dynamic_cast<const TObject3D*>(&source);
  if (other == nullptr) return;
  FDetached = other->FDetached;
  SetModelQuietly(other->GetModel());
  if (TScene3D* scene = LinkingSceneOf(*other)) scene->AddObject(this);
}

void TObject3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TConstruction3D::LoadFromStream(stream);
  FDetached = ReadByte(stream);
  ReadModelQuietly(stream);
}

void TObject3D::SaveToStream(rtl::TStream& stream) {
  TConstruction3D::SaveToStream(stream);
  WriteByte(stream, FDetached);
  FModelRef.SaveToStream(stream);
}

TCollectionObject3D::TCollectionObject3D(TCollection3D* collection, const std::string& name)
    : TCollectionConstruction3D(collection, name) {
  SetItemClass(ItemClassOf<TObject3D>);
}

void TCollectionObject3D::SetScene(TScene3D* scene) {
  FScene = scene;
  for (int i = 0; i < Count(); ++i) {
    auto* object = rtl::CheckedCast<TObject3D>(GetItem(i));
    object->SetScene(scene);
    object->Container = scene;
  }
}

TMap3D& TCollectionObject3D::GetMap() const {
  if (FMap == nullptr) throw rtl::Exception("CollectionObject3D error: Map not assigned");
  return *FMap;
}

void TCollectionObject3D::LinkToMap() {
  TMap3D& map = GetMap();
  SetMeshes(&map.GetMeshes());
  SetSounds(&map.GetSounds());
  for (int i = 0; i < Count(); ++i) rtl::CheckedCast<TObject3D>(GetItem(i))->BindModels();
}

void TCollectionObject3D::Delete(TItemCollection3D* item) {
  auto* object = rtl::CheckedCast<TObject3D>(item);
  if (FScene == nullptr && object->Scene() != nullptr) object->Scene()->RemoveObject(object);
  TCollection3D::Delete(item);
}
