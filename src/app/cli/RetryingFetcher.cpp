#include "app/cli/RetryingFetcher.h"

#include <algorithm>

namespace quorvo::cli {

using download::TransferReply;
using download::TransferResult;

void RetryingFetcher::fetchLyrics(const Text& lyricUrl, const Text& lyricPath)
{
    m_inner.fetchLyrics(lyricUrl, lyricPath);
}

std::optional<service::ResolvedLink> RetryingFetcher::resolveLink(const Text& songId)
{
    return m_inner.resolveLink(songId);
}

TransferResult RetryingFetcher::transfer(const Text& url, const Text& finalPath,
                                         const download::ProgressCallback& progress, int64_t limitKBps,
                                         download::AbortFlag& abortFlag, const download::TransferIdentity& identity,
                                         TransferReply* reply)
{
    TransferReply last;
    TransferResult result = m_inner.transfer(url, finalPath, progress, limitKBps, abortFlag, identity, &last);
    for (int64_t retry = 1; retry <= m_retries && result == TransferResult::Failed; ++retry) {
        const std::chrono::milliseconds pause = pauseBefore(retry, last);
        if (m_notices.retrying)
            m_notices.retrying(finalPath, retry, pause);
        if (abortFlag.sleepUntil(download::AbortFlag::Clock::now() + pause)) {
            abortFlag.clear();
            result = TransferResult::Aborted;
            break;
        }
        last = {};
        result = m_inner.transfer(url, finalPath, progress, limitKBps, abortFlag, identity, &last);
    }
    if (result == TransferResult::Corrupt && m_notices.corrupt)
        m_notices.corrupt(finalPath);
    if (reply)
        *reply = last;
    return result;
}

std::chrono::milliseconds RetryingFetcher::pauseBefore(int64_t retry, const TransferReply& reply) const
{
    const int64_t doublings = std::clamp<int64_t>(retry - 1, 0, 30);
    const std::chrono::milliseconds doubled = m_firstPause * (int64_t {1} << doublings);
    if (!reply.retryAfter)
        return doubled;
    return std::max<std::chrono::milliseconds>(doubled, std::min(*reply.retryAfter, longestRetryAfter));
}

}  // namespace quorvo::cli
