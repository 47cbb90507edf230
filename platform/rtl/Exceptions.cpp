#include "platform/rtl/Exceptions.h"

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

EAssertionFailed::EAssertionFailed(const std::string& what)
    : Exception("Assertion failure: " + what) {}

}  // namespace rtl
