#pragma once

// Lyrics and names written into a whole, verified song file before it gets
// its name: Vorbis comments in a FLAC, through libFLAC's metadata interface
// and into the file's padding where it has enough; an ID3v2.3 tag in an MP3,
// through TagLib (v2.3, not v2.4: Windows reads v2.4 badly). The audio is
// never touched: a FLAC's frames stay where they are or are copied as they
// are, and an MP3's frames follow the new tag byte for byte.

#include "runtime/Text.h"

#include <optional>
#include <string>
#include <string_view>

namespace quorvo::download {

struct SongTags {
    // Program text; each is written only where the file has none of its own.
    Text title;
    Text artist;
    Text album;
    // The lyric file as the service sent it (UTF-8, GBK or UTF-16 with its
    // byte-order mark); written over the file's own lyrics. Empty: none.
    Bytes lyrics;

    friend bool operator==(const SongTags&, const SongTags&) = default;
};

enum class TagFormat { Flac, Mp3 };

// By the song's extension (".flac", ".mp3", ASCII case ignored); nullopt for
// any other file.
std::optional<TagFormat> tagFormatOf(const Text& songPath);

// The lyrics as UTF-8: a byte-order mark (UTF-8, UTF-16 LE or BE) says what
// they are; without one, well-formed UTF-8 is taken as it is and anything
// else as GBK. Cut at the first NUL; empty when only blanks and line breaks
// are left.
std::string lyricsAsUtf8(std::string_view bytes);

struct TagResult {
    bool written = false;
    Text error;  // what went wrong, in English, when not written
};

// Writes `tags` into the song file at `path` (any name: the partial file is
// tagged before it is renamed). On failure the file is as it was, or, for a
// FLAC whose metadata libFLAC could not write in place, still a whole song.
TagResult writeSongTags(const Text& path, TagFormat format, const SongTags& tags);

// The copy an MP3 is tagged in beside `path`; a kill during tagging leaves it behind.
Text taggingCopyOf(const Text& path);

}  // namespace quorvo::download
