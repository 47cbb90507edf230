#include "core3d/CheckResult.h"

#include "platform/rtl/Exceptions.h"

void CheckResult(std::int32_t result, const std::string& message) {
  if (result == 0) return;
  constexpr std::uint32_t kLow12Bits = 0xFFF;
  throw rtl::Exception(message + " code: " + std::to_string(static_cast<std::uint32_t>(result) & kLow12Bits));
}
