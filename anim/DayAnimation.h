#pragma once

// The world's light through the day: the ambient light colour, the background colour and the fog.
// The running cycle is a looping key animation over 320 seconds of show time; a fixed time of day
// is one row of the custom table, applied once. The "Clock" option runs the same cycle over the 24
// hours of the local clock, so the world is dark when the user's night is.

#include <array>
#include <cstdint>
#include <memory>

#include "anim/AnimClasses.h"
#include "core3d/Color3D.h"

// One state of the day: what the show copies into the scene.
class TDayKey : public TAnimationKey {
 public:
  explicit TDayKey(long double time) : TAnimationKey(time) {}

  void Assign(const TDayKey& other);

  TColor3D LightColor;
  TColor3D BackColor;
  bool Fog = false;
  float FogStart = 0.0f;
  float FogEnd = 0.0f;
};

class TDayAnimation : public TKeyAnimation {
 public:
  std::unique_ptr<TAnimationKey> CreateKey(long double time) override;
  void Interpolate(const TAnimationKey& a, const TAnimationKey& b, long double t) override;

  // Adds a key through Add; both colours get alpha 255.
  void AddKey(long double time, std::uint8_t lightRed, std::uint8_t lightGreen, std::uint8_t lightBlue,
              std::uint8_t backRed, std::uint8_t backGreen, std::uint8_t backBlue, bool fog, float fogStart,
              float fogEnd);

  // The blended state at the current time.
  const TDayKey& CurrentKey() const { return FCurrentKey; }

 private:
  TDayKey FCurrentKey{0.0L};
};

// A row of the day's tables, colours as red, green, blue.
struct TDayTime {
  long double Step;  // seconds after the previous key (the running cycle only)
  std::array<std::uint8_t, 3> Light;
  std::array<std::uint8_t, 3> Back;
  bool Fog;
  float FogStart;
  float FogEnd;
};

// The running cycle: eleven keys over 320 seconds; the last equals the first, so the loop is seamless.
extern const std::array<TDayTime, 11> kDayCycle;
// The fixed times of day, in the order of the time list: morning, afternoon, evening, night.
extern const std::array<TDayTime, 4> kCustomDayTimes;

// Adds the running cycle's keys and sets the animation looping.
void AddDayCycle(TDayAnimation& animation);

// Where the running cycle stands at a time of the local clock (seconds since midnight): the cycle's
// 320 seconds are spread over the 24 hours, its start (full day light) at a quarter to noon.
long double ClockCycleTime(long double secondsSinceMidnight);
