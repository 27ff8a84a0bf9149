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
    const auto start = ProgressReporter::Clock::now();
    const Transferring first = reporter.report(5'010'240, 10'000'000, start);
    EXPECT_EQ(statusText(first), "50%");
    EXPECT_EQ(speedText(first.bytesPerSecond), speedPrefix + "0 KB/s");
    // A full window (just over a second) shows its byte difference.
    const Transferring second
        = reporter.report(5'010'240 + 512 * 1024, 10'000'000, start + std::chrono::milliseconds(1001));
    EXPECT_EQ(speedText(second.bytesPerSecond), speedPrefix + "512 KB/s");
}

// The last report comes before its window ends: 200 KB in a fifth of a
// second is 1000 KB/s, not 200.
TEST(ProgressReporter, ShortLastWindowShowsARatePerSecond)
{
    ProgressReporter reporter;
    const auto start = ProgressReporter::Clock::now();
    reporter.report(10240, 10240 + 200 * 1024, start);
    const Transferring last
        = reporter.report(10240 + 200 * 1024, 10240 + 200 * 1024, start + std::chrono::milliseconds(200));
    EXPECT_EQ(speedText(last.bytesPerSecond), speedPrefix + "1000 KB/s");
}

TEST(ProgressReporter, ResetMakesTheNextTransferStartAtSpeedZero)
{
    ProgressReporter reporter;
    reporter.report(100, 1000);
    reporter.report(2148, 4000);
    reporter.reset();
    EXPECT_EQ(speedText(reporter.report(3000, 4000).bytesPerSecond), speedPrefix + "0 KB/s");
}

TEST(ProgressReporter, FinalReportShowsOneHundredPercent)
{
    ProgressReporter reporter;
    reporter.report(10240, 8'000'000);
    EXPECT_EQ(statusText(reporter.report(8'000'000, 8'000'000)), "100%");
}

}  // namespace
}  // namespace quorvo::download
