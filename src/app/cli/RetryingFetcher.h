#pragma once

// The command line's --retries: a transfer that failed is tried again, after
// a pause that doubles each time (1 s, 2 s, 4 s ... by default) or the longer
// wait a busy server asked for with Retry-After, and resumes from the
// partial file the failed attempt left. An attempt that grew the partial file
// is not counted and starts the pauses over from the first (with --retries 0
// nothing is tried again). The window's worker never retries on
// its own; this wraps the real fetcher for quorvo-cli only, which also uses
// it to say why a song failed.

#include "download/SongFetcher.h"

#include <chrono>
#include <functional>

namespace quorvo::cli {

struct FetchNotices {
    // (the song's files, retry number from 1, pause before it).
    std::function<void(const service::SongPaths& target, int64_t retry, std::chrono::milliseconds pause)> retrying;
    // A whole fresh file whose audio does not match its own checksum.
    std::function<void(const service::SongPaths& target)> corrupt;
};

class RetryingFetcher final : public download::SongFetcher {
public:
    // A Retry-After beyond this is not waited for in full.
    static constexpr std::chrono::seconds longestRetryAfter {600};
    // The doubling pauses grow no further than this.
    static constexpr std::chrono::seconds longestPause {600};

    // `inner` must outlive this fetcher. The notices are called on the worker thread.
    RetryingFetcher(SongFetcher& inner, int64_t retries, std::chrono::milliseconds firstPause,
                    FetchNotices notices = {})
        : m_inner(inner)
        , m_retries(retries)
        , m_firstPause(firstPause)
        , m_notices(std::move(notices))
    { }

    void fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const download::AbortFlag& abortFlag) override;
    Bytes lyrics(const Text& lyricUrl, const download::AbortFlag& abortFlag) override;
    std::optional<service::ResolvedLink> resolveLink(const Text& songId, const download::AbortFlag& abortFlag) override;
    // A raise of the abort flag during a pause ends the wait at once; it is
    // then acknowledged (cleared) and counts as an aborted transfer.
    download::TransferResult transfer(const Text& url, const service::SongPaths& target,
                                      const download::ProgressCallback& progress, int64_t limitKBps,
                                      download::AbortFlag& abortFlag, const download::TransferIdentity& identity,
                                      download::TransferReply* reply) override;

    // The pause before retry `retry` (from 1): firstPause × 2^(retry - 1) up to
    // longestPause, or the reply's Retry-After when that is longer.
    [[nodiscard]] std::chrono::milliseconds pauseBefore(int64_t retry, const download::TransferReply& reply = {}) const;

private:
    SongFetcher& m_inner;
    int64_t m_retries;
    std::chrono::milliseconds m_firstPause;
    FetchNotices m_notices;
};

}  // namespace quorvo::cli
