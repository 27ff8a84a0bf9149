#pragma once

// Where a song's files go. One policy names them all: the name a song's
// files share (the download list's key for duplicates), and from it the song
// file, its lyric file and the partial file the transfer grows. The search
// asks it whether a song is on disk already, the queue stores its answer with
// each task, and the worker, the transfer and the deletion read that answer.

#include "runtime/Text.h"
#include "service/FileNames.h"
#include "service/SongRecord.h"

#include <vector>

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
    // when that leaves nothing (see nameOrSongId). Under ArtistAlbumTitle it
    // is the path below the save directory, "artist/album/title", each part
    // cleaned on its own (see buildFolderName; unknownArtist and unknownAlbum
    // stand in for a part that leaves nothing): duplicates and files already
    // there are told by the whole path.
    [[nodiscard]] Text nameOf(const SongRecord& song) const;
    // The files of a song already named `name` (a download row keeps its
    // name when the scheme changes) with the quality `quality`.
    [[nodiscard]] SongPaths pathsOf(const Text& name, const Text& quality) const;
    [[nodiscard]] SongPaths pathsOf(const SongRecord& song) const { return pathsOf(nameOf(song), song.quality); }

    // "未知歌手" and "未知专辑".
    static constexpr std::string_view unknownArtist = "\xCE\xB4\xD6\xAA\xB8\xE8\xCA\xD6";
    static constexpr std::string_view unknownAlbum = "\xCE\xB4\xD6\xAA\xD7\xA8\xBC\xAD";

private:
    NamingScheme m_scheme = NamingScheme::ArtistTitle;
    Text m_saveDirectory;
};

// The folders below the save directory that a song named `name` lives in
// (its "/"-separated parts but the last), as full paths, innermost first;
// none for a name without folders. `paths` are the song's files.
std::vector<Text> songFolders(const Text& name, const SongPaths& paths);

}  // namespace quorvo::service
