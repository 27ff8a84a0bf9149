#include "download/RetryingFetcher.h"

#include "runtime/Text.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace quorvo::download {

bool isNetworkFailure(const FailureReason& reason)
{
    switch (reason.kind) {
    case FailureKind::NoAnswer:
    case FailureKind::ServerStopped:
        return true;
    case FailureKind::HttpStatus:
        return reason.httpStatus >= 500 || reason.httpStatus == 408 || reason.httpStatus == 429;
    default:
        return false;
    }
}

void RetryingFetcher::fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const AbortFlag& abortFlag)
{
    m_inner.fetchLyrics(lyricUrl, lyricPath, abortFlag);
}

Bytes RetryingFetcher::lyrics(const Text& lyricUrl, const AbortFlag& abortFlag)
{
    return m_inner.lyrics(lyricUrl, abortFlag);
}

std::optional<service::ResolvedLink> RetryingFetcher::resolveLink(const Text& songId, const AbortFlag& abortFlag)
{
    return m_inner.resolveLink(songId, abortFlag);
}

TransferResult RetryingFetcher::transfer(const Text& url, const service::SongPaths& target,
                                         const ProgressCallback& progress, SpeedLimit limit, AbortFlag& abortFlag,
                                         const TransferIdentity& identity, TransferReply* reply)
{
    // The last report of the attempts, said again when a pause begins: the
    // row keeps its percentage and the speed shows 0 while nothing moves.
    std::optional<std::pair<int64_t, int64_t>> reported;
    const ProgressCallback remembering = [&progress, &reported](int64_t done, int64_t total) {
        reported.emplace(done, total);
        if (progress)
            progress(done, total);
    };
    TransferReply last;
    TransferResult result = m_inner.transfer(url, target, remembering, limit, abortFlag, identity, &last);
    // Only attempts that moved nothing count against the retries and lengthen
    // the pause: a server that drops the connection every few megabytes still
    // gets the song through, each attempt resuming where the last one ended.
    // A link without a file address has nowhere to try again.
    const bool addressed = !text::trim(url.view()).empty();
    int64_t fruitless = 0;
    for (int64_t retry = 1; addressed && result == TransferResult::Failed && isNetworkFailure(last.failure); ++retry) {
        // No retries: nothing is tried again, not even an attempt that moved bytes.
        const int64_t allowed = m_retries();
        fruitless = last.advanced ? 0 : fruitless + 1;
        if (allowed <= 0 || fruitless > allowed)
            break;
        const std::chrono::milliseconds pause = pauseBefore(std::max<int64_t>(fruitless, 1), last);
        if (m_notices.retrying)
            m_notices.retrying(target, retry, pause);
        if (reported && progress)
            progress(reported->first, reported->second);
        if (abortFlag.sleepUntil(AbortFlag::Clock::now() + pause)) {
            abortFlag.clear();
            result = TransferResult::Aborted;
            last = {};
            break;
        }
        last = {};
        result = m_inner.transfer(url, target, remembering, limit, abortFlag, identity, &last);
    }
    if (result == TransferResult::Corrupt && m_notices.corrupt)
        m_notices.corrupt(target);
    if (reply)
        *reply = last;
    return result;
}

std::chrono::milliseconds RetryingFetcher::pauseBefore(int64_t retry, const TransferReply& reply) const
{
    // Doubling stops at the longest pause (or the first one, when that is longer).
    const std::chrono::milliseconds longest = std::max<std::chrono::milliseconds>(m_firstPause, longestPause);
    std::chrono::milliseconds doubled = m_firstPause;
    for (int64_t i = 1; i < retry && doubled < longest; ++i)
        doubled *= 2;
    doubled = std::min(doubled, longest);
    if (!reply.retryAfter)
        return doubled;
    return std::max<std::chrono::milliseconds>(doubled, std::min(*reply.retryAfter, longestRetryAfter));
}

}  // namespace quorvo::download
