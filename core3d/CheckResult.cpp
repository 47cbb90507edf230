#include "core3d/CheckResult.h"

#include "platform/rtl/Exceptions.h"

#include <string>

void CheckResult(std::int32_t result, std::string_view message) {
  if (result == 0) return;
  constexpr std::uint32_t kLow12Bits = 0xFFF;
  throw rtl::Exception(std::string(message) + " code: " +
                       std::to_string(static_cast<std::uint32_t>(result) & kLow12Bits));
}
