#include "anim/DayAnimation.h"

#include <gtest/gtest.h>

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) { return out << c.r << ',' << c.g << ',' << c.b; }
Rgb RgbOf(const TColor3D& c) { return {c.GetComponent(2), c.GetComponent(1), c.GetComponent(0)}; }

class DayCycleTest : public testing::Test {
 protected:
  DayCycleTest() { AddDayCycle(Day); }
  const TDayKey& At(long double seconds) {
    Day.Update(seconds);
    return Day.CurrentKey();
  }
  TDayAnimation Day;
};

}  // namespace

TEST_F(DayCycleTest, KeysBlendColoursByTruncationAndFogRisesWithTheBlend) {
  EXPECT_EQ(Day.KeyCount(), 11);
  EXPECT_EQ(Day.EndTime(), 320.0L);
  const TDayKey& evening = At(105);
  EXPECT_EQ(RgbOf(evening.LightColor), (Rgb{255, 100, 100}));
  EXPECT_FALSE(evening.Fog);
  const TDayKey& dusk = At(130);
  EXPECT_EQ(RgbOf(dusk.BackColor), (Rgb{130, 53, 60}));
  EXPECT_EQ(dusk.BackColor.GetComponent(3), 255);
  EXPECT_TRUE(dusk.Fog);
  EXPECT_FLOAT_EQ(dusk.FogStart, 49500.0f);
  EXPECT_FLOAT_EQ(dusk.FogEnd, 65000.0f);
  const TDayKey& night = At(200);
  EXPECT_EQ(RgbOf(night.LightColor), (Rgb{100, 100, 222}));
  EXPECT_TRUE(night.Fog);
}

TEST_F(DayCycleTest, TheCycleWrapsSeamlesslyEvery320Seconds) {
  const Rgb tenSeconds = RgbOf(At(10).BackColor);
  const TDayKey& again = At(330);
  EXPECT_EQ(RgbOf(again.BackColor), tenSeconds);
  EXPECT_FALSE(again.Fog);
  EXPECT_FLOAT_EQ(again.FogStart, 99000.0f);
  EXPECT_EQ(RgbOf(At(640).BackColor), (Rgb{128, 128, 128}));
}

// The clock option: the user's night is the cycle's night, their noon its day light.
TEST_F(DayCycleTest, TheClockPutsNightAtMidnightAndDayLightAtNoon) {
  const auto at = [&](double hours) { return RgbOf(At(ClockCycleTime(hours * 3600.0L)).LightColor); };
  EXPECT_EQ(at(0), (Rgb{100, 100, 222}));
  EXPECT_EQ(at(3.5), (Rgb{100, 100, 222}));
  EXPECT_EQ(at(12), (Rgb{255, 255, 255}));
  EXPECT_EQ(at(19.5), (Rgb{255, 100, 100}));
  EXPECT_TRUE(At(ClockCycleTime(7.5 * 3600.0L)).Fog) << "misty morning";
  EXPECT_NEAR(static_cast<double>(ClockCycleTime(86399.0L)), static_cast<double>(ClockCycleTime(-1.0L)), 1e-9);
}
