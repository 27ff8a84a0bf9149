#pragma once

#include "runtime/Text.h"

namespace quorvo::service {

// Fetches a song's lyric file and stores it at `lyricPath`, replacing an
// existing file. The bytes are stored as received (UTF-8, what Linux players
// read), up to the first NUL; a failed request leaves an empty file. False
// when the file could not be written.
bool fetchLyrics(const Text& lyricUrl, const Text& lyricPath);

}  // namespace quorvo::service
