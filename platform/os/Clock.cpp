#include "platform/os/Clock.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/rtl/Faults.h"

namespace os {

namespace {

constexpr std::uint32_t kPeriodMin = 1;
constexpr std::uint32_t kPeriodMax = 1000000;

bool gManual = false;
std::uint32_t gManualNow = 0;
std::vector<std::uint32_t> gActivePeriods;

}  // namespace

std::uint32_t timeGetTime() {
  if (gManual) return gManualNow;
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::uint32_t timeGetDevCaps(TimeCaps* caps, std::uint32_t size) {
  if (const auto code = rtl::faults::Check("os.timeGetDevCaps")) return static_cast<std::uint32_t>(code);
  if (caps == nullptr || size < sizeof(TimeCaps)) return TIMERR_NOCANDO;
  caps->wPeriodMin = kPeriodMin;
  caps->wPeriodMax = kPeriodMax;
  return TIMERR_NOERROR;
}

std::uint32_t timeBeginPeriod(std::uint32_t period) {
  if (const auto code = rtl::faults::Check("os.timeBeginPeriod")) return static_cast<std::uint32_t>(code);
  if (period < kPeriodMin || period > kPeriodMax) return TIMERR_NOCANDO;
  gActivePeriods.push_back(period);
  return TIMERR_NOERROR;
}

std::uint32_t timeEndPeriod(std::uint32_t period) {
  const auto found = std::find(gActivePeriods.begin(), gActivePeriods.end(), period);
  if (found == gActivePeriods.end()) return TIMERR_NOCANDO;
  gActivePeriods.erase(found);
  return TIMERR_NOERROR;
}

int ActivePeriodCount() { return static_cast<int>(gActivePeriods.size()); }

void SetManualTime(std::uint32_t now) {
  gManual = true;
  gManualNow = now;
}

void AdvanceManualTime(std::uint32_t milliseconds) { gManualNow += milliseconds; }

void UseSteadyClock() { gManual = false; }

}  // namespace os
