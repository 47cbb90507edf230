#include "resources/Mesh3D.h"

#include "core3d/CheckResult.h"
#include "core3d/RetainedMode.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"

namespace {
// The smallest surface record that can load: two counts, one vertex, one triangle, the three
// quality bytes, an empty material name and the mapping.
constexpr std::int64_t kMinSurfaceBytes = 8 + sizeof(rm::MeshVertex) + 3 * sizeof(std::uint32_t) + 3 + 4 + 4;
}  // namespace

TMesh3D::TMesh3D(TCollection3D* collection, const std::string& name) : TVisual3D(collection, name) {
  CreateDXMesh();
}

TMesh3D::~TMesh3D() { ReleaseDXMesh(); }

void TMesh3D::CreateDXMesh() {
  rtl::Ref<rm::Mesh> mesh;
  CheckResult(RetainedMode().CreateMesh(&mesh), "Mesh3D error: Create mesh failed");
  FDXMesh = std::move(mesh);
  SetDXVisual(FDXMesh.Get());
  Touch();
}

void TMesh3D::ReleaseDXMesh() {
  ClearSurfaces();
  FDXMesh.Reset();
  SetDXVisual(nullptr);
  Touch();
}

rm::Mesh& TMesh3D::GetDXMesh() const {
  if (!FDXMesh) throw rtl::Exception("Mesh3D error: DXMesh not assigned");
  return *FDXMesh;
}

void TMesh3D::ClearSurfaces() {
  FSurfaces.clear();
  Touch();
}

TSurface3D* TMesh3D::AddSurface() { return FSurfaces.emplace_back(std::make_unique<TSurface3D>(*this)).get(); }

TSurface3D* TMesh3D::GetSurface(int index) const {
  rtl::CheckListIndex(index, SurfaceCount());
  return FSurfaces[static_cast<std::size_t>(index)].get();
}

void TMesh3D::LinkMaterials() {
  for (const auto& surface : FSurfaces) surface->LinkMaterial();
}

void TMesh3D::UpdateBox() const {
  rm::Box box{};
  CheckResult(GetDXMesh().GetBox(&box), "Mesh3d error: Get box failed");
  FBox.SetBox(box);
  SetBoxVersion(Version());
}

void TMesh3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TMesh3D>(source);
  if (&other == this) return;  // releasing first would leave nothing to copy
  {
    TUpdateBracket bracket(*this);
    TVisual3D::Assign(other);
    ReleaseDXMesh();
    CreateDXMesh();
    LinkMaterials();
    for (const auto& surface : other.FSurfaces) AddSurface()->Assign(*surface);
  }
  Touch();
}

void TMesh3D::LoadFromStream(rtl::TStream& stream) {
  {
    TUpdateBracket bracket(*this);
    ReleaseDXMesh();
    CreateDXMesh();
    TVisual3D::LoadFromStream(stream);
    const std::int32_t count = ReadCount(stream, kMinSurfaceBytes);
    for (std::int32_t i = 0; i < count; ++i) AddSurface()->LoadFromStream(stream);
  }
  Touch();
}

void TMesh3D::SaveToStream(rtl::TStream& stream) {
  TVisual3D::SaveToStream(stream);
  WriteInteger(stream, SurfaceCount());
  for (const auto& surface : FSurfaces) surface->SaveToStream(stream);
}

TCollectionMesh3D::TCollectionMesh3D(TCollection3D* collection, const std::string& name)
    : TCollection3D(collection, name) {
  SetItemClass(&ItemClassOf<TMesh3D>);
}

TMesh3D* TCollectionMesh3D::Mesh(int index) const { return rtl::CheckedCast<TMesh3D>(GetItem(index)); }

void TCollectionMesh3D::SetMaterials(TCollectionMaterial3D* materials) {
  if (materials == FMaterials) return;
  FMaterials = materials;
  for (int i = 0; i < Count(); ++i) Mesh(i)->LinkMaterials();
}

template <class Action>
void TCollectionMesh3D::ForEachSurface(Action action) const {
  for (int i = 0; i < Count(); ++i) {
    const TMesh3D* mesh = Mesh(i);
    for (int s = 0; s < mesh->SurfaceCount(); ++s) action(*mesh->GetSurface(s));
  }
}

void TCollectionMesh3D::SetShadeAll(std::uint8_t shade) {
  ForEachSurface([shade](TSurface3D& surface) { surface.SetShade(shade); });
}

void TCollectionMesh3D::SetLightingAll(bool lighting) {
  ForEachSurface([lighting](TSurface3D& surface) { surface.SetLighting(lighting); });
}
