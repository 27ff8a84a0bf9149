#include "download/RetryingFetcher.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;

struct Answer {
    // A failure without a reason is a connection the server cut.
    Answer(TransferResult answered, TransferReply replied = {})
        : result(answered)
        , reply(replied)
    {
        if (result == TransferResult::Failed && reply.failure.empty())
            reply.failure = FailureReason {FailureKind::ServerStopped};
    }
    TransferResult result;
    TransferReply reply;
};

// Answers transfers from a script; the last answer repeats.
class ScriptedFetcher final : public SongFetcher {
public:
    explicit ScriptedFetcher(std::vector<Answer> script)
        : m_script(std::move(script))
    { }

    void fetchLyrics(const Text&, const Text&, const AbortFlag&) override { }
    std::optional<service::ResolvedLink> resolveLink(const Text&, const AbortFlag&) override { return std::nullopt; }
    TransferResult transfer(const Text&, const service::SongPaths&, const ProgressCallback& progress, SpeedLimit,
                            AbortFlag&, const TransferIdentity&, TransferReply* reply) override
    {
        const Answer& answer = m_script[std::min(m_calls++, m_script.size() - 1)];
        if (progress)
            progress(static_cast<int64_t>(m_calls) * 100, 1000);
        if (reply)
            *reply = answer.reply;
        return answer.result;
    }

    std::size_t m_calls = 0;

private:
    std::vector<Answer> m_script;
};

TransferResult transferOnce(RetryingFetcher& fetcher, AbortFlag& abortFlag, const Text& url = "http://h/f.mp3")
{
    const service::SongPaths target {"/tmp/f.mp3", "/tmp/f.lrc", "/tmp/f.mp3.tmp"};
    return fetcher.transfer(url, target, {}, 0, abortFlag, {}, nullptr);
}

TransferReply failedWith(FailureReason reason)
{
    TransferReply reply;
    reply.failure = reason;
    return reply;
}

FetchNotices recordPauses(std::vector<std::chrono::milliseconds>& pauses)
{
    FetchNotices notices;
    notices.retrying
        = [&pauses](const service::SongPaths&, int64_t, std::chrono::milliseconds pause) { pauses.push_back(pause); };
    return notices;
}

TEST(RetryingFetcher, AFailedTransferIsTriedAgainUntilItCompletes)
{
    ScriptedFetcher inner({{TransferResult::Failed}, {TransferResult::Failed}, {TransferResult::Completed}});
    std::vector<std::chrono::milliseconds> pauses;
    RetryingFetcher fetcher(inner, 3, 1ms, recordPauses(pauses));
    AbortFlag abortFlag;
    EXPECT_EQ(transferOnce(fetcher, abortFlag), TransferResult::Completed);
    EXPECT_EQ(inner.m_calls, 3u);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds> {1ms, 2ms}));
}

TEST(RetryingFetcher, NoRetriesLeftGivesTheFailureAndAnAbortOrACorruptFileIsNeverRetried)
{
    ScriptedFetcher failing(std::vector<Answer> {{TransferResult::Failed}});
    RetryingFetcher twice(failing, 2, 0ms);
    AbortFlag abortFlag;
    EXPECT_EQ(transferOnce(twice, abortFlag), TransferResult::Failed);
    EXPECT_EQ(failing.m_calls, 3u);

    ScriptedFetcher aborted({{TransferResult::Aborted}, {TransferResult::Completed}});
    RetryingFetcher retrying(aborted, 5, 0ms);
    EXPECT_EQ(transferOnce(retrying, abortFlag), TransferResult::Aborted);
    EXPECT_EQ(aborted.m_calls, 1u);

    ScriptedFetcher corrupt({{TransferResult::Corrupt}, {TransferResult::Completed}});
    std::vector<Text> told;
    FetchNotices notices;
    notices.corrupt = [&told](const service::SongPaths& target) { told.push_back(target.song); };
    RetryingFetcher checking(corrupt, 5, 0ms, notices);
    EXPECT_EQ(transferOnce(checking, abortFlag), TransferResult::Corrupt);
    EXPECT_EQ(corrupt.m_calls, 1u);
    EXPECT_EQ(told, std::vector<Text> {Text("/tmp/f.mp3")});
}

// Only the network may do better next time: a 404, a full disk or a link
// without an address would fail the same way after every pause.
TEST(RetryingFetcher, OnlyNetworkFailuresAreTriedAgain)
{
    const std::vector<std::pair<FailureReason, bool>> reasons {
        {FailureReason {FailureKind::NoAnswer}, true},         {FailureReason {FailureKind::ServerStopped}, true},
        {FailureReason {FailureKind::HttpStatus, 503}, true},  {FailureReason {FailureKind::HttpStatus, 500}, true},
        {FailureReason {FailureKind::HttpStatus, 429}, true},  {FailureReason {FailureKind::HttpStatus, 404}, false},
        {FailureReason {FailureKind::HttpStatus, 403}, false}, {FailureReason {FailureKind::NoSpace}, false},
        {FailureReason {FailureKind::DamagedFile}, false},     {FailureReason {FailureKind::BusyElsewhere}, false},
    };
    AbortFlag abortFlag;
    for (const auto& [reason, retried] : reasons) {
        SCOPED_TRACE(std::string(describe(reason).view()));
        ScriptedFetcher inner({{TransferResult::Failed, failedWith(reason)}, {TransferResult::Completed}});
        RetryingFetcher fetcher(inner, 3, 0ms);
        EXPECT_EQ(transferOnce(fetcher, abortFlag), retried ? TransferResult::Completed : TransferResult::Failed);
        EXPECT_EQ(inner.m_calls, retried ? 2u : 1u);
    }
    ScriptedFetcher noAddress({{TransferResult::Failed}, {TransferResult::Completed}});
    RetryingFetcher fetcher(noAddress, 3, 0ms);
    EXPECT_EQ(transferOnce(fetcher, abortFlag, " "), TransferResult::Failed);
    EXPECT_EQ(noAddress.m_calls, 1u);
}

// The number of retries is the settings' of the moment the transfer fails.
TEST(RetryingFetcher, TheRetriesAreReadWhenATransferFails)
{
    std::atomic<int64_t> retries {0};
    ScriptedFetcher inner({{TransferResult::Failed}, {TransferResult::Completed}});
    RetryingFetcher fetcher(
        inner, [&retries] { return retries.load(); }, 0ms);
    AbortFlag abortFlag;
    EXPECT_EQ(transferOnce(fetcher, abortFlag), TransferResult::Failed);
    retries = 1;
    inner.m_calls = 0;
    EXPECT_EQ(transferOnce(fetcher, abortFlag), TransferResult::Completed);
    EXPECT_EQ(inner.m_calls, 2u);
}

// While the pause lasts nothing moves: its last report is given again, so
// the row keeps its percentage and the speed label falls to 0.
TEST(RetryingFetcher, APauseRepeatsTheLastReport)
{
    ScriptedFetcher inner({{TransferResult::Failed}, {TransferResult::Completed}});
    RetryingFetcher fetcher(inner, 1, 0ms);
    std::vector<std::pair<int64_t, int64_t>> reports;
    AbortFlag abortFlag;
    const service::SongPaths target {"/tmp/f.mp3", "/tmp/f.lrc", "/tmp/f.mp3.tmp"};
    const ProgressCallback progress = [&reports](int64_t done, int64_t total) { reports.emplace_back(done, total); };
    EXPECT_EQ(fetcher.transfer("http://h/f.mp3", target, progress, 0, abortFlag, {}, nullptr),
              TransferResult::Completed);
    EXPECT_EQ(reports, (std::vector<std::pair<int64_t, int64_t>> {{100, 1000}, {100, 1000}, {200, 1000}}));
}

TEST(RetryingFetcher, PausesDoubleFromTheFirst)
{
    ScriptedFetcher inner(std::vector<Answer> {{TransferResult::Completed}});
    const RetryingFetcher fetcher(inner, 10, 1000ms);
    EXPECT_EQ(fetcher.pauseBefore(1), 1000ms);
    EXPECT_EQ(fetcher.pauseBefore(2), 2000ms);
    EXPECT_EQ(fetcher.pauseBefore(3), 4000ms);
    EXPECT_EQ(fetcher.pauseBefore(10), 512000ms);
    EXPECT_EQ(fetcher.pauseBefore(1000), RetryingFetcher::longestPause);
}

// A server that drops the connection every megabyte: each attempt grows the
// partial file, so none counts against the retries and the pause starts over.
TEST(RetryingFetcher, AttemptsThatMovedBytesAreNotCountedAndResetThePause)
{
    TransferReply grew;
    grew.advanced = true;
    ScriptedFetcher inner({{TransferResult::Failed, grew},
                           {TransferResult::Failed},
                           {TransferResult::Failed, grew},
                           {TransferResult::Failed, grew},
                           {TransferResult::Failed, grew},
                           {TransferResult::Completed}});
    std::vector<std::chrono::milliseconds> pauses;
    RetryingFetcher fetcher(inner, 1, 1ms, recordPauses(pauses));
    AbortFlag abortFlag;
    EXPECT_EQ(transferOnce(fetcher, abortFlag), TransferResult::Completed);
    EXPECT_EQ(inner.m_calls, 6u);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds> {1ms, 1ms, 1ms, 1ms, 1ms}));

    // Two fruitless attempts in a row use up one retry.
    ScriptedFetcher stuck({{TransferResult::Failed, grew}, {TransferResult::Failed}, {TransferResult::Failed}});
    RetryingFetcher once(stuck, 1, 0ms);
    EXPECT_EQ(transferOnce(once, abortFlag), TransferResult::Failed);
    EXPECT_EQ(stuck.m_calls, 3u);
}

// A busy server's Retry-After is waited for when it is longer than the
// doubling pause (and within reason when it is absurd).
TEST(RetryingFetcher, RetryAfterOfTheFailedReplyLengthensThePause)
{
    TransferReply busy;
    busy.status = 503;
    busy.retryAfter = 7s;
    ScriptedFetcher inner(std::vector<Answer> {{TransferResult::Completed}});
    const RetryingFetcher fetcher(inner, 3, 1000ms);
    EXPECT_EQ(fetcher.pauseBefore(1, busy), 7000ms);
    TransferReply absurd;
    absurd.retryAfter = std::chrono::hours(24);
    EXPECT_EQ(fetcher.pauseBefore(1, absurd), RetryingFetcher::longestRetryAfter);
    const RetryingFetcher slow(inner, 3, 10000ms);
    EXPECT_EQ(slow.pauseBefore(1, busy), 10000ms);
}

// A pause of an hour must not hold up the pause button: the raise ends it,
// and the retry answers the stopper's handshake by clearing the flag.
TEST(RetryingFetcher, AnAbortDuringThePauseEndsItAndIsAcknowledged)
{
    ScriptedFetcher inner({{TransferResult::Failed}, {TransferResult::Completed}});
    RetryingFetcher fetcher(inner, 1, std::chrono::hours(1));
    AbortFlag abortFlag;
    std::thread stopper([&] {
        abortFlag.raise();
        abortFlag.waitForClear(std::chrono::hours(1));
    });
    EXPECT_EQ(transferOnce(fetcher, abortFlag), TransferResult::Aborted);
    stopper.join();
    EXPECT_FALSE(abortFlag.isRaised());
    EXPECT_EQ(inner.m_calls, 1u);
}

}  // namespace
}  // namespace quorvo::download
