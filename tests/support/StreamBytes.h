#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/rtl/MemoryStream.h"

namespace testing_support {

// "04 00 00 00 54" -> bytes; spaces are ignored.
std::vector<std::uint8_t> Hex(const std::string& text);
// bytes -> "04 00 00 00 54", for readable failure messages.
std::string ToHex(const std::vector<std::uint8_t>& bytes);

// A stream holding the given bytes, positioned at the start.
rtl::TMemoryStream StreamOf(const std::vector<std::uint8_t>& bytes);

// A fresh temporary directory removed when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string File(const std::string& name) const { return FPath + "/" + name; }
  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};

}  // namespace testing_support
