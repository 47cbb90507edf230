#pragma once

// The time service: a pausable stopwatch on the multimedia tick counter. The show reads its running
// time in seconds to drive motions and the day-time cycle; the render window counts frames with it.

#include <cstdint>
#include <memory>

// An elapsed time in milliseconds with its split into days, hours, minutes, seconds and milliseconds.
class TTime {
 public:
  std::uint32_t Total() const { return FTotal; }
  std::uint32_t Days() const { return FDays; }
  std::uint32_t Hours() const { return FHours; }
  std::uint32_t Minutes() const { return FMinutes; }
  std::uint32_t Seconds() const { return FSeconds; }
  std::uint32_t Milliseconds() const { return FMilliseconds; }

  // Stores the total and recomputes the split.
  void SetTotal(std::uint32_t milliseconds);
  void Clear();
  // Every 32-bit count is exact in a double.
  double AsMilliseconds() const { return FTotal; }
  double AsSeconds() const { return AsMilliseconds() / 1000.0; }

 private:
  std::uint32_t FTotal = 0;
  std::uint32_t FDays = 0;
  std::uint32_t FHours = 0;
  std::uint32_t FMinutes = 0;
  std::uint32_t FSeconds = 0;
  std::uint32_t FMilliseconds = 0;
};

// Accumulates into a TTime only while it runs, and only when the time is read. Stopped at creation
// with time 0. Holds a timer resolution request for its whole life.
class TTimer {
 public:
  // Period when the preferred resolution request failed and 1 ms was asked for instead.
  static constexpr std::uint32_t kFallbackPeriod = 0xFFFFFFFF;

  TTimer();
  ~TTimer();
  TTimer(const TTimer&) = delete;
  TTimer& operator=(const TTimer&) = delete;

  // Accumulates up to now first, then returns the time.
  const TTime& Time();
  std::uint32_t LastTick() const { return FLastTick; }
  bool Running() const { return FRunning; }
  std::uint32_t Period() const { return FPeriod; }

  // From 0, unless already running: starting a running timer keeps its time.
  void Start();
  // Counts up to now, then stops counting.
  void Pause();
  // Counts again from now: the paused interval is left out.
  void Resume();

 private:
  // Asks for `period` and remembers it when granted, so that the destructor ends exactly that request.
  bool BeginPeriod(std::uint32_t period);

  std::unique_ptr<TTime> FTime;
  std::uint32_t FLastTick = 0;
  bool FRunning = false;
  std::uint32_t FPeriod = kFallbackPeriod;
  // The resolution request in force: 0 when none was granted.
  std::uint32_t FBegunPeriod = 0;
};
