#pragma once

#include <cstdint>

#include "platform/rtl/RefCounted.h"

namespace dd {

// Binds a primary surface to the window it is shown in (a native window id; 0 = none).
class Clipper : public rtl::RefCounted {
 public:
  std::int32_t SetHWnd(std::uintptr_t window);
  std::int32_t GetHWnd(std::uintptr_t* window) const;

 private:
  std::uintptr_t FWindow = 0;
};

}  // namespace dd
