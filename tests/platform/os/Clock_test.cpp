#include "platform/os/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/rtl/Faults.h"

TEST(Clock, SteadyClockAdvancesInMilliseconds) {
  os::UseSteadyClock();
  const std::uint32_t before = os::timeGetTime();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const auto elapsed = static_cast<std::int32_t>(os::timeGetTime() - before);
  EXPECT_GE(elapsed, 19);
  EXPECT_LT(elapsed, 5000);
}

TEST(Clock, ManualTimeWrapsAtThirtyTwoBits) {
  os::SetManualTime(0xFFFFFFF0u);
  EXPECT_EQ(os::timeGetTime(), 0xFFFFFFF0u);
  os::AdvanceManualTime(0x20);
  EXPECT_EQ(os::timeGetTime(), 0x10u);
  os::UseSteadyClock();
}

TEST(Clock, PeriodRequestsMustBalanceAndBadPeriodsAreRefused) {
  rtl::faults::Reset();
  os::TimeCaps caps{};
  ASSERT_EQ(os::timeGetDevCaps(&caps, sizeof caps), os::TIMERR_NOERROR);
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_GE(caps.wPeriodMax, caps.wPeriodMin);
  EXPECT_EQ(os::timeGetDevCaps(&caps, 4), os::TIMERR_NOCANDO);

  const int active = os::ActivePeriodCount();
  EXPECT_EQ(os::timeBeginPeriod(0), os::TIMERR_NOCANDO);
  EXPECT_EQ(os::timeBeginPeriod(1), os::TIMERR_NOERROR);
  EXPECT_EQ(os::ActivePeriodCount(), active + 1);
  EXPECT_EQ(os::timeEndPeriod(2), os::TIMERR_NOCANDO) << "only a begun period can end";
  EXPECT_EQ(os::timeEndPeriod(1), os::TIMERR_NOERROR);
  EXPECT_EQ(os::ActivePeriodCount(), active);
}

TEST(Clock, InjectedFaultsFailTheCapsAndBeginCalls) {
  rtl::faults::Reset();
  rtl::faults::Arm("os.timeGetDevCaps", 5);
  os::TimeCaps caps{};
  EXPECT_EQ(os::timeGetDevCaps(&caps, sizeof caps), 5u);
  rtl::faults::Arm("os.timeBeginPeriod", os::TIMERR_NOCANDO);
  const int active = os::ActivePeriodCount();
  EXPECT_EQ(os::timeBeginPeriod(1), os::TIMERR_NOCANDO);
  EXPECT_EQ(os::ActivePeriodCount(), active);
}
