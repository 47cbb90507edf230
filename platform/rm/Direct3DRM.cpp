#include "platform/rm/Direct3DRM.h"

#include <cstring>

#include "platform/rtl/Faults.h"

namespace rm {

namespace {

// Fills an out-parameter with a fresh object.
template <class T, class... Args>
std::int32_t Make(const char* call, rtl::Ref<T>* out, Args&&... args) {
  if (const auto code = rtl::faults::Check(call)) return code;
  if (out == nullptr) return D3DRMERR_BADVALUE;
  *out = rtl::MakeRef<T>(std::forward<Args>(args)...);
  return D3DRM_OK;
}

}  // namespace

std::int32_t Direct3DRM::CreateFrame(Frame* parent, rtl::Ref<Frame>* frame) {
  if (const auto code = Make("rm.Direct3DRM.CreateFrame", frame)) return code;
  return parent != nullptr ? parent->AddChild(frame->Get()) : D3DRM_OK;
}

std::int32_t Direct3DRM::CreateMesh(rtl::Ref<Mesh>* mesh) { return Make("rm.Direct3DRM.CreateMesh", mesh); }

std::int32_t Direct3DRM::CreateTexture(const Image& image, rtl::Ref<Texture>* texture) {
  if (!Texture::IsValidImage(image)) return D3DRMERR_BADVALUE;
  return Make("rm.Direct3DRM.CreateTexture", texture, image);
}

std::int32_t Direct3DRM::CreateMaterial(float power, rtl::Ref<Material>* material) {
  return Make("rm.Direct3DRM.CreateMaterial", material, power);
}

std::int32_t Direct3DRM::CreateLightRGB(LightType type, float red, float green, float blue, rtl::Ref<Light>* light) {
  return Make("rm.Direct3DRM.CreateLightRGB", light, type, ColorRGB{red, green, blue});
}

std::int32_t Direct3DRM::CreateAnimation(rtl::Ref<Animation>* animation) {
  return Make("rm.Direct3DRM.CreateAnimation", animation);
}

std::int32_t Direct3DRM::CreateDeviceFromD3D(std::unique_ptr<d3d::Device> device, dd::Surface* target, bool mono,
                                             rtl::Ref<Device>* result) {
  if (device == nullptr || target == nullptr) return D3DRMERR_BADOBJECT;
  return Make("rm.Direct3DRM.CreateDeviceFromD3D", result, std::move(device), target, mono);
}

std::int32_t Direct3DRM::CreateViewport(Device* device, Frame* camera, int x, int y, int width, int height,
                                        rtl::Ref<Viewport>* viewport) {
  if (device == nullptr || camera == nullptr) return D3DRMERR_BADOBJECT;
  if (width <= 0 || height <= 0 || x < 0 || y < 0 || x + width > device->GetWidth() ||
      y + height > device->GetHeight()) {
    return D3DRMERR_BADVALUE;
  }
  return Make("rm.Direct3DRM.CreateViewport", viewport, device, camera, x, y, width, height);
}

std::int32_t Direct3DRM::GetSearchPath(std::uint32_t* size, char* buffer) const {
  if (const auto code = rtl::faults::Check("rm.Direct3DRM.GetSearchPath")) return code;
  if (size == nullptr) return D3DRMERR_BADVALUE;
  const auto needed = static_cast<std::uint32_t>(FSearchPath.size() + 1);
  if (buffer == nullptr) {
    *size = needed;
    return D3DRM_OK;
  }
  if (*size < needed) return D3DRMERR_BADVALUE;
  std::memcpy(buffer, FSearchPath.c_str(), needed);
  return D3DRM_OK;
}

std::int32_t Direct3DRM::SetSearchPath(const std::string& path) {
  return StoreSetting("rm.Direct3DRM.SetSearchPath", FSearchPath, path);
}

// Folders are separated by ';' as the world's settings write them.
std::int32_t Direct3DRM::AddSearchPath(const std::string& path) {
  if (const auto code = rtl::faults::Check("rm.Direct3DRM.AddSearchPath")) return code;
  FSearchPath = FSearchPath.empty() ? path : FSearchPath + ";" + path;
  return D3DRM_OK;
}

std::int32_t Direct3DRMCreate(rtl::Ref<Direct3DRM>* root) { return Make("rm.Direct3DRMCreate", root); }

}  // namespace rm
