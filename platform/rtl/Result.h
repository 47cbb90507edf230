#pragma once

#include <cstdint>

namespace rtl {

// Result codes of the display, 3D and sound stand-ins: 0 is success; failures carry the original
// platform's facility in the high word, so a message's " code: " suffix (the low 12 bits) reads the
// same as it always did.
constexpr std::int32_t kOk = 0;

constexpr std::int32_t MakeDXResult(std::uint32_t code) { return static_cast<std::int32_t>(0x88760000u + code); }

// The generic failures every layer shares.
constexpr std::int32_t E_INVALIDARG = static_cast<std::int32_t>(0x80070057u);
constexpr std::int32_t E_OUTOFMEMORY = static_cast<std::int32_t>(0x8007000Eu);
constexpr std::int32_t E_FAIL = static_cast<std::int32_t>(0x80004005u);

}  // namespace rtl
