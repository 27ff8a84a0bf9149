#pragma once

// The three network steps the worker takes for one song, in this order:
// lyrics, link, transfer. The real one talks to the music service; tests of
// the queue's own rules may script them.

#include "download/AbortFlag.h"
#include "download/Transfer.h"
#include "runtime/Text.h"
#include "service/LinkResolver.h"
#include "service/SongNaming.h"

#include <optional>

namespace quorvo::download {

class SongFetcher {
public:
    virtual ~SongFetcher() = default;
    // A raised `abortFlag` ends the lyric and link requests at once, as it
    // ends a transfer (these two leave the flag raised).
    virtual void fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const AbortFlag& abortFlag) = 0;
    // The lyric file's bytes, stored nowhere (for the song's own tags when
    // no lyric file is kept). Empty: no lyrics, or a fetcher that has none.
    virtual Bytes lyrics(const Text& lyricUrl, const AbortFlag& abortFlag)
    {
        static_cast<void>(lyricUrl);
        static_cast<void>(abortFlag);
        return {};
    }
    // nullopt: the link reply is not readable (the row fails for good).
    virtual std::optional<service::ResolvedLink> resolveLink(const Text& songId, const AbortFlag& abortFlag) = 0;
    // Into target.song, through target.partial, held to `limit` together
    // with every other transfer that shares its limiter.
    virtual TransferResult transfer(const Text& url, const service::SongPaths& target, const ProgressCallback& progress,
                                    SpeedLimit limit, AbortFlag& abortFlag, const TransferIdentity& identity,
                                    TransferReply* reply)
        = 0;
};

}  // namespace quorvo::download
