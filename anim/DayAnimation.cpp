#include "anim/DayAnimation.h"

#include <cmath>

namespace {

constexpr long double kCycleSeconds = 320.0L;
constexpr long double kDaySeconds = 86400.0L;
// The cycle's first key is full day light; placing it at 11:45 puts the red evening keys near 19:00,
// full night from about 23:45 to 06:30 and the misty morning keys around 07:00 to 09:00.
constexpr long double kCycleStartOnTheClock = 11.75L * 3600.0L;

}  // namespace

const std::array<TDayTime, 11> kDayCycle = {{
    {0, {255, 255, 255}, {128, 128, 128}, false, 99000, 100000},
    {50, {255, 255, 255}, {128, 128, 128}, false, 99000, 100000},
    {40, {255, 100, 100}, {255, 100, 100}, false, 99000, 100000},
    {30, {255, 100, 100}, {255, 100, 100}, false, 99000, 100000},
    {20, {255, 100, 100}, {5, 5, 20}, true, 0, 30000},
    {20, {100, 100, 222}, {5, 5, 20}, true, 0, 15000},
    {50, {100, 100, 222}, {5, 5, 20}, true, 0, 15000},
    {40, {100, 100, 222}, {160, 200, 230}, true, 0, 15000},
    {30, {255, 255, 255}, {160, 200, 230}, true, 0, 15000},
    {20, {255, 255, 255}, {160, 200, 230}, true, 0, 60000},
    {20, {255, 255, 255}, {128, 128, 128}, false, 99000, 100000},
}};

const std::array<TDayTime, 4> kCustomDayTimes = {{
    {0, {255, 255, 255}, {160, 200, 230}, true, 0, 15000},
    {0, {255, 255, 255}, {128, 128, 128}, false, 0, 15000},
    {0, {255, 100, 100}, {100, 100, 100}, false, 0, 15000},
    {0, {100, 100, 220}, {5, 5, 20}, true, 0, 15000},
}};

void TDayKey::Assign(const TDayKey& other) {
  LightColor.Assign(other.LightColor);
  BackColor.Assign(other.BackColor);
  Fog = other.Fog;
  FogStart = other.FogStart;
  FogEnd = other.FogEnd;
}

std::unique_ptr<TAnimationKey> TDayAnimation::CreateKey(long double time) { return std::make_unique<TDayKey>(time); }

// Fog is on whenever either neighbour has it, so it rises with the blend toward a foggy key.
void TDayAnimation::Interpolate(const TAnimationKey& a, const TAnimationKey& b, long double t) {
  const auto& from = static_cast<const TDayKey&>(a);
  const auto& to = static_cast<const TDayKey&>(b);
  if (&a == &b) {
    FCurrentKey.Assign(from);
    return;
  }
  for (int channel : {2, 1, 0, 3}) {  // red, green, blue, alpha
    FCurrentKey.LightColor.SetComponent(
        channel, LerpByte(from.LightColor.GetComponent(channel), to.LightColor.GetComponent(channel), t));
    FCurrentKey.BackColor.SetComponent(
        channel, LerpByte(from.BackColor.GetComponent(channel), to.BackColor.GetComponent(channel), t));
  }
  FCurrentKey.Fog = from.Fog || to.Fog;
  FCurrentKey.FogStart = static_cast<float>(Lerp(from.FogStart, to.FogStart, t));
  FCurrentKey.FogEnd = static_cast<float>(Lerp(from.FogEnd, to.FogEnd, t));
}

void TDayAnimation::AddKey(long double time, std::uint8_t lightRed, std::uint8_t lightGreen, std::uint8_t lightBlue,
                           std::uint8_t backRed, std::uint8_t backGreen, std::uint8_t backBlue, bool fog,
                           float fogStart, float fogEnd) {
  auto& key = static_cast<TDayKey&>(GetKey(Add(time)));
  key.LightColor.SetRGBA(lightRed, lightGreen, lightBlue, 255);
  key.BackColor.SetRGBA(backRed, backGreen, backBlue, 255);
  key.Fog = fog;
  key.FogStart = fogStart;
  key.FogEnd = fogEnd;
}

void AddDayCycle(TDayAnimation& animation) {
  animation.SetLoop(true);
  long double time = 0;
  for (const TDayTime& row : kDayCycle) {
    time += row.Step;
    animation.AddKey(time, row.Light[0], row.Light[1], row.Light[2], row.Back[0], row.Back[1], row.Back[2], row.Fog,
                     row.FogStart, row.FogEnd);
  }
}

long double ClockCycleTime(long double secondsSinceMidnight) {
  const long double sinceStart = std::fmod(secondsSinceMidnight - kCycleStartOnTheClock + kDaySeconds, kDaySeconds);
  return sinceStart * kCycleSeconds / kDaySeconds;
}
