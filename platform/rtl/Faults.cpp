#include "platform/rtl/Faults.h"

#include <cstdlib>
#include <map>
#include <sstream>
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

bool gRecording = false;
std::set<std::string, std::less<>> gRecorded;

void UpdateAnyArmed() { detail::gAnyArmed = gRecording || !Armed().empty(); }

}  // namespace

namespace detail {

bool gAnyArmed = false;

std::int32_t Take(std::string_view call) {
  if (gRecording && !gRecorded.contains(call)) gRecorded.emplace(call);
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
    UpdateAnyArmed();
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
  UpdateAnyArmed();
}

bool Pending(std::string_view call) { return Armed().find(call) != Armed().end(); }

void StartRecording() {
  gRecorded.clear();
  gRecording = true;
  UpdateAnyArmed();
}

std::set<std::string, std::less<>> StopRecording() {
  gRecording = false;
  UpdateAnyArmed();
  return std::move(gRecorded);
}

void ArmFromEnvironment() {
  const char* text = std::getenv("Q3D_FAULTS");
  if (text == nullptr) return;
  std::istringstream entries(text);
  for (std::string entry; std::getline(entries, entry, ',');) {
    std::istringstream fields(entry);
    std::string call, code, skip = "0", times = "1";
    if (!std::getline(fields, call, ':') || !std::getline(fields, code, ':')) continue;
    std::getline(fields, skip, ':');
    std::getline(fields, times, ':');
    Arm(call, static_cast<std::int32_t>(std::strtoll(code.c_str(), nullptr, 0)), std::atoi(skip.c_str()),
        std::atoi(times.c_str()));
  }
}

}  // namespace rtl::faults
