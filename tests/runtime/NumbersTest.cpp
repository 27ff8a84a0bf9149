#include "runtime/Numbers.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace numbers = quorvo::numbers;

TEST(Numbers, TextToIntegerTakesTheLeadingDigits)
{
    EXPECT_EQ(numbers::toInteger("42"), 42);
    EXPECT_EQ(numbers::toInteger("42abc"), 42);
    EXPECT_EQ(numbers::toInteger("abc42"), 0);
    EXPECT_EQ(numbers::toInteger(""), 0);
    EXPECT_EQ(numbers::toInteger("3.9"), 3);
    EXPECT_EQ(numbers::toInteger("-12"), -12);
    EXPECT_EQ(numbers::toInteger("  7"), 7);
    EXPECT_EQ(numbers::toInteger("-"), 0);
    // Full-width digits count: "１２" is A3 B1 A3 B2.
    EXPECT_EQ(numbers::toInteger("\xA3\xB1\xA3\xB2"), 12);
    EXPECT_EQ(numbers::toInteger("1\xA3\xB0"
                                 "0"),
              100);
    // A lone A3 at the end is not a digit.
    EXPECT_EQ(numbers::toInteger("5\xA3"), 5);
}

TEST(Numbers, TextToIntegerSaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(numbers::toInteger("99999999999999999999999"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(numbers::toInteger("-99999999999999999999999"), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(numbers::toInteger("9223372036854775807"), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(numbers::toInteger("-9223372036854775808"), std::numeric_limits<int64_t>::min());
}

TEST(Numbers, IntegersAndRealsAsText)
{
    EXPECT_EQ(numbers::fromInteger(0), "0");
    EXPECT_EQ(numbers::fromInteger(-15), "-15");
    EXPECT_EQ(numbers::fromReal(2.5), "2.5");
    EXPECT_EQ(numbers::fromReal(3.0), "3");
    EXPECT_EQ(numbers::fromReal(100.0), "100");
    EXPECT_EQ(numbers::fromReal(0.1234564), "0.123456");
    EXPECT_EQ(numbers::fromReal(1e-7), "0");
    EXPECT_EQ(numbers::fromReal(-1e-7), "0");
    EXPECT_EQ(numbers::fromReal(-2.25), "-2.25");
    EXPECT_EQ(numbers::fromReal(12345678.0), "12345678");
    EXPECT_EQ(numbers::fromReal(std::nan("")), "0");
}

TEST(Numbers, TruncationGoesTowardZeroAndRoundingHalfUp)
{
    EXPECT_EQ(numbers::truncateToInteger(3.9), 3);
    EXPECT_EQ(numbers::truncateToInteger(-3.9), -3);
    EXPECT_EQ(numbers::truncateToInteger(1e300), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(numbers::truncateToInteger(std::nan("")), 0);
    EXPECT_DOUBLE_EQ(numbers::roundHalfUp(2.5), 3.0);
    EXPECT_DOUBLE_EQ(numbers::roundHalfUp(-2.5), -2.0);
    EXPECT_DOUBLE_EQ(numbers::roundHalfUp(2.4999), 2.0);
    EXPECT_DOUBLE_EQ(numbers::roundHalfUp(1.25, 1), 1.3);
}
