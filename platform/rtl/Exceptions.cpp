#include "platform/rtl/Exceptions.h"

#include <charconv>

#include "platform/rtl/Format.h"

namespace rtl {

EReadError::EReadError() : EStreamError("Stream read error") {}

EWriteError::EWriteError() : EStreamError("Stream write error") {}

EFOpenError::EFOpenError(const std::string& fileName)
    : EStreamError(Format("Cannot open file %s", fileName)) {}

EFCreateError::EFCreateError(const std::string& fileName)
    : EStreamError(Format("Cannot create file %s", fileName)) {}

EListError::EListError(std::int64_t index)
    : Exception(Format("List index out of bounds (%lld)", static_cast<long long>(index))) {}

EInvalidCast::EInvalidCast() : Exception("Invalid class typecast") {}

EConvertError::EConvertError(const std::string& text)
    : Exception(Format("'%s' is not a valid integer value", text)) {}

std::int64_t StrToInt(const std::string& text) {
  std::int64_t value = 0;
  const char* first = text.data() + (text.starts_with('+') ? 1 : 0);
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last || first == last) throw EConvertError(text);
  return value;
}

EAssertionFailed::EAssertionFailed(const std::string& what)
    : Exception("Assertion failure: " + what) {}

}  // namespace rtl
