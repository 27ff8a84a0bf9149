#pragma once

// A transfer that ended on a network error (no answer, a reset or stalled
// connection, a 5xx, 408 or 429 reply) is tried again after a pause that
// doubles each time (1 s, 2 s, 4 s ... by default), or the longer wait a busy
// server asked for with Retry-After, and resumes from the partial file the
// failed attempt left. An attempt that grew the partial file is not counted
// and starts the pauses over from the first. When a pause begins, the last
// progress report is given again, so that the speed shows 0 while it lasts.
// Other failures (a full disk, a
// 404, a file that fails its checksum) would only fail again and end at once.
// Both front ends wrap their fetcher in it; the number of retries is read
// when a transfer fails (config.ini's `retries`, quorvo-cli's --retries).

#include "download/SongFetcher.h"

#include <chrono>
#include <functional>

namespace quorvo::download {

struct FetchNotices {
    // (the song's files, retry number from 1, pause before it).
    std::function<void(const service::SongPaths& target, int64_t retry, std::chrono::milliseconds pause)> retrying;
    // A whole fresh file whose audio does not match its own checksum.
    std::function<void(const service::SongPaths& target)> corrupt;
};

// Whether trying again may help: the network or the server failed, not the
// disk, the song's address or the file itself.
bool isNetworkFailure(const FailureReason& reason);

class RetryingFetcher final : public SongFetcher {
public:
    // A Retry-After beyond this is not waited for in full.
    static constexpr std::chrono::seconds longestRetryAfter {600};
    // The doubling pauses grow no further than this.
    static constexpr std::chrono::seconds longestPause {600};

    // `inner` must outlive this fetcher; `retries` is asked each time a
    // transfer fails (any thread). The notices are called on the worker's thread.
    RetryingFetcher(SongFetcher& inner, std::function<int64_t()> retries, std::chrono::milliseconds firstPause,
                    FetchNotices notices = {})
        : m_inner(inner)
        , m_retries(std::move(retries))
        , m_firstPause(firstPause)
        , m_notices(std::move(notices))
    { }
    // A fixed number of retries.
    RetryingFetcher(SongFetcher& inner, int64_t retries, std::chrono::milliseconds firstPause,
                    FetchNotices notices = {})
        : RetryingFetcher(
            inner, [retries] { return retries; }, firstPause, std::move(notices))
    { }

    void fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const AbortFlag& abortFlag) override;
    Bytes lyrics(const Text& lyricUrl, const AbortFlag& abortFlag) override;
    std::optional<service::ResolvedLink> resolveLink(const Text& songId, const AbortFlag& abortFlag) override;
    // A raise of the abort flag during a pause ends the wait at once; it is
    // then acknowledged (cleared) and counts as an aborted transfer.
    TransferResult transfer(const Text& url, const service::SongPaths& target, const ProgressCallback& progress,
                            SpeedLimit limit, AbortFlag& abortFlag, const TransferIdentity& identity,
                            TransferReply* reply) override;

    // The pause before retry `retry` (from 1): firstPause × 2^(retry - 1) up to
    // longestPause, or the reply's Retry-After when that is longer.
    [[nodiscard]] std::chrono::milliseconds pauseBefore(int64_t retry, const TransferReply& reply = {}) const;

private:
    SongFetcher& m_inner;
    std::function<int64_t()> m_retries;
    std::chrono::milliseconds m_firstPause;
    FetchNotices m_notices;
};

}  // namespace quorvo::download
