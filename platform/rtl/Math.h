#pragma once

#include <cmath>
#include <cstdint>

namespace rtl {

// Round: halves go to the even neighbour (under the default rounding mode, which the
// floating-point guard keeps).
inline std::int64_t Round(long double x) { return static_cast<std::int64_t>(std::nearbyintl(x)); }

// Trunc: toward zero.
inline std::int64_t Trunc(long double x) { return static_cast<std::int64_t>(std::truncl(x)); }

}  // namespace rtl
