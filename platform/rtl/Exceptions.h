#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace rtl {

// The framework's general exception: the message is the text the user sees, exactly.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};

// A stream ended before a record did: "Stream read error".
class EReadError : public EStreamError {
 public:
  EReadError();
};

// A stream refused bytes: "Stream write error".
class EWriteError : public EStreamError {
 public:
  EWriteError();
};

// "Cannot open file %s"
class EFOpenError : public EStreamError {
 public:
  explicit EFOpenError(const std::string& fileName);
};

// "Cannot create file %s"
class EFCreateError : public EStreamError {
 public:
  explicit EFCreateError(const std::string& fileName);
};

// "List index out of bounds (%d)"
class EListError : public Exception {
 public:
  explicit EListError(std::int64_t index);
};

// "Invalid class typecast"
class EInvalidCast : public Exception {
 public:
  EInvalidCast();
};

// "'%s' is not a valid integer value": a text that should have been a number.
class EConvertError : public Exception {
 public:
  explicit EConvertError(const std::string& text);
};

// Reads a whole text as a decimal integer, or raises EConvertError.
std::int64_t StrToInt(const std::string& text);

// A broken programming contract that the original stopped on with "Assertion failure".
class EAssertionFailed : public Exception {
 public:
  explicit EAssertionFailed(const std::string& what);
};

// Raises the list index error unless 0 <= index < count.
inline void CheckListIndex(std::int64_t index, std::int64_t count) {
  if (index < 0 || index >= count) throw EListError(index);
}

}  // namespace rtl
