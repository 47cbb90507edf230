#include "platform/rm/Material.h"

#include "platform/rtl/Faults.h"

namespace rm {

std::int32_t Material::SetPower(float power) { return StoreSetting("rm.Material.SetPower", FPower, power); }

std::int32_t Material::SetSpecular(ColorRGB color) { return StoreSetting("rm.Material.SetSpecular", FSpecular, color); }

std::int32_t Material::SetEmissive(ColorRGB color) { return StoreSetting("rm.Material.SetEmissive", FEmissive, color); }

}  // namespace rm
