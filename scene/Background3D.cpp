#include "scene/Background3D.h"

#include "core3d/CheckResult.h"
#include "core3d/Stream3D.h"
#include "platform/rtl/Cast.h"
#include "resources/Mesh3D.h"
#include "scene/Map3D.h"

namespace {

// The background is far behind the world: its fog starts and ends this many times further away.
constexpr float kBackgroundFogScale = 9.0f;
constexpr float kFogDensity = 1.0f;

}  // namespace

TBackground3D::TBackground3D() {
  FMeshRef.OnChange = TNotifyEvent::Bind<&TBackground3D::MeshChanged>(this);
  FColor.OnChange = TNotifyEvent::Bind<&TBackground3D::ColorChanged>(this);
  SetParent(&FAnchor);
}

TBackground3D::~TBackground3D() {
  FMeshRef.OnChange.Clear();
  FColor.OnChange.Clear();
}

TVisual3D* TBackground3D::GetMesh() const { return rtl::CheckedCast<TVisual3D>(FMeshRef.Item()); }

void TBackground3D::SetMesh(TVisual3D* mesh) {
  if (mesh == GetMesh()) return;
  FMeshRef.SetItem(mesh);
  Changed();
}

void TBackground3D::SetMeshes(TCollectionMesh3D* meshes) { FMeshRef.SetCollection(meshes); }

// DXVisual names only what the platform frame really holds, also after a failed call.
void TBackground3D::MeshChanged(TElement3D*) {
  if (FDXVisual != nullptr) {
    CheckResult(DXFrame()->DeleteVisual(FDXVisual), "Shape3D error: Delete visual failed");
    FDXVisual = nullptr;
  }
  if (TVisual3D* mesh = GetMesh()) {
    CheckResult(DXFrame()->AddVisual(mesh->DXVisual()), "Shape3D error: Add visual failed");
    FDXVisual = mesh->DXVisual();
  }
}

rm::Frame* TBackground3D::MapRootFrame() const { return FMap->Root().DXFrame(); }

void TBackground3D::ColorChanged(TElement3D*) {
  if (FMap == nullptr) return;
  const std::uint32_t color = FColor.GetColor();
  CheckResult(MapRootFrame()->SetSceneBackground(color), "Background3D error: Set scene background failed");
  CheckResult(MapRootFrame()->SetSceneFogColor(color), "Background3D error: Set scene fog color failed");
  CheckResult(DXFrame()->SetSceneFogColor(color), "Background3D error: Set background fog color failed");
}

void TBackground3D::SetFogEnable(bool on) {
  const std::uint8_t value = on ? 1 : 0;
  if (value == FFogEnable) return;
  FFogEnable = value;
  if (FMap == nullptr) return;
  CheckResult(MapRootFrame()->SetSceneFogEnable(on), "Background3D error: Set scene fog enable failed");
  CheckResult(MapRootFrame()->SetSceneFogMode(rm::FogMode::Linear), "Background3D error: Set scene fog mode failed");
}

void TBackground3D::SetFogStart(float start) {
  if (start == FFogStart) return;
  FFogStart = start;
  SendFogParams("Background3D error: Set scene fog start failed");
}

void TBackground3D::SetFogEnd(float end) {
  if (end == FFogEnd) return;
  FFogEnd = end;
  SendFogParams("Background3D error: Set scene fog end failed");
}

void TBackground3D::SendFogParams(const char* failure) {
  if (FMap == nullptr) return;
  CheckResult(MapRootFrame()->SetSceneFogParams(FFogStart, FFogEnd, kFogDensity), failure);
  CheckResult(DXFrame()->SetSceneFogParams(FFogStart * kBackgroundFogScale, FFogEnd * kBackgroundFogScale, kFogDensity),
              "Background3D error: Set background fog end failed");
}

void TBackground3D::Assign(const TElement3D& source) {
  const auto& other = rtl::CheckedCast<const TBackground3D>(source);
  TUpdateBracket bracket(*this);
  TFrame3D::Assign(source);
  SetMesh(other.GetMesh());
  FColor.Assign(other.FColor);
  FEnabled = other.FEnabled;
  SetFogStart(other.FFogStart);
  SetFogEnd(other.FFogEnd);
  SetFogEnable(other.FFogEnable != 0);
}

void TBackground3D::LoadFromStream(rtl::TStream& stream) {
  TUpdateBracket bracket(*this);
  TFrame3D::LoadFromStream(stream);
  FMeshRef.LoadFromStream(stream);
  FColor.LoadFromStream(stream);
  FEnabled = ReadByte(stream);
  SetFogEnable(ReadByte(stream) != 0);
  SetFogStart(ReadSingle(stream));
  SetFogEnd(ReadSingle(stream));
}

void TBackground3D::SaveToStream(rtl::TStream& stream) {
  TFrame3D::SaveToStream(stream);
  FMeshRef.SaveToStream(stream);
  FColor.SaveToStream(stream);
  WriteByte(stream, FEnabled);
  WriteByte(stream, FFogEnable);
  WriteSingle(stream, FFogStart);
  WriteSingle(stream, FFogEnd);
}
