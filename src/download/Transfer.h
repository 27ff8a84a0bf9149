#pragma once

// One song file from its URL into its final path: the body streams into the
// song's partial file (see service::SongPaths), a partial file left by an earlier attempt is resumed
// with an open-ended byte range, the rate is held under a KB/s limit, progress
// is reported once per one-second window, and the partial file replaces the
// final name atomically once the body has been read to its end.

#include "download/AbortFlag.h"
#include "download/FailureReason.h"
#include "download/RateLimiter.h"
#include "download/SongTagger.h"
#include "runtime/Text.h"
#include "service/SongNaming.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace quorvo::download {

enum class TransferResult {
    Completed,  // the body was read to its end and the file is in place
    Aborted,    // stopped because the abort flag was raised (acknowledged)
    Failed,     // network, HTTP or disk failure; a partial file may remain
    Corrupt,    // a whole fresh file that fails its own checksum; it stays the partial file
};

// What the song being fetched is known to be: its id, and the size the link
// reply gave (0 when it gave none).
struct TransferIdentity {
    Text songId;
    int64_t expectedSize = 0;
    // Written into the whole, verified file before it gets its name (an
    // ".flac" or ".mp3" file); nullopt: the file stays as the server sent it.
    std::optional<SongTags> tags {};
};

// The reply a transfer ended on, for a caller that decides whether and when
// to try again.
struct TransferReply {
    long status = 0;  // the HTTP status; 0 when no reply came
    // The wait a 429 or 503 reply asked for with Retry-After.
    std::optional<std::chrono::seconds> retryAfter;
    // The partial file ended longer than it was when the call began: the
    // attempt moved the song closer to done.
    bool advanced = false;
    // Why the transfer failed (None when it completed or was aborted).
    FailureReason failure;
    // The song completed, but the tags asked for could not be written: what
    // went wrong. The file got its name as the server sent it.
    Text tagError;
};

// (done, total): bytes in the partial file, offset included, and this reply's
// content length plus the offset.
using ProgressCallback = std::function<void(int64_t done, int64_t total)>;

struct TransferSettings {
    std::chrono::milliseconds connect {15000};
    // A transfer that averages under stallBytesPerSecond over this long has
    // failed, unless the user's own limit is what holds it there.
    std::chrono::milliseconds stall {30000};
    // A FLAC is decoded and its audio compared with the MD5 it carries before
    // it gets its name. Off, sizes and the partial file's identity still hold.
    bool checkFlacAudio = true;
};

// One read takes at most this many bytes, and never more than the limiter
// grants; the abort flag is looked at between reads.
inline constexpr std::size_t transferReadBytes = 10240;
inline constexpr int64_t stallBytesPerSecond = 1024;

// The request header lines, without a trailing line break; with a resume
// offset above 0 the block ends with "\r\nRange:bytes=" offset "-", and its
// Accept-Encoding asks for "identity" instead of "gzip, deflate": a range
// counts the bytes of the reply's encoding, and the partial file holds the
// decoded song.
Text transferHeaderBlock(int64_t resumeOffset);
// "Agent" + milliseconds on the monotonic clock, new for every transfer.
Text transferAgentText();

// limit: the limiter's windows hold this transfer, together with every other
// transfer that shares it, to limit × 1024 bytes per window (0 or negative:
// no limit); each read takes only the bytes granted, so even 1 KB/s holds.
// Progress is reported when the transfer sees a new window of the limiter.
// The abort flag is looked at after every read and while the loop waits for
// its quota or for the network; when the transfer stops because of it the
// flag is cleared before returning (after the partial file is closed).
// The partial file carries `identity`; one of another song is not resumed,
// one without a stored identity is resumed only when the server sends its
// last 16 KB again byte for byte, and a file is renamed only at the size
// promised and, for FLAC (unless settings.checkFlacAudio is off), only when
// its audio matches its own MD5 and STREAMINFO's sample count. The partial
// file is locked for the whole call: a second transfer of the same song
// fails at once with FailureKind::BusyElsewhere. A gzip or deflate reply is
// stored decoded. A song is never empty, and starting over never shrinks the
// partial file before the new body has caught up with it.
// The song goes to target.song through target.partial; target.lyric is not used.
TransferResult transferFile(const Text& url, const service::SongPaths& target, const ProgressCallback& progress,
                            SpeedLimit limit, AbortFlag& abortFlag, const TransferSettings& settings = {},
                            const TransferIdentity& identity = {}, TransferReply* reply = nullptr);
// The same for a song file alone, through the partial file its name gives.
TransferResult transferFile(const Text& url, const Text& finalPath, const ProgressCallback& progress, SpeedLimit limit,
                            AbortFlag& abortFlag, const TransferSettings& settings = {},
                            const TransferIdentity& identity = {}, TransferReply* reply = nullptr);

}  // namespace quorvo::download
