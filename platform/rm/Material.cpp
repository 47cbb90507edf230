#include "platform/rm/Material.h"

#include "platform/rtl/Faults.h"

namespace rm {

std::int32_t Material::SetPower(float power) {
  if (const auto code = rtl::faults::Check("rm.Material.SetPower")) return code;
  FPower = power;
  return D3DRM_OK;
}

std::int32_t Material::SetSpecular(ColorRGB color) {
  if (const auto code = rtl::faults::Check("rm.Material.SetSpecular")) return code;
  FSpecular = color;
  return D3DRM_OK;
}

std::int32_t Material::SetEmissive(ColorRGB color) {
  if (const auto code = rtl::faults::Check("rm.Material.SetEmissive")) return code;
  FEmissive = color;
  return D3DRM_OK;
}

}  // namespace rm
