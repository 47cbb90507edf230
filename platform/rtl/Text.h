#pragma once

#include <string_view>

namespace rtl {

// Case-insensitive comparison of 8-bit text: ASCII letters, and the Cyrillic letters of the
// 1251 code page that the world's names and constants are written in. Returns <0, 0 or >0.
int CompareText(std::string_view a, std::string_view b);

inline bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

}  // namespace rtl
