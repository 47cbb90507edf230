#pragma once

#include <cstdint>

namespace os {

// The multimedia clock: milliseconds of a steady clock as an unsigned 32-bit count that wraps
// after 2^32 ms (about 49.7 days), and the resolution requests of the original timer API.

constexpr std::uint32_t TIMERR_NOERROR = 0;
constexpr std::uint32_t TIMERR_NOCANDO = 97;

struct TimeCaps {
  std::uint32_t wPeriodMin;
  std::uint32_t wPeriodMax;
};

std::uint32_t timeGetTime();
std::uint32_t timeGetDevCaps(TimeCaps* caps, std::uint32_t size);
// Linux timers already resolve milliseconds: the calls only keep the requests balanced.
std::uint32_t timeBeginPeriod(std::uint32_t period);
std::uint32_t timeEndPeriod(std::uint32_t period);
// Requests begun and not yet ended, so tests can see that every begin has its end.
int ActivePeriodCount();

// Driving time by hand in tests: while manual, timeGetTime returns the set value.
void SetManualTime(std::uint32_t now);
void AdvanceManualTime(std::uint32_t milliseconds);
void UseSteadyClock();

}  // namespace os
