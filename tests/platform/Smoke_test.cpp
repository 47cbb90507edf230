#include <gtest/gtest.h>
#include "platform/rtl/Exceptions.h"
TEST(Smoke, Builds) { EXPECT_STREQ(rtl::EReadError().what(), "Stream read error"); }
