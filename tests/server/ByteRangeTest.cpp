#include "service/ByteRange.h"

#include <gtest/gtest.h>

namespace quorvo::server {
namespace {

using Kind = RangeDecision::Kind;

TEST(ByteRange, OpenEndedRangeRunsToTheLastByte)
{
    const RangeDecision decision = decideRange("bytes=100-", 1000);
    EXPECT_EQ(decision.kind, Kind::Partial);
    EXPECT_EQ(decision.first, 100u);
    EXPECT_EQ(decision.last, 999u);
}

TEST(ByteRange, StartAtTheLastByteGivesOneByte)
{
    const RangeDecision decision = decideRange("bytes=999-", 1000);
    EXPECT_EQ(decision.kind, Kind::Partial);
    EXPECT_EQ(decision.first, 999u);
    EXPECT_EQ(decision.last, 999u);
}

TEST(ByteRange, StartAtOrBeyondTheEndIsUnsatisfiable)
{
    EXPECT_EQ(decideRange("bytes=1000-", 1000).kind, Kind::Unsatisfiable);
    EXPECT_EQ(decideRange("bytes=5000-6000", 1000).kind, Kind::Unsatisfiable);
}

TEST(ByteRange, HugeNumbersDoNotOverflowIntoASmallStart)
{
    EXPECT_EQ(decideRange("bytes=99999999999999999999999999-", 1000).kind, Kind::Unsatisfiable);
    const RangeDecision capped = decideRange("bytes=10-99999999999999999999999999", 1000);
    EXPECT_EQ(capped.kind, Kind::Partial);
    EXPECT_EQ(capped.last, 999u);
}

TEST(ByteRange, ClosedRangeEndBeyondTheFileIsClamped)
{
    const RangeDecision decision = decideRange("bytes=10-5000", 1000);
    EXPECT_EQ(decision.kind, Kind::Partial);
    EXPECT_EQ(decision.first, 10u);
    EXPECT_EQ(decision.last, 999u);
}

TEST(ByteRange, SuffixRangeGivesTheLastBytes)
{
    const RangeDecision decision = decideRange("bytes=-5", 1000);
    EXPECT_EQ(decision.kind, Kind::Partial);
    EXPECT_EQ(decision.first, 995u);
    EXPECT_EQ(decision.last, 999u);
    const RangeDecision all = decideRange("bytes=-5000", 1000);
    EXPECT_EQ(all.first, 0u);
    EXPECT_EQ(decideRange("bytes=-0", 1000).kind, Kind::Unsatisfiable);
}

TEST(ByteRange, BackwardsRangeIsIgnoredNotRefused)
{
    EXPECT_EQ(decideRange("bytes=9-3", 1000).kind, Kind::Whole);
}

TEST(ByteRange, UnknownUnitsGarbageAndMultipleRangesAreIgnored)
{
    EXPECT_EQ(decideRange("items=1-2", 1000).kind, Kind::Whole);
    EXPECT_EQ(decideRange("bytes=abc-", 1000).kind, Kind::Whole);
    EXPECT_EQ(decideRange("bytes=1-2,5-6", 1000).kind, Kind::Whole);
    EXPECT_EQ(decideRange("bytes", 1000).kind, Kind::Whole);
    EXPECT_EQ(decideRange("", 1000).kind, Kind::Whole);
    EXPECT_EQ(decideRange("bytes=-", 1000).kind, Kind::Whole);
}

TEST(ByteRange, UnitIsCaseInsensitiveAndBlanksAroundTheSpecAreAllowed)
{
    const RangeDecision decision = decideRange("BYTES = 7 -", 1000);
    EXPECT_EQ(decision.kind, Kind::Partial);
    EXPECT_EQ(decision.first, 7u);
}

}  // namespace
}  // namespace quorvo::server
