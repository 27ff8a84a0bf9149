#include "download/ProgressReporter.h"

#include <gtest/gtest.h>

namespace quorvo::download {
namespace {

const Text speedPrefix("\xCF\xC2\xD4\xD8\xCB\xD9\xB6\xC8:");  // 下载速度:

TEST(PercentText, TruncatesTowardZero)
{
    EXPECT_EQ(percentText(999, 1000), "99%");
    EXPECT_EQ(percentText(0, 1000), "0%");
    EXPECT_EQ(percentText(1000, 1000), "100%");
}

TEST(PercentText, HugeFilesDoNotOverflow)
{
    const int64_t total = int64_t {1} << 61;
    EXPECT_EQ(percentText(total / 2, total), "50%");
}

TEST(PercentText, EmptyBodyShowsComplete)
{
    EXPECT_EQ(percentText(0, 0), "100%");
}

TEST(SpeedText, KilobytesRoundedHalfUpWithoutBlankAfterColon)
{
    EXPECT_EQ(speedText(0), speedPrefix + "0 KB/s");
    EXPECT_EQ(speedText(1535), speedPrefix + "1 KB/s");
    EXPECT_EQ(speedText(1536), speedPrefix + "2 KB/s");
    EXPECT_EQ(speedText(10240), speedPrefix + "10 KB/s");
}

TEST(ProgressReporter, FirstReportOfAResumedTransferShowsItsPercentAndSpeedZero)
{
    ProgressReporter reporter;
    const ProgressTexts first = reporter.report(5'010'240, 10'000'000);
    EXPECT_EQ(first.percent, "50%");
    EXPECT_EQ(first.speed, speedPrefix + "0 KB/s");
    const ProgressTexts second = reporter.report(5'010'240 + 512 * 1024, 10'000'000);
    EXPECT_EQ(second.speed, speedPrefix + "512 KB/s");
}

TEST(ProgressReporter, ResetMakesTheNextTransferStartAtSpeedZero)
{
    ProgressReporter reporter;
    reporter.report(100, 1000);
    reporter.report(2148, 4000);
    reporter.reset();
    EXPECT_EQ(reporter.report(3000, 4000).speed, speedPrefix + "0 KB/s");
}

TEST(ProgressReporter, FinalReportShowsOneHundredPercent)
{
    ProgressReporter reporter;
    reporter.report(10240, 8'000'000);
    EXPECT_EQ(reporter.report(8'000'000, 8'000'000).percent, "100%");
}

}  // namespace
}  // namespace quorvo::download
