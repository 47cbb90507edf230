#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/rtl/Exceptions.h"

namespace testing_support {

// The message an operation raises, or "(nothing raised)".
template <class Operation>
std::string MessageOf(Operation&& operation) {
  try {
    operation();
  } catch (const rtl::Exception& error) {
    return error.what();
  }
  return "(nothing raised)";
}

// Expects `action` to raise the framework's exception with exactly `message`.
inline void ExpectRaises(const std::function<void()>& action, const std::string& message) {
  EXPECT_EQ(MessageOf(action), message);
}

}  // namespace testing_support
