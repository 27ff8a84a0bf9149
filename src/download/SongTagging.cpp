#include "download/SongTagging.h"

#include "platform/Files.h"

namespace quorvo::download {

std::optional<SongTags> tagsToWrite(const DownloadTask& task, const DownloadSettings& settings, SongFetcher& fetcher,
                                    const AbortFlag& abortFlag)
{
    if (!settings.embedLyrics())
        return std::nullopt;
    SongTags tags {task.title, task.artist, task.album, Bytes()};
    // One request serves both: the lyric file just written holds what came.
    if (settings.fetchLyrics())
        tags.lyrics = platform::readFile(task.paths.lyric).value_or(Bytes());
    else
        tags.lyrics = fetcher.lyrics(task.lyricUrl, abortFlag);
    return tags;
}

bool createSongFolders(const DownloadTask& task)
{
    const std::vector<Text> folders = service::songFolders(task.name, task.paths);
    return folders.empty() || platform::createDirectories(folders.front());
}

}  // namespace quorvo::download
