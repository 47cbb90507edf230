#include "platform/rm/Object.h"

#include "platform/rtl/Faults.h"

namespace rm {

std::int32_t Object::SetAppData(std::uintptr_t data) { return StoreSetting("rm.Object.SetAppData", FAppData, data); }

}  // namespace rm
