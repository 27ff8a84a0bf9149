#include "app/cli/RetryingFetcher.h"

#include <algorithm>

namespace quorvo::cli {

using download::TransferReply;
using download::TransferResult;

void RetryingFetcher::fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const download::AbortFlag& abortFlag)
{
    m_inner.fetchLyrics(lyricUrl, lyricPath, abortFlag);
}

Bytes RetryingFetcher::lyrics(const Text& lyricUrl, const download::AbortFlag& abortFlag)
{
    return m_inner.lyrics(lyricUrl, abortFlag);
}

std::optional<service::ResolvedLink> RetryingFetcher::resolveLink(const Text& songId,
                                                                  const download::AbortFlag& abortFlag)
{
    return m_inner.resolveLink(songId, abortFlag);
}

TransferResult RetryingFetcher::transfer(const Text& url, const service::SongPaths& target,
                                         const download::ProgressCallback& progress, int64_t limitKBps,
                                         download::AbortFlag& abortFlag, const download::TransferIdentity& identity,
                                         TransferReply* reply)
{
    TransferReply last;
    TransferResult result = m_inner.transfer(url, target, progress, limitKBps, abortFlag, identity, &last);
    // Only attempts that moved nothing count against the retries and lengthen
    // the pause: a server that drops the connection every few megabytes still
    // gets the song through, each attempt resuming where the last one ended.
    int64_t fruitless = 0;
    for (int64_t retry = 1; m_retries > 0 && result == TransferResult::Failed; ++retry) {
        fruitless = last.advanced ? 0 : fruitless + 1;
        if (fruitless > m_retries)
            break;
        const std::chrono::milliseconds pause = pauseBefore(std::max<int64_t>(fruitless, 1), last);
        if (m_notices.retrying)
            m_notices.retrying(target, retry, pause);
        if (abortFlag.sleepUntil(download::AbortFlag::Clock::now() + pause)) {
            abortFlag.clear();
            result = TransferResult::Aborted;
            break;
        }
        last = {};
        result = m_inner.transfer(url, target, progress, limitKBps, abortFlag, identity, &last);
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

}  // namespace quorvo::cli
