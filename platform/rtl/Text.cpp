#include "platform/rtl/Text.h"

#include <array>
#include <cstdint>

namespace rtl {

namespace {

// Upper-case folding table of code page 1251 (ASCII plus Cyrillic; other bytes map to themselves).
constexpr std::array<std::uint8_t, 256> MakeUpperTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 0; c < 256; ++c) table[c] = static_cast<std::uint8_t>(c);
  for (int c = 'a'; c <= 'z'; ++c) table[c] = static_cast<std::uint8_t>(c - 'a' + 'A');
  for (int c = 0xE0; c <= 0xFF; ++c) table[c] = static_cast<std::uint8_t>(c - 0x20);  // а..я
  table[0xB8] = 0xA8;  // ё
  table[0xA2] = 0xA1;  // ў
  table[0xB3] = 0xB2;  // і
  table[0xBA] = 0xAA;  // є
  table[0xBF] = 0xAF;  // ї
  table[0xBC] = 0xA3;  // ј
  table[0xBE] = 0xBD;  // ѕ
  table[0x9A] = 0x8A;  // љ
  table[0x9C] = 0x8C;  // њ
  table[0x9D] = 0x8D;  // ќ
  table[0x9E] = 0x8E;  // ћ
  table[0x9F] = 0x8F;  // џ
  table[0x90] = 0x80;  // ђ
  table[0x83] = 0x81;  // ѓ
  table[0xB4] = 0xA5;  // ґ
  return table;
}

constexpr auto kUpper = MakeUpperTable();

}  // namespace

int CompareText(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const int ca = kUpper[static_cast<std::uint8_t>(a[i])];
    const int cb = kUpper[static_cast<std::uint8_t>(b[i])];
    if (ca != cb) return ca - cb;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace rtl
