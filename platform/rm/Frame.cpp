#include "platform/rm/Frame.h"

#include <algorithm>

#include "platform/rm/Light.h"
#include "platform/rtl/Faults.h"

namespace rm {

namespace {

template <class T>
std::int32_t AddUnique(std::vector<rtl::Ref<T>>& list, T* object) {
  if (object == nullptr) return D3DRMERR_BADOBJECT;
  if (std::find(list.begin(), list.end(), rtl::Ref<T>(object)) == list.end()) list.emplace_back(object);
  return D3DRM_OK;
}

template <class T>
std::int32_t Remove(std::vector<rtl::Ref<T>>& list, T* object) {
  const auto found = std::find(list.begin(), list.end(), rtl::Ref<T>(object));
  if (object == nullptr || found == list.end()) return D3DRMERR_NOTFOUND;
  list.erase(found);
  return D3DRM_OK;
}

}  // namespace

Frame::~Frame() {
  for (auto& child : FChildren) child->FParent = nullptr;
  for (Light* light : FEnabledLights) light->ForgetEnableFrame(this);
}

std::int32_t Frame::AddChild(Frame* child) {
  if (const auto code = rtl::faults::Check("rm.Frame.AddChild")) return code;
  if (child == nullptr) return D3DRMERR_BADOBJECT;
  for (const Frame* f = this; f != nullptr; f = f->FParent) {
    if (f == child) return D3DRMERR_BADVALUE;  // a frame cannot hang below itself
  }
  rtl::Ref<Frame> keep(child);
  if (child->FParent != nullptr) Remove(child->FParent->FChildren, child);
  child->FParent = this;
  FChildren.push_back(keep);
  return D3DRM_OK;
}

std::int32_t Frame::DeleteChild(Frame* child) {
  if (const auto code = rtl::faults::Check("rm.Frame.DeleteChild")) return code;
  if (child == nullptr || child->FParent != this) return D3DRMERR_NOTFOUND;
  child->FParent = nullptr;
  return Remove(FChildren, child);
}

Frame* Frame::GetScene() {
  Frame* root = this;
  while (root->FParent != nullptr) root = root->FParent;
  return root;
}

Matrix Frame::World() const { return FParent == nullptr ? FLocal : FLocal * FParent->World(); }

Matrix Frame::ParentWorld() const { return FParent == nullptr ? Matrix::Identity() : FParent->World(); }

Matrix Frame::ReferenceWorld(Frame* reference) const {
  return reference == nullptr ? ParentWorld() : reference->World();
}

std::int32_t Frame::SetPosition(Frame* reference, float x, float y, float z) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetPosition")) return code;
  const Vector world = ReferenceWorld(reference).TransformPoint({x, y, z});
  FLocal.SetRow(3, ParentWorld().InverseAffine().TransformPoint(world));
  return D3DRM_OK;
}

std::int32_t Frame::GetPosition(Frame* reference, Vector* position) {
  if (const auto code = rtl::faults::Check("rm.Frame.GetPosition")) return code;
  if (position == nullptr) return D3DRMERR_BADVALUE;
  *position = ReferenceWorld(reference).InverseAffine().TransformPoint(World().Row(3));
  return D3DRM_OK;
}

std::int32_t Frame::SetOrientation(Frame* reference, float dx, float dy, float dz, float ux, float uy, float uz) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetOrientation")) return code;
  const Matrix toParent = ReferenceWorld(reference) * ParentWorld().InverseAffine();
  Matrix local;
  if (!Matrix::FromOrientation(toParent.TransformVector({dx, dy, dz}), toParent.TransformVector({ux, uy, uz}),
                               FLocal.Row(3), &local)) {
    return D3DRMERR_BADVALUE;
  }
  FLocal = local;
  return D3DRM_OK;
}

std::int32_t Frame::GetOrientation(Frame* reference, Vector* direction, Vector* up) {
  if (const auto code = rtl::faults::Check("rm.Frame.GetOrientation")) return code;
  if (direction == nullptr || up == nullptr) return D3DRMERR_BADVALUE;
  const Matrix toReference = World() * ReferenceWorld(reference).InverseAffine();
  *direction = Normalize(toReference.Row(2));
  *up = Normalize(toReference.Row(1));
  return D3DRM_OK;
}

std::int32_t Frame::Transform(Vector* out, const Vector& in) {
  if (const auto code = rtl::faults::Check("rm.Frame.Transform")) return code;
  if (out == nullptr) return D3DRMERR_BADVALUE;
  *out = World().TransformPoint(in);
  return D3DRM_OK;
}

std::int32_t Frame::AddVisual(Visual* visual) {
  if (const auto code = rtl::faults::Check("rm.Frame.AddVisual")) return code;
  return AddUnique(FVisuals, visual);
}

std::int32_t Frame::DeleteVisual(Visual* visual) {
  if (const auto code = rtl::faults::Check("rm.Frame.DeleteVisual")) return code;
  return Remove(FVisuals, visual);
}

std::int32_t Frame::AddLight(Light* light) {
  if (const auto code = rtl::faults::Check("rm.Frame.AddLight")) return code;
  return AddUnique(FLights, light);
}

std::int32_t Frame::DeleteLight(Light* light) {
  if (const auto code = rtl::faults::Check("rm.Frame.DeleteLight")) return code;
  return Remove(FLights, light);
}

std::int32_t Frame::SetBox(const Box& box) { return StoreSetting("rm.Frame.SetBox", FBox, box); }

std::int32_t Frame::SetBoxEnable(bool enable) { return StoreSetting("rm.Frame.SetBoxEnable", FBoxEnabled, enable); }

std::int32_t Frame::SetZbufferMode(ZBufferMode mode) {
  return StoreSetting("rm.Frame.SetZbufferMode", FZBufferMode, mode);
}

std::int32_t Frame::SetSortMode(SortMode mode) { return StoreSetting("rm.Frame.SetSortMode", FSortMode, mode); }

std::int32_t Frame::SetSceneBackground(std::uint32_t color) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetSceneBackground")) return code;
  FBackground = color & 0x00FFFFFFu;
  return D3DRM_OK;
}

std::int32_t Frame::SetSceneFogEnable(bool enable) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetSceneFogEnable")) return code;
  FFog.enabled = enable;
  return D3DRM_OK;
}

std::int32_t Frame::SetSceneFogMode(FogMode mode) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetSceneFogMode")) return code;
  FFog.mode = mode;
  return D3DRM_OK;
}

std::int32_t Frame::SetSceneFogColor(std::uint32_t color) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetSceneFogColor")) return code;
  FFog.color = color & 0x00FFFFFFu;
  return D3DRM_OK;
}

std::int32_t Frame::SetSceneFogParams(float start, float end, float density) {
  if (const auto code = rtl::faults::Check("rm.Frame.SetSceneFogParams")) return code;
  FFog.start = start;
  FFog.end = end;
  FFog.density = density;
  return D3DRM_OK;
}

void Frame::RegisterEnabledLight(Light* light) { FEnabledLights.push_back(light); }

void Frame::UnregisterEnabledLight(Light* light) {
  FEnabledLights.erase(std::remove(FEnabledLights.begin(), FEnabledLights.end(), light), FEnabledLights.end());
}

}  // namespace rm
