// The show's frames in a long run, headless: after warm-up a frame of the default world allocates
// nothing (counted by the operator new this executable links), and the multimedia clock's wrap after
// 2^32 ms and a day of show time leave the timer, the motions and the day-time cycle where a fresh
// show puts them.

#include <gtest/gtest.h>

#include "anim/Motion3D.h"
#include "platform/os/Clock.h"
#include "tests/scene/TestWorld.h"
#include "tests/support/AllocationCount.h"
#include "tests/support/HeadlessShow.h"

namespace {

using testing_support::CountAllocations;
using testing_support::CountedAllocations;
using testing_support::THeadlessShow;

constexpr std::uint32_t kFrameMs = 16;
constexpr std::uint32_t kBeforeWrapMs = 20000;  // the tick counter wraps 20 s into the show
constexpr std::uint32_t kDayMs = 24u * 3600u * 1000u;

class ShowFramesTest : public testing::Test {
 protected:
  ShowFramesTest() { os::SetManualTime(0xFFFFFFFFu - kBeforeWrapMs + 1); }
  ~ShowFramesTest() override { os::UseSteadyClock(); }

  static std::unique_ptr<THeadlessShow> NewShow() {
    return std::make_unique<THeadlessShow>(160, 120, testing_support::BuildTestWorld);
  }
  // Where the tour camera stands and where the day is.
  static std::array<float, 5> State(THeadlessShow& show) {
    TVector3D& at = show.View().Camera().GetPosition();
    const TDayKey& day = show.Day().CurrentKey();
    return {at.X(), at.Y(), at.Z(), day.FogEnd, static_cast<float>(day.LightColor.GetComponent(0))};
  }
};

}  // namespace

// Warm-up is one whole tour at a coarse step: every scratch list of the renderer reaches the size
// the tour needs. Then a frame every 16 ms, with the tick counter wrapping among them.
TEST_F(ShowFramesTest, AfterWarmUpAFrameAllocatesNothingAcrossTheClockWrap) {
  constexpr std::uint32_t kTourMs = 320000, kWarmUpStepMs = 400;
  os::SetManualTime(0xFFFFFFFFu - kTourMs - kBeforeWrapMs + 1);
  auto show = std::make_unique<THeadlessShow>(160, 120, [](TWorld3D& world) {
    testing_support::LoadShowWorld(world, std::string(Q3D_DATA_DIR) + "/Quorlith 3D.q3w");
  });
  ASSERT_GT(PlayingMotions().size(), 10u) << "the world's creatures and its tour move";
  CountAllocations(true);
  show->Step(kWarmUpStepMs);
  CountAllocations(false);
  EXPECT_GT(CountedAllocations(), 0) << "the first frame builds what later frames reuse: the count counts";
  for (std::uint32_t t = kWarmUpStepMs; t < kTourMs; t += kWarmUpStepMs) show->Step(kWarmUpStepMs);
  const std::uint32_t beforeTick = os::timeGetTime();
  constexpr int kFrames = 1500;  // 24 s: past the wrap
  CountAllocations(true);
  for (int i = 0; i < kFrames; ++i) show->Step(kFrameMs);
  CountAllocations(false);
  EXPECT_LT(os::timeGetTime(), beforeTick) << "the tick counter wrapped during the count";
  EXPECT_EQ(CountedAllocations(), 0) << "allocations in " << kFrames << " frames";
  EXPECT_DOUBLE_EQ(show->Seconds(), (kTourMs + kFrames * kFrameMs) / 1000.0) << "the timer runs on across the wrap";
}

// The show after the wrap and after a whole day stands where a show started at that moment puts
// its world after the same time (the clock of the second show never wraps).
TEST_F(ShowFramesTest, TheWrapAndADayOfShowTimeLeaveMotionsAndTheDayRight) {
  auto wrapped = NewShow();
  for (int i = 0; i < 1500; ++i) wrapped->Step(kFrameMs);  // 24 s: past the wrap
  wrapped->Step(kDayMs);
  wrapped->Step(kFrameMs);
  const double seconds = wrapped->Seconds();
  EXPECT_DOUBLE_EQ(seconds, (1501 * kFrameMs + kDayMs) / 1000.0);

  os::SetManualTime(1000);
  auto fresh = NewShow();
  fresh->Step(static_cast<std::uint32_t>(seconds * 1000.0 + 0.5));
  EXPECT_DOUBLE_EQ(fresh->Seconds(), seconds);
  const auto expected = State(*fresh);
  const auto actual = State(*wrapped);
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-3f) << i;
  EXPECT_NE(wrapped->View().Picture(), std::vector<std::uint32_t>(160 * 120, wrapped->View().Picture()[0]))
      << "the world is drawn";
}
