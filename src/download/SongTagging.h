#pragma once

// What the worker writes into a song's file when the user asked for lyrics
// inside it: the names of the song's search row and its lyrics, taken from
// the lyric file beside the song when one is kept, else fetched for the file
// alone.

#include "download/AbortFlag.h"
#include "download/DownloadSettings.h"
#include "download/DownloadTask.h"
#include "download/SongFetcher.h"
#include "download/SongTagger.h"

#include <optional>

namespace quorvo::download {

// nullopt when the settings leave the file as the server sends it. Call it
// after the lyric file has been fetched.
std::optional<SongTags> tagsToWrite(const DownloadTask& task, const DownloadSettings& settings, SongFetcher& fetcher,
                                    const AbortFlag& abortFlag);

// Makes the folders below the save directory a song's name puts its files
// in (artist and album); false when they cannot be made.
bool createSongFolders(const DownloadTask& task);

}  // namespace quorvo::download
