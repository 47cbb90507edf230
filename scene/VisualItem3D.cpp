#include "scene/VisualItem3D.h"

#include "core3d/CheckResult.h"
#include "platform/rtl/Cast.h"
#include "resources/Material3D.h"
#include "resources/Mesh3D.h"
#include "resources/Texture3D.h"
#include "scene/Construction3D.h"

namespace {

constexpr std::uint8_t kOpaque = 255;

// Calls `decides(material)` for each surface whose material exists; the last answer given wins.
template <class Decides>
bool LastSurfaceSays(const TVisual3D* visual, Decides decides) {
  const auto* mesh = dynamic_cast<const TMesh3D*>(visual);
  bool result = false;
  if (mesh == nullptr) return result;
  for (int i = 0; i < mesh->SurfaceCount(); ++i) {
    if (TMaterial3D* material = mesh->GetSurface(i)->GetMaterial()) decides(*material, result);
  }
  return result;
}

}  // namespace

// Both boxes start stale: nothing has been computed into them yet.
TVisualItem3D::TVisualItem3D() {
  MarkInvalid(kInvalidBox | kInvalidTopology);
  FTopologyBox.Owner = this;
  FTopologyBox.Container = this;
  FVisualRef.OnChange = TNotifyEvent::Bind<&TVisualItem3D::VisualChanged>(this);
}

TVisualItem3D::~TVisualItem3D() { FVisualRef.OnChange.Clear(); }

TVisual3D* TVisualItem3D::GetVisual() const { return rtl::CheckedCast<TVisual3D>(FVisualRef.Item()); }

void TVisualItem3D::SetVisual(TVisual3D* visual) {
  if (visual != GetVisual()) FVisualRef.SetItem(visual);
}

void TVisualItem3D::AddDXVisual(rm::Visual* visual) {
  CheckResult(DXFrame()->AddVisual(visual), "VisualItem error: Add visual failed");
  FDXVisual = visual;
}

void TVisualItem3D::DeleteDXVisual() {
  CheckResult(DXFrame()->DeleteVisual(FDXVisual), "VisualItem error: Delete visual failed");
  FDXVisual = nullptr;
}

// DXVisual names only what the platform frame really holds, also after a failed call.
void TVisualItem3D::VisualChanged(TElement3D*) {
  if (FDXVisual != nullptr) DeleteDXVisual();
  if (TVisual3D* visual = GetVisual()) AddDXVisual(visual->DXVisual());
  MarkInvalid(kInvalidTopology);
  InvalidateWorldBox();
}

void TVisualItem3D::Refresh() {
  if (FDXVisual == nullptr) return;
  rm::Visual* visual = FDXVisual;
  DeleteDXVisual();
  AddDXVisual(visual);
}

void TVisualItem3D::InvalidateWorldBox() {
  MarkInvalid(kInvalidBox);
  if (Construction() != nullptr) Construction()->Root().InvalidateBox();
}

void TVisualItem3D::Invalidate(std::uint32_t flags) {
  TItem3D::Invalidate(flags);
  InvalidateWorldBox();
}

TBox3D& TVisualItem3D::GetBox() {
  const TVisual3D* visual = GetVisual();
  if ((Invalid() & kInvalidBox) && visual != nullptr) {
    FWorldBox.Assign(visual->GetBox());
    TransformBox(FWorldBox);
    ClearInvalid(kInvalidBox);
  }
  return FWorldBox;
}

void TVisualItem3D::UpdateTopology() {
  const TVisual3D* visual = GetVisual();
  if (visual == nullptr) return;
  const std::uint8_t flag = FTopologyBox.TopologyFlag;
  FTopologyBox.Assign(visual->TopologyBox);
  FTopologyBox.TopologyFlag = flag;
  TransformBox(FTopologyBox.Box);
  for (int i = 0; i < FTopologyBox.BoxCount(); ++i) TransformBox(*FTopologyBox.GetBoxItem(i));
  ClearInvalid(kInvalidTopology);
}

bool TVisualItem3D::IsDecal() const {
  return LastSurfaceSays(GetVisual(), [](TMaterial3D& material, bool& result) {
    if (const TTexture3D* texture = material.Texture()) result = texture->DecalTransparency();
  });
}

bool TVisualItem3D::IsTransparent() const {
  return LastSurfaceSays(GetVisual(), [](TMaterial3D& material, bool& result) {
    const TTexture3D* texture = material.Texture();
    result = material.Color.GetComponent(TColor3D::kAlpha) != kOpaque || (texture != nullptr && texture->Transparent());
  });
}

void TVisualItem3D::Assign(const TElement3D& source) {
  auto& other = const_cast<TVisualItem3D&>(rtl::CheckedCast<const TVisualItem3D>(source));
  TUpdateBracket bracket(*this);
  TItem3D::Assign(source);
  SetVisual(other.GetVisual());
  FTopologyBox.Assign(other.FTopologyBox);
}

void TVisualItem3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TItem3D::LoadFromStream(stream);
  Link();
  FVisualRef.LoadFromStream(stream);
  FTopologyBox.LoadFromStream(stream);
}

void TVisualItem3D::SaveToStream(rtl::TStream& stream) {
  TItem3D::SaveToStream(stream);
  FVisualRef.SaveToStream(stream);
  FTopologyBox.SaveToStream(stream);
}
