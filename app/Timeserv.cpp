#include "app/Timeserv.h"

#include <algorithm>

#include "platform/os/Clock.h"

namespace {

constexpr std::uint32_t kMsPerSecond = 1000;
constexpr std::uint32_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::uint32_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::uint32_t kMsPerDay = 24 * kMsPerHour;

}  // namespace

void TTime::SetTotal(std::uint32_t milliseconds) {
  FTotal = milliseconds;
  FDays = milliseconds / kMsPerDay;
  milliseconds %= kMsPerDay;
  FHours = milliseconds / kMsPerHour;
  milliseconds %= kMsPerHour;
  FMinutes = milliseconds / kMsPerMinute;
  milliseconds %= kMsPerMinute;
  FSeconds = milliseconds / kMsPerSecond;
  FMilliseconds = milliseconds % kMsPerSecond;
}

void TTime::Clear() { SetTotal(0); }

TTimer::TTimer() : FTime(std::make_unique<TTime>()) {
  os::TimeCaps caps{};
  if (os::timeGetDevCaps(&caps, sizeof(caps)) != os::TIMERR_NOERROR) {
    BeginPeriod(1);
    return;
  }
  FPeriod = std::max<std::uint32_t>(1, caps.wPeriodMin);
  if (!BeginPeriod(FPeriod)) {
    FPeriod = kFallbackPeriod;
    BeginPeriod(1);
  }
}

TTimer::~TTimer() {
  FTime.reset();
  if (FBegunPeriod != 0) os::timeEndPeriod(FBegunPeriod);
}

bool TTimer::BeginPeriod(std::uint32_t period) {
  if (os::timeBeginPeriod(period) != os::TIMERR_NOERROR) return false;
  FBegunPeriod = period;
  return true;
}

const TTime& TTimer::Time() {
  if (FRunning) {
    const std::uint32_t now = os::timeGetTime();
    // A signed difference keeps the tick counter's wrap-around after 2^32 ms harmless, and a
    // counter that seems to step back adds nothing.
    const auto elapsed = static_cast<std::int32_t>(now - FLastTick);
    if (elapsed > 0) FTime->SetTotal(FTime->Total() + static_cast<std::uint32_t>(elapsed));
    FLastTick = now;
  }
  return *FTime;
}

void TTimer::Start() {
  if (!FRunning) {
    FLastTick = os::timeGetTime();
    FTime->Clear();
  }
  FRunning = true;
}

void TTimer::Pause() {
  if (!FRunning) return;
  Time();
  FRunning = false;
}

void TTimer::Resume() {
  if (FRunning) return;
  FLastTick = os::timeGetTime();
  FRunning = true;
}
