#pragma once

#include "runtime/Text.h"

namespace quorvo::service {

// Fetches a song's lyric file and stores it at `lyricPath`, replacing an
// existing file. The bytes are stored as received (UTF-8, what Linux players
// read), up to the first NUL. A failed request (or a song without a lyric
// link, which asks for nothing) keeps the lyric file of an earlier run, and
// leaves an empty file where there was none. False when the file could not be
// written.
bool fetchLyrics(const Text& lyricUrl, const Text& lyricPath);

}  // namespace quorvo::service
