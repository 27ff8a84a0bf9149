#pragma once

// The songs the service knows, read from a JSON data file (UTF-8).

#include "service/Faults.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvo::server {

enum class LinkReplyKind {
    Normal,      // [ { "file_list": [ { "url": ..., "size": ... } ], ... } ]
    NotJson,     // an HTML error page
    Object,      // the first element without the surrounding array
    NoFileList,  // the array, but its object lacks "file_list"
    EmptyFileList,
};

enum class AudioFormat { Flac, Mp3 };

struct Song {
    std::string id;
    std::string title;                   // UTF-8
    std::string artist;                  // UTF-8
    std::string album;                   // UTF-8
    std::optional<std::string> allRate;  // absent: the element is left out
    bool hasLyrics = true;
    bool cdata = false;  // text fields sent as CDATA sections instead of escaped text
    int seconds = 200;
    bool large = false;  // high-resolution audio, well over 100 MB
    LinkReplyKind linkReply = LinkReplyKind::Normal;
    FaultSettings fileFaults;
    FaultSettings linkFaults;
    FaultSettings lyricFaults;

    // FLAC when the last rate is "flac" in any case, else MP3.
    [[nodiscard]] AudioFormat format() const;
    // MP3 bit rate in kbit/s taken from the last rate (128 when it is not a number).
    [[nodiscard]] int mp3Kbps() const;
    [[nodiscard]] std::string extension() const { return format() == AudioFormat::Flac ? "flac" : "mp3"; }
};

class Catalogue {
public:
    // Reads and checks a catalogue file; on failure `error` says why.
    static std::optional<Catalogue> load(const std::string& path, std::string& error);
    static std::optional<Catalogue> parse(const std::string& json, std::string& error);

    [[nodiscard]] const std::vector<Song>& songs() const { return m_songs; }
    [[nodiscard]] const Song* find(std::string_view id) const;

private:
    std::vector<Song> m_songs;
};

}  // namespace quorvo::server
