#pragma once

#include "runtime/Text.h"

#include <functional>
#include <optional>

namespace quorvo::service {

// Fetches a song's lyric file and stores it at `lyricPath`, replacing an
// existing file. The bytes are stored as received (UTF-8, what Linux players
// read; any NUL bytes too), a gzip or deflate reply decoded. A failed request (or a song without a lyric
// link, which asks for nothing) keeps the lyric file of an earlier run, and
// leaves an empty file where there was none. False when the file could not be
// written.
// `abort` returning true ends the request within a few tens of milliseconds
// (a failed request).
bool fetchLyrics(const Text& lyricUrl, const Text& lyricPath, const std::function<bool()>& abort = {});

// The lyric file's bytes as the service sent them (decoded from gzip or
// deflate), stored nowhere; nullopt for a failed request or a song without a
// lyric link.
std::optional<Bytes> downloadLyrics(const Text& lyricUrl, const std::function<bool()>& abort = {});

}  // namespace quorvo::service
