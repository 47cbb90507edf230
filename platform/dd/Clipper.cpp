#include "platform/dd/Clipper.h"

#include "platform/dd/Types.h"
#include "platform/rtl/Faults.h"

namespace dd {

std::int32_t Clipper::SetHWnd(std::uintptr_t window) {
  if (const auto code = rtl::faults::Check("dd.Clipper.SetHWnd")) return code;
  FWindow = window;
  return DD_OK;
}

std::int32_t Clipper::GetHWnd(std::uintptr_t* window) const {
  if (const auto code = rtl::faults::Check("dd.Clipper.GetHWnd")) return code;
  if (window == nullptr) return DDERR_INVALIDPARAMS;
  *window = FWindow;
  return DD_OK;
}

}  // namespace dd
