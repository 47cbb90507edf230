#include "platform/rm/Light.h"

#include "platform/rm/Frame.h"
#include "platform/rtl/Faults.h"

namespace rm {

Light::~Light() {
  if (FEnableFrame != nullptr) FEnableFrame->UnregisterEnabledLight(this);
}

std::int32_t Light::SetType(LightType type) { return StoreSetting("rm.Light.SetType", FType, type); }

std::int32_t Light::SetColor(ColorRGB color) { return StoreSetting("rm.Light.SetColor", FColor, color); }

std::int32_t Light::SetConstantAttenuation(float value) {
  return StoreSetting("rm.Light.SetConstantAttenuation", FConstant, value);
}

std::int32_t Light::SetLinearAttenuation(float value) {
  return StoreSetting("rm.Light.SetLinearAttenuation", FLinear, value);
}

std::int32_t Light::SetQuadraticAttenuation(float value) {
  return StoreSetting("rm.Light.SetQuadraticAttenuation", FQuadratic, value);
}

std::int32_t Light::SetRange(float range) {
  if (const auto code = rtl::faults::Check("rm.Light.SetRange")) return code;
  if (!(range >= 0.0f)) return D3DRMERR_BADVALUE;
  FRange = range;
  return D3DRM_OK;
}

std::int32_t Light::SetUmbra(float angle) { return StoreSetting("rm.Light.SetUmbra", FUmbra, angle); }

std::int32_t Light::SetPenumbra(float angle) { return StoreSetting("rm.Light.SetPenumbra", FPenumbra, angle); }

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
