#include "framework/Assert.h"

#include <gtest/gtest.h>

TEST(Assert, MessageNamesExpressionFileAndLine)
{
    EXPECT_EQ("Assertion failed: !IsOpen(), file src/Oc/BiosInterface.cpp, line 98",
              fw::FormatAssertion("!IsOpen()", "src/Oc/BiosInterface.cpp", 98));
}

TEST(AssertDeathTest, FailedAssertionEndsTheProgramWithItsMessage)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const int format = 24;
    EXPECT_DEATH(ASSERT(format == 32),
                 "Assertion failed: format == 32, file tests/framework/AssertTest.cpp, line");
}
