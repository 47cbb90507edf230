#pragma once

// Time-keyed animations that are independent of the retained-mode animation objects: a time cursor
// that clamps or wraps (TAnimation), a time-stamped key (TAnimationKey), and an ordered list of keys
// blended around the current time (TKeyAnimation). Subclasses supply the key type and the blend.
// Times are seconds.

#include <cstdint>
#include <memory>
#include <vector>

class TAnimation {
 public:
  virtual ~TAnimation() = default;

  long double Time() const { return FTime; }
  long double StartTime() const { return FStartTime; }
  long double EndTime() const { return FEndTime; }
  bool Loop() const { return FLoop; }
  void SetLoop(bool value) { FLoop = value; }

  // Called after Time changed.
  virtual void Changed() {}
  // Moves Time to x, wrapped over the key span when looping, clamped to it otherwise.
  virtual void Update(long double x);

 protected:
  void SetStartTime(long double value) { FStartTime = value; }
  void SetEndTime(long double value) { FEndTime = value; }

 private:
  long double Wrapped(long double x) const;
  long double Clamped(long double x) const;

  // Below every time the show uses, so that the first Update always reaches Changed.
  long double FTime = -1.0L;
  long double FStartTime = 0.0L;
  long double FEndTime = 0.0L;
  bool FLoop = false;
};

class TAnimationKey {
 public:
  explicit TAnimationKey(long double time) : FTime(time) {}
  virtual ~TAnimationKey() = default;

  long double Time() const { return FTime; }

 private:
  long double FTime;
};

class TKeyAnimation : public TAnimation {
 public:
  void Changed() override;
  // Moves the time only when there is a key to show.
  void Update(long double x) override;

  virtual std::unique_ptr<TAnimationKey> CreateKey(long double time) = 0;
  // Blends a and b by t (0 gives a); a and b are the same key when Time is at or past the last key.
  virtual void Interpolate(const TAnimationKey& a, const TAnimationKey& b, long double t) = 0;
  // Inserts after every key at most as late, so keys at one time keep the order they were added in.
  // Returns the new key's index.
  virtual int Add(long double time);
  virtual void Delete(int index);

  TAnimationKey& GetKey(int index) const;
  int KeyCount() const { return static_cast<int>(FKeys.size()); }
  // The last key at or before x (the first of several at x itself); 0 before the first key.
  int IndexByTime(long double x) const;

 private:
  std::vector<std::unique_ptr<TAnimationKey>> FKeys;
};

long double Lerp(long double a, long double b, long double t);
// Clamped to a byte, as callers may pass t outside [0, 1] before the first key.
std::uint8_t LerpByte(std::uint8_t a, std::uint8_t b, long double t);
