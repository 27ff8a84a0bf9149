// The one speed limit of all transfers, against the reference service with
// throttled song files: the bytes of every window, summed over the transfers
// that share the limiter, never exceed the limit, however small; a change
// holds from the next window on. And a transfer that a busy server turns away
// is tried again after the server's Retry-After, resuming its partial file.
//
// A busy machine can only make the transfers slower, never faster: the checks
// are on the bytes each window carried (the limiter's own accounting and the
// transfers' reports), not on the time anything took.

#include "download/RateLimiter.h"
#include "download/RetryingFetcher.h"
#include "download/ServiceSongFetcher.h"
#include "download/Transfer.h"

#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* plainSong = "9900001";

std::string songPath(const std::string& id)
{
    return "/data2/music/" + id + "/" + id + ".flac";
}

// The windows the limiter saw end.
class WindowLog {
public:
    explicit WindowLog(RateLimiter& limiter)
    {
        limiter.onWindowEnd([this](const LimiterWindow& window) {
            const std::lock_guard lock(m_mutex);
            m_windows.push_back(window);
        });
    }
    std::vector<LimiterWindow> windows() const
    {
        const std::lock_guard lock(m_mutex);
        return m_windows;
    }
    std::size_t filled() const
    {
        const std::lock_guard lock(m_mutex);
        return static_cast<std::size_t>(
            std::count_if(m_windows.begin(), m_windows.end(), [](const LimiterWindow& w) { return w.filled; }));
    }

private:
    mutable std::mutex m_mutex;
    std::vector<LimiterWindow> m_windows;
};

// The `done` of every report of one transfer.
class Reports {
public:
    ProgressCallback callback()
    {
        return [this](int64_t done, int64_t) {
            const std::lock_guard lock(m_mutex);
            m_done.push_back(done);
        };
    }
    std::vector<int64_t> done() const
    {
        const std::lock_guard lock(m_mutex);
        return m_done;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<int64_t> m_done;
};

int64_t bytesIn(const fs::path& directory)
{
    int64_t bytes = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        if (entry.is_regular_file())
            bytes += static_cast<int64_t>(entry.file_size());
    }
    return bytes;
}

class SharedLimitTest : public ::testing::TestWithParam<int64_t> {
protected:
    Text target(const std::string& name) const { return platform::fromNativePath(m_dir.file(name)); }
    Text songUrl() const { return Text(m_server.baseUrl() + songPath(plainSong)); }

    test::TempDir m_dir;
    // 400 KB/s per connection: two of them could take more than any limit below.
    test::ReferenceServer m_server {{"--fault-rate", "409600", "--fault-on", "files"}};
    // The audio check would only cost the machine time here.
    TransferSettings m_settings {5000ms, 30s, false};
};

// Two transfers (each fetching the song again and again) share one limiter
// until it has had to hold them back in three windows.
TEST_P(SharedLimitTest, TheLimitHoldsForTheSumOfTwoTransfersInEveryWindow)
{
    const int64_t limitKBps = GetParam();
    const int64_t quota = limitKBps * bytesPerKB;
    RateLimiter limiter(limitKBps);
    const WindowLog log(limiter);
    std::atomic<bool> stop {false};
    AbortFlag abortFlags[2];
    std::vector<Reports> reports(64);
    std::atomic<std::size_t> transfers {0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 2; ++i) {
        threads.emplace_back([&, i] {
            for (int round = 0; !stop; ++round) {
                const std::size_t n = transfers++;
                if (n >= reports.size())
                    return;
                std::array<char, 32> name {};
                std::snprintf(name.data(), name.size(), "t%d-%d.flac", i, round);
                const Text path = target(name.data());
                if (transferFile(songUrl(), path, reports[n].callback(), limiter, abortFlags[i], m_settings)
                    != TransferResult::Completed)
                    return;
            }
        });
    }
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (log.filled() < 3 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    stop = true;
    for (AbortFlag& flag : abortFlags)
        flag.raise();
    for (std::thread& thread : threads)
        thread.join();

    ASSERT_GE(log.filled(), 3u) << "the transfers never came up to the limit";
    for (const LimiterWindow& window : log.windows()) {
        EXPECT_EQ(window.quota, quota) << window.number;
        EXPECT_LE(window.granted, quota) << window.number;
        // The limiter's own arithmetic: a window it held back was full to the byte.
        if (window.filled) {
            EXPECT_EQ(window.granted, quota) << window.number;
        }
    }
    // No byte reached the disk without being granted, and none was granted and lost.
    EXPECT_EQ(bytesIn(m_dir.path()), limiter.totalGranted());
    // Each transfer's reports come once per window: none counts more than a window's quota.
    for (std::size_t n = 0; n < std::min(transfers.load(), reports.size()); ++n) {
        const std::vector<int64_t> done = reports[n].done();
        for (std::size_t k = 1; k < done.size(); ++k)
            EXPECT_LE(done[k] - done[k - 1], quota) << "transfer " << n << ", report " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(KilobytesPerSecond, SharedLimitTest, ::testing::Values(1, 100, 500));

// The limit is read again when a window begins: lowered during one window,
// the next already holds to it.
TEST_F(SharedLimitTest, ALimitChangedDuringATransferHoldsFromTheNextWindow)
{
    RateLimiter limiter(100);
    const WindowLog log(limiter);
    AbortFlag abortFlag;
    std::vector<int64_t> done;
    uint64_t changedIn = 0;
    const ProgressCallback progress = [&](int64_t bytes, int64_t) {
        done.push_back(bytes);
        if (done.size() == 2) {
            // The window that began with this report; its predecessor has been told.
            changedIn = log.windows().size() + 1;
            limiter.setLimit(20);
        }
        if (done.size() == 6)
            abortFlag.raise();
    };
    EXPECT_EQ(transferFile(songUrl(), target("song.flac"), progress, limiter, abortFlag, m_settings),
              TransferResult::Aborted);

    ASSERT_EQ(done.size(), 6u);
    const std::vector<LimiterWindow> windows = log.windows();
    ASSERT_GE(windows.size(), changedIn + 2);
    for (const LimiterWindow& window : windows) {
        EXPECT_EQ(window.quota, window.number <= changedIn ? 100 * bytesPerKB : 20 * bytesPerKB) << window.number;
        EXPECT_LE(window.granted, window.quota) << window.number;
    }
    // Reports 3 and later count the bytes of windows that began after the change.
    for (std::size_t k = 3; k < done.size(); ++k)
        EXPECT_LE(done[k] - done[k - 1], 20 * bytesPerKB) << k;
    EXPECT_GT(done[2] - done[1], 20 * bytesPerKB) << "the window of the change still had the old limit";
}

// A busy server turns the transfer away with 503 and "Retry-After: 1": the
// retry waits that second (not the short first pause), asks for the rest of
// the partial file only, and the song ends byte for byte the server's.
TEST(RetryTest, A503WithRetryAfterIsWaitedForAndTheRetryResumesThePartialFile)
{
    const test::TempDir dir;
    const test::ReferenceServer server(
        {"--fault-status", "503", "--fault-retry-after", "1", "--fault-times", "1", "--fault-on", "files"});
    const std::string expected = test::readWholeFile(test::cachedSongFile(server, plainSong, "flac"));
    ASSERT_GT(expected.size(), 100000u);
    const std::size_t offset = expected.size() / 3;
    // A partial file as an earlier transfer left it (with its, here empty, stored identity).
    test::writeWholeFile(dir.file("song.flac.tmp"), expected.substr(0, offset));
    ASSERT_EQ(::setxattr(dir.file("song.flac.tmp").c_str(), "user.quorvo.song", "", 0, 0), 0);

    ServiceSongFetcher inner(service::ServiceEndpoints(Text(server.host())));
    std::vector<std::chrono::milliseconds> pauses;
    FetchNotices notices;
    notices.retrying
        = [&pauses](const service::SongPaths&, int64_t, std::chrono::milliseconds pause) { pauses.push_back(pause); };
    RetryingFetcher fetcher(inner, 1, 10ms, notices);
    const Text song = platform::fromNativePath(dir.file("song.flac"));
    AbortFlag abortFlag;
    TransferReply reply;
    EXPECT_EQ(fetcher.transfer(Text(server.baseUrl() + songPath(plainSong)),
                               {song, Text(), service::partialPathOf(song)}, {}, 0, abortFlag, {}, &reply),
              TransferResult::Completed);
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds> {1000ms});
    EXPECT_TRUE(test::readWholeFile(dir.file("song.flac")) == expected);
    EXPECT_FALSE(fs::exists(dir.file("song.flac.tmp")));
    const std::vector<test::RequestLogEntry> requests = server.requestsTo(songPath(plainSong));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].status, 503);
    EXPECT_EQ(requests[1].header("Range"), "bytes=" + std::to_string(offset) + "-");
    EXPECT_EQ(requests[1].status, 206);
}

}  // namespace
}  // namespace quorvo::download
