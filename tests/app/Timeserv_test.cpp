#include "app/Timeserv.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/os/Clock.h"
#include "platform/rtl/Faults.h"

namespace {

// Every test drives the clock by hand and leaves no fault armed behind.
class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { os::SetManualTime(100000); }
  void TearDown() override {
    rtl::faults::Reset();
    os::UseSteadyClock();
  }
};

TEST(TimeTest, SplitsTotal) {
  TTime time;
  time.SetTotal(90061001);
  EXPECT_EQ((std::vector<std::uint32_t>{time.Days(), time.Hours(), time.Minutes(), time.Seconds(),
                                        time.Milliseconds()}),
            (std::vector<std::uint32_t>{1, 1, 1, 1, 1}));
  time.Clear();
  EXPECT_EQ(time.Total() + time.Days() + time.Milliseconds(), 0u);
}

TEST_F(TimerTest, CountsOnlyWhileRunningAndOnlyWhenRead) {
  TTimer timer;
  os::AdvanceManualTime(5000);
  EXPECT_EQ(timer.Time().Total(), 0u);  // stopped at creation
  timer.Start();
  os::AdvanceManualTime(1500);
  const TTime& time = timer.Time();
  EXPECT_EQ(time.Seconds(), 1u);
  EXPECT_EQ(time.Milliseconds(), 500u);
  EXPECT_DOUBLE_EQ(time.AsSeconds(), 1.5);
  EXPECT_EQ(timer.Time().Total(), 1500u);  // a second read in the same tick adds nothing

  timer.Pause();
  os::AdvanceManualTime(10000);
  timer.Resume();
  os::AdvanceManualTime(1000);
  EXPECT_EQ(timer.Time().Total(), 2500u);

  timer.Start();  // already running: keeps its time
  EXPECT_EQ(timer.Time().Total(), 2500u);
  timer.Pause();
  timer.Start();
  os::AdvanceManualTime(250);
  EXPECT_EQ(timer.Time().Total(), 250u);
}

TEST_F(TimerTest, TickCounterWrapAndStepBackAreHarmless) {
  os::SetManualTime(0xFFFFFFFF - 499);
  TTimer timer;
  timer.Start();
  os::AdvanceManualTime(1000);  // the counter now reads 500
  EXPECT_EQ(timer.Time().Total(), 1000u);
  os::SetManualTime(100);
  EXPECT_EQ(timer.Time().Total(), 1000u);
  os::AdvanceManualTime(200);  // counts on from where the counter stepped back to
  EXPECT_EQ(timer.Time().Total(), 1200u);
}

TEST_F(TimerTest, EndsExactlyThePeriodItBegan) {
  const int before = os::ActivePeriodCount();
  {
    TTimer preferred;
    EXPECT_NE(preferred.Period(), TTimer::kFallbackPeriod);
    rtl::faults::Arm("os.timeGetDevCaps", os::TIMERR_NOCANDO);
    TTimer noCaps;
    rtl::faults::Arm("os.timeBeginPeriod", os::TIMERR_NOCANDO);
    TTimer refused;
    EXPECT_EQ(noCaps.Period(), TTimer::kFallbackPeriod);
    EXPECT_EQ(refused.Period(), TTimer::kFallbackPeriod);
    EXPECT_EQ(os::ActivePeriodCount(), before + 3);
  }
  EXPECT_EQ(os::ActivePeriodCount(), before);

  // With every request refused, ending one would take another timer's request away.
  TTimer holder;
  {
    rtl::faults::Arm("os.timeBeginPeriod", os::TIMERR_NOCANDO, 0, 2);
    TTimer refused;
    rtl::faults::Arm("os.timeGetDevCaps", os::TIMERR_NOCANDO);
    rtl::faults::Arm("os.timeBeginPeriod", os::TIMERR_NOCANDO);
    TTimer noCapsRefused;
  }
  EXPECT_EQ(os::ActivePeriodCount(), before + 1);
}

}  // namespace
