#pragma once

// Whether a FLAC file's decoded audio matches the MD5 its STREAMINFO claims.

#include "runtime/Text.h"

#include <cstdint>
#include <memory>
#include <thread>

namespace quorvo::download {

enum class FlacCheck {
    // The MD5 agrees (or the file claims none: all zeros) and the frames hold
    // as many samples as STREAMINFO counts (when it counts them).
    Matches,
    Mismatched,  // the audio differs from its MD5 or its count, or the file does not decode
};

// Decodes the whole file: seconds for a large song, so never on the
// user-interface thread.
FlacCheck checkFlac(const Text& path);

// The same check while a transfer is still writing the file: a thread of its
// own decodes the bytes as they reach the disk, so that on any link slower
// than the decoder (about 140 MB/s of FLAC on one core) the verdict is there
// as soon as the last byte is.
class FlacCheckAsWritten {
public:
    // Starts decoding `path` from its first byte; the first `available` bytes
    // are already written.
    FlacCheckAsWritten(const Text& path, int64_t available);
    // Stops the decoder, when the transfer ends without the whole file.
    ~FlacCheckAsWritten();
    FlacCheckAsWritten(const FlacCheckAsWritten&) = delete;
    FlacCheckAsWritten& operator=(const FlacCheckAsWritten&) = delete;

    // The writer appended: the file now holds `size` bytes.
    void grew(int64_t size);
    // The file is whole at `size` bytes: waits for the decoder to reach its end.
    FlacCheck finish(int64_t size);

    // What the writer and the decoder's callbacks share.
    struct Shared;

private:
    const Text m_path;
    std::unique_ptr<Shared> m_shared;
    std::thread m_decoder;
};

// ".flac" in any case.
bool isFlacPath(const Text& path);

}  // namespace quorvo::download
