#include "platform/rm/Object.h"

#include "platform/rtl/Faults.h"

namespace rm {

std::int32_t Object::SetAppData(std::uintptr_t data) {
  if (const auto code = rtl::faults::Check("rm.Object.SetAppData")) return code;
  FAppData = data;
  return D3DRM_OK;
}

}  // namespace rm
