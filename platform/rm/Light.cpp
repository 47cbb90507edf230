#include "platform/rm/Light.h"

#include "platform/rm/Frame.h"
#include "platform/rtl/Faults.h"

namespace rm {

Light::~Light() {
  if (FEnableFrame != nullptr) FEnableFrame->UnregisterEnabledLight(this);
}

std::int32_t Light::SetType(LightType type) {
  if (const auto code = rtl::faults::Check("rm.Light.SetType")) return code;
  FType = type;
  return D3DRM_OK;
}

std::int32_t Light::SetColor(ColorRGB color) {
  if (const auto code = rtl::faults::Check("rm.Light.SetColor")) return code;
  FColor = color;
  return D3DRM_OK;
}

std::int32_t Light::SetConstantAttenuation(float value) {
  if (const auto code = rtl::faults::Check("rm.Light.SetConstantAttenuation")) return code;
  FConstant = value;
  return D3DRM_OK;
}

std::int32_t Light::SetLinearAttenuation(float value) {
  if (const auto code = rtl::faults::Check("rm.Light.SetLinearAttenuation")) return code;
  FLinear = value;
  return D3DRM_OK;
}

std::int32_t Light::SetQuadraticAttenuation(float value) {
  if (const auto code = rtl::faults::Check("rm.Light.SetQuadraticAttenuation")) return code;
  FQuadratic = value;
  return D3DRM_OK;
}

std::int32_t Light::SetRange(float range) {
  if (const auto code = rtl::faults::Check("rm.Light.SetRange")) return code;
  if (!(range >= 0.0f)) return D3DRMERR_BADVALUE;
  FRange = range;
  return D3DRM_OK;
}

std::int32_t Light::SetUmbra(float angle) {
  if (const auto code = rtl::faults::Check("rm.Light.SetUmbra")) return code;
  FUmbra = angle;
  return D3DRM_OK;
}

std::int32_t Light::SetPenumbra(float angle) {
  if (const auto code = rtl::faults::Check("rm.Light.SetPenumbra")) return code;
  FPenumbra = angle;
  return D3DRM_OK;
}

std::int32_t Light::SetEnableFrame(Frame* frame) {
  if (const auto code = rtl::faults::Check("rm.Light.SetEnableFrame")) return code;
  if (FEnableFrame != nullptr) FEnableFrame->UnregisterEnabledLight(this);
  FEnableFrame = frame;
  if (FEnableFrame != nullptr) FEnableFrame->RegisterEnabledLight(this);
  return D3DRM_OK;
}

void Light::ForgetEnableFrame(Frame* frame) {
  if (FEnableFrame == frame) FEnableFrame = nullptr;
}

}  // namespace rm
