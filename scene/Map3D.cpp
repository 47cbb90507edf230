#include "scene/Map3D.h"

#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "platform/rtl/Exceptions.h"
#include "scene/VisualItem3D.h"

namespace {

// "Сцены" and "Обьекты" in the 8-bit Cyrillic code page the names are stored in.
constexpr const char* kScenesName = "\xD1\xF6\xE5\xED\xFB";
constexpr const char* kObjectsName = "\xCE\xE1\xFC\xE5\xEA\xF2\xFB";

TObject3D& ObjectAt(const TCollection3D& objects, int index) {
  return rtl::CheckedCast<TObject3D>(*objects.GetItem(index));
}

template <class Visit>
void ForEachVisualItem(TObject3D& object, Visit visit) {
  for (int i = 0; i < object.ItemCount(); ++i) {
    if (auto* visual = dynamic_cast<TVisualItem3D*>(object.GetItem(i))) visit(*visual);
  }
}

void UnclipObject(TObject3D& object) {
  object.Root().SetClipped(false);
  ForEachVisualItem(object, [](TVisualItem3D& item) { item.SetClipped(false); });
}

void FollowObject(TObject3D& object, TFrame3D& camera) {
  object.Root().Follow(camera);
  for (int i = 0; i < object.ItemCount(); ++i) object.GetItem(i)->Follow(camera);
}

}  // namespace

TMap3D::TMap3D() : FObjects(nullptr, kObjectsName), FScenes(nullptr, kScenesName) {
  FObjects.SetMap(this);
  FScenes.SetMap(this);
  FBackground.SetMap(this);
  AddElements(&FRoot, &FObjects, &FScenes, &FBackground);
}

template <class VisitRoot, class VisitObject>
void TMap3D::ForEachSceneRootAndObject(VisitRoot visitRoot, VisitObject visitObject) {
  for (int s = 0; s < FScenes.Count(); ++s) {
    auto* scene = rtl::CheckedCast<TScene3D>(FScenes.GetItem(s));
    visitRoot(scene->Root());
    for (int i = 0; i < scene->Objects().Count(); ++i) visitObject(ObjectAt(scene->Objects(), i));
  }
  for (int i = 0; i < FObjects.Count(); ++i) visitObject(ObjectAt(FObjects, i));
}

template <class Visit>
void TMap3D::ForEachObject(Visit visit) {
  ForEachSceneRootAndObject([](TVisualFrame3D&) {}, visit);
}

void TMap3D::SetModels(TCollectionModel3D* models) {
  if (models == FModels) return;
  FModels = models;
  FScenes.LinkAll();
  FObjects.LinkToMap();
}

TCollectionModel3D& TMap3D::GetModels() const {
  if (FModels == nullptr) throw rtl::Exception("Map3D error: Models not assigned");
  return *FModels;
}

TCollectionMesh3D& TMap3D::GetMeshes() const {
  if (FModels == nullptr || FModels->Meshes() == nullptr) throw rtl::Exception("Map3D error: Meshes not assigned");
  return *FModels->Meshes();
}

TCollectionSound3D& TMap3D::GetSounds() const {
  if (FModels == nullptr || FModels->Sounds() == nullptr) throw rtl::Exception("Map3D error: Sounds not assigned");
  return *FModels->Sounds();
}

TObject3D* TMap3D::FindObject(const std::string& name) const {
  return rtl::CheckedCast<TObject3D>(FObjects.ItemByName(name));
}

void TMap3D::SetBoxMode(std::uint8_t mode) {
  if (mode == FBoxMode) return;
  ResetClipping();
  FBoxMode = mode;
}

void TMap3D::ResetClipping() {
  ForEachSceneRootAndObject([](TVisualFrame3D& root) { root.SetClipped(false); }, UnclipObject);
}

void TMap3D::UpdateTopologies() {
  ForEachObject(
      [](TObject3D& object) { ForEachVisualItem(object, [](TVisualItem3D& item) { item.UpdateTopology(); }); });
}

void TMap3D::FollowCamera(TFrame3D& camera) {
  ForEachSceneRootAndObject([&](TVisualFrame3D& root) { root.Follow(camera); },
                            [&](TObject3D& object) { FollowObject(object, camera); });
}

void TMap3D::MarkItems(bool transparent, bool decal) {
  ForEachObject([=](TObject3D& object) {
    ForEachVisualItem(object, [=](TVisualItem3D& item) {
      const auto* parent = dynamic_cast<const TItem3D*>(item.Parent());
      if (parent != nullptr && !parent->Marked()) return;
      const bool isTransparent = item.IsTransparent();
      const bool isDecal = item.IsDecal();
      if (!isTransparent && !isDecal) return;
      item.SetMarked((transparent && isTransparent) || (decal && isDecal));
    });
  });
}

void TMap3D::RemoveLinkedObjects() {
  for (int s = 0; s < FScenes.Count(); ++s) rtl::CheckedCast<TScene3D>(FScenes.GetItem(s))->RemoveAll();
}

void TMap3D::Assign(const TElement3D& source) {
  if (&source == this) return;
  const auto& other = rtl::CheckedCast<const TMap3D>(source);
  TUpdateBracket bracket(*this);
  RemoveLinkedObjects();
  TStructure3D::Assign(source);
  FTiled = other.FTiled;
  SetBoxMode(other.FBoxMode);
}

void TMap3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  RemoveLinkedObjects();
  TStructure3D::LoadFromStream(stream);
  FTiled = ReadByte(stream);
  SetBoxMode(ReadByte(stream));
}

void TMap3D::SaveToStream(rtl::TStream& stream) {
  UpdateTopologies();
  TStructure3D::SaveToStream(stream);
  WriteByte(stream, FTiled);
  WriteByte(stream, FBoxMode);
}
