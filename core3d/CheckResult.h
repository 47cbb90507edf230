#pragma once

#include <cstdint>
#include <string_view>

// The one rule for results of platform calls: 0 passes; anything else raises an exception whose
// text is `message`, then " code: ", then the decimal value of the result's low 12 bits.
// The message is only turned into text on a failure, so a passing check costs a compare.
void CheckResult(std::int32_t result, std::string_view message);
