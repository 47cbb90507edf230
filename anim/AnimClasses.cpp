#include "anim/AnimClasses.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Math.h"

namespace {

// Runs an operation of the key list, putting its name in front of any failure's message.
template <class Operation>
decltype(auto) Reporting(const char* prefix, Operation&& operation) {
  try {
    return operation();
  } catch (const std::exception& error) {
    throw rtl::Exception(prefix + std::string(error.what()));
  }
}

}  // namespace

void TAnimation::Update(long double x) {
  if (x == FTime) return;
  x = FLoop ? Wrapped(x) : Clamped(x);
  if (x == FTime) return;
  FTime = x;
  Changed();
}

long double TAnimation::Wrapped(long double x) const {
  const long double span = FEndTime - FStartTime;
  // One key, or keys all at one time, span nothing to wrap over.
  if (span == 0) return FStartTime;
  return x - rtl::Trunc(x / span) * span;
}

long double TAnimation::Clamped(long double x) const {
  if (x < FStartTime) return FStartTime;
  if (x > FEndTime) return FEndTime;
  return x;
}

void TKeyAnimation::Changed() {
  const int i = IndexByTime(Time());
  const TAnimationKey& a = *FKeys[i];
  if (i == KeyCount() - 1) {
    Interpolate(a, a, 0);
    return;
  }
  const TAnimationKey& b = *FKeys[i + 1];
  const long double d = b.Time() - a.Time();
  Interpolate(a, b, d > 0 ? (Time() - a.Time()) / d : 0);
}

void TKeyAnimation::Update(long double x) {
  if (!FKeys.empty()) TAnimation::Update(x);
}

int TKeyAnimation::Add(long double time) {
  return Reporting("TKeyAnimation Add is failed!\r\n", [&] {
    std::unique_ptr<TAnimationKey> key = CreateKey(time);
    // The first key leaves the span alone: it starts at 0 and grows with the later keys.
    if (FKeys.empty()) {
      FKeys.push_back(std::move(key));
      return 0;
    }
    const auto at = std::upper_bound(FKeys.begin(), FKeys.end(), time,
                                     [](long double x, const auto& k) { return x < k->Time(); });
    const int index = static_cast<int>(at - FKeys.begin());
    FKeys.insert(at, std::move(key));
    if (time < StartTime()) SetStartTime(time);
    if (time > EndTime()) SetEndTime(time);
    return index;
  });
}

void TKeyAnimation::Delete(int index) {
  Reporting("TKeyAnimation Delete is failed!\r\n", [&] {
    rtl::CheckListIndex(index, KeyCount());
    FKeys.erase(FKeys.begin() + index);
  });
}

TAnimationKey& TKeyAnimation::GetKey(int index) const {
  return Reporting("TKeyAnimation GetKey is failed!\r\n", [&]() -> TAnimationKey& {
    rtl::CheckListIndex(index, KeyCount());
    return *FKeys[index];
  });
}

int TKeyAnimation::IndexByTime(long double x) const {
  if (FKeys.empty()) throw rtl::Exception("TKeyAnimation IndexByTime is failed\r\nKeyCount is Zero!");
  int lo = 0;
  int hi = KeyCount();
  while (lo < hi) {
    const int mid = (lo + hi) / 2;
    if (x > FKeys[mid]->Time()) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  // lo is the first key at or after x; step back to the key before unless x sits on lo itself.
  if (lo == KeyCount() || FKeys[lo]->Time() > x) --lo;
  return std::max(lo, 0);
}

long double Lerp(long double a, long double b, long double t) { return a + t * (b - a); }

std::uint8_t LerpByte(std::uint8_t a, std::uint8_t b, long double t) {
  const std::int64_t value = a + rtl::Trunc(t * (b - a));
  return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255));
}
