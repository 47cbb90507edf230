#include "platform/rtl/Faults.h"

#include <map>
#include <string>

namespace rtl::faults {

namespace {

struct Fault {
  std::int32_t Code;
  int Skip;
  int Times;
};

std::map<std::string, Fault, std::less<>>& Armed() {
  static std::map<std::string, Fault, std::less<>> armed;
  return armed;
}

}  // namespace

namespace detail {

bool gAnyArmed = false;

std::int32_t Take(std::string_view call) {
  auto& armed = Armed();
  const auto found = armed.find(call);
  if (found == armed.end()) return 0;
  Fault& fault = found->second;
  if (fault.Skip > 0) {
    --fault.Skip;
    return 0;
  }
  const std::int32_t code = fault.Code;
  if (--fault.Times <= 0) {
    armed.erase(found);
    gAnyArmed = !armed.empty();
  }
  return code;
}

}  // namespace detail

void Arm(std::string_view call, std::int32_t code, int skip, int times) {
  if (times <= 0) return;
  Armed()[std::string(call)] = Fault{code, skip, times};
  detail::gAnyArmed = true;
}

void Reset() {
  Armed().clear();
  detail::gAnyArmed = false;
}

}  // namespace rtl::faults
