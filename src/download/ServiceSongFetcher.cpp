#include "download/ServiceSongFetcher.h"

#include "service/LinkResolver.h"
#include "service/Lyrics.h"

namespace quorvo::download {

void ServiceSongFetcher::fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const AbortFlag& abortFlag)
{
    // A lyric file that cannot be written does not stop the song.
    (void)service::fetchLyrics(lyricUrl, lyricPath, [&abortFlag] { return abortFlag.isRaised(); });
}

Bytes ServiceSongFetcher::lyrics(const Text& lyricUrl, const AbortFlag& abortFlag)
{
    return service::downloadLyrics(lyricUrl, [&abortFlag] { return abortFlag.isRaised(); }).value_or(Bytes());
}

std::optional<service::ResolvedLink> ServiceSongFetcher::resolveLink(const Text& songId, const AbortFlag& abortFlag)
{
    return service::resolveLink(m_service, songId, [&abortFlag] { return abortFlag.isRaised(); });
}

TransferResult ServiceSongFetcher::transfer(const Text& url, const service::SongPaths& target,
                                            const ProgressCallback& progress, SpeedLimit limit, AbortFlag& abortFlag,
                                            const TransferIdentity& identity, TransferReply* reply)
{
    return transferFile(url, target, progress, std::move(limit), abortFlag, m_settings, identity, reply);
}

}  // namespace quorvo::download
