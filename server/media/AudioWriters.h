#pragma once

// Encoders that turn a signal into a tagged audio file on disk.

#include "media/SignalSource.h"

#include <optional>
#include <string>

namespace quorvo::server {

struct AudioTags {
    std::string title;   // UTF-8
    std::string artist;  // UTF-8
    std::string album;   // UTF-8
    std::string trackNumber;
    std::string year;
};

// FLAC through libFLAC, with a Vorbis comment block. Nothing on success, else
// the reason. `fastest` trades size for speed (used for the huge songs).
std::optional<std::string> writeFlac(const std::string& path, SignalSource& source, const AudioTags& tags,
                                     bool fastest);

// MP3 (constant bit rate) through LAME, with an ID3v2 tag.
std::optional<std::string> writeMp3(const std::string& path, SignalSource& source, const AudioTags& tags, int kbps);

}  // namespace quorvo::server
