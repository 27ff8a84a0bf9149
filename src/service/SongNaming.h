#pragma once

// Where a song's files go. One policy names them all: the name a song's
// files share (the download list's key for duplicates), and from it the song
// file, its lyric file and the partial file the transfer grows. The search
// asks it whether a song is on disk already, the queue stores its answer with
// each task, and the worker, the transfer and the deletion read that answer.

#include "runtime/Text.h"
#include "service/FileNames.h"
#include "service/SongRecord.h"

namespace quorvo::service {

// Full paths of one song's files.
struct SongPaths {
    Text song;     // save directory + name + ".flac" or ".mp3"
    Text lyric;    // save directory + name + ".lrc"
    Text partial;  // the song's path + ".tmp"

    friend bool operator==(const SongPaths&, const SongPaths&) = default;
};

// The partial file a song file is downloaded into: songPath + ".tmp".
Text partialPathOf(const Text& songPath);

// The naming scheme and save directory of one moment, as a value: take a new
// one when either may have changed.
class SongNaming {
public:
    SongNaming() = default;
    // A directory without its trailing "/" gets one.
    SongNaming(NamingScheme scheme, Text saveDirectory);

    [[nodiscard]] NamingScheme scheme() const { return m_scheme; }
    [[nodiscard]] const Text& saveDirectory() const { return m_saveDirectory; }

    // The name the song's files share: built by the scheme, or the song id
    // when that leaves nothing (see nameOrSongId).
    [[nodiscard]] Text nameOf(const SongRecord& song) const;
    // The files of a song already named `name` (a download row keeps its
    // name when the scheme changes) with the quality `quality`.
    [[nodiscard]] SongPaths pathsOf(const Text& name, const Text& quality) const;
    [[nodiscard]] SongPaths pathsOf(const SongRecord& song) const { return pathsOf(nameOf(song), song.quality); }

private:
    NamingScheme m_scheme = NamingScheme::ArtistTitle;
    Text m_saveDirectory;
};

}  // namespace quorvo::service
