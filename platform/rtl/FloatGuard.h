#pragma once

#include <cfenv>

namespace rtl {

// Masks every floating-point exception for its lifetime and restores the previous environment
// (masks, flags, rounding) when it ends, on every path out of the scope. Rendering and the
// sound update run under one, so a stray division by zero in a frame never traps.
class FloatExceptionGuard {
 public:
  FloatExceptionGuard();
  ~FloatExceptionGuard();
  FloatExceptionGuard(const FloatExceptionGuard&) = delete;
  FloatExceptionGuard& operator=(const FloatExceptionGuard&) = delete;

 private:
  std::fenv_t FSaved;
};

}  // namespace rtl
