#include "platform/d3d/Device.h"

#include "platform/rtl/Faults.h"

namespace d3d {

Device::Device() {
  FStates[static_cast<int>(RenderStateType::AlphaFunc)] = static_cast<std::uint32_t>(Compare::Always);
}

std::int32_t Device::BeginScene() {
  if (const auto code = rtl::faults::Check("d3d.Device.BeginScene")) return code;
  if (FInScene) return D3DERR_SCENE_IN_SCENE;
  FInScene = true;
  return D3D_OK;
}

std::int32_t Device::EndScene() {
  if (const auto code = rtl::faults::Check("d3d.Device.EndScene")) return code;
  if (!FInScene) return D3DERR_SCENE_NOT_IN_SCENE;
  FInScene = false;
  return D3D_OK;
}

std::int32_t Device::SetRenderState(RenderStateType type, std::uint32_t value) {
  if (const auto code = rtl::faults::Check("d3d.Device.SetRenderState")) return code;
  if (type >= RenderStateType::Count) return rtl::E_INVALIDARG;
  FStates[static_cast<int>(type)] = value;
  return D3D_OK;
}

}  // namespace d3d
