#pragma once

// Whether a FLAC file's decoded audio matches the MD5 its STREAMINFO claims.

#include "runtime/Text.h"

namespace quorvo::download {

enum class FlacCheck {
    Matches,     // the MD5 agrees, or the file claims none (all zeros)
    Mismatched,  // the audio differs from its MD5, or the file does not decode
};

// Decodes the whole file: seconds for a large song, so never on the
// user-interface thread.
FlacCheck checkFlac(const Text& path);

// ".flac" in any case.
bool isFlacPath(const Text& path);

}  // namespace quorvo::download
