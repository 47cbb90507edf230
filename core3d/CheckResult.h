#pragma once

#include <cstdint>
#include <string>

// The one rule for results of platform calls: 0 passes; anything else raises an exception whose
// text is `message`, then " code: ", then the decimal value of the result's low 12 bits.
void CheckResult(std::int32_t result, const std::string& message);
