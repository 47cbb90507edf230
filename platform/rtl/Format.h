#pragma once

#include <string>
#include <type_traits>

namespace rtl {

namespace detail {
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

template <class T>
decltype(auto) FormatArg(const T& value) {
  if constexpr (std::is_same_v<T, std::string>) {
    return value.c_str();
  } else {
    return value;
  }
}
}  // namespace detail

// printf-style formatting for the framework's format strings ("%s%4.4d", "%dX%dX%d", "%.1f"):
// their meaning is the same as C's, and std::string arguments may stand for %s.
template <class... Args>
std::string Format(const char* format, const Args&... args) {
  return detail::FormatC(format, detail::FormatArg(args)...);
}

}  // namespace rtl
