#include "service/SongNaming.h"

#include <string_view>

namespace quorvo::service {

Text partialPathOf(const Text& songPath)
{
    return songPath + ".tmp";
}

SongNaming::SongNaming(NamingScheme scheme, Text saveDirectory)
    : m_scheme(scheme)
    , m_saveDirectory(std::move(saveDirectory))
{
    // Without it the name would be glued onto the folder's own name.
    if (!m_saveDirectory.empty() && !text::endsWith(m_saveDirectory.view(), "/"))
        m_saveDirectory += "/";
}

Text SongNaming::nameOf(const SongRecord& song) const
{
    const Text name = nameOrSongId(buildFileName(song.title, song.artist, m_scheme), song.songId);
    if (m_scheme != NamingScheme::ArtistAlbumTitle)
        return name;
    return buildFolderName(song.artist, Text(unknownArtist)) + "/" + buildFolderName(song.album, Text(unknownAlbum))
        + "/" + name;
}

SongPaths SongNaming::pathsOf(const Text& name, const Text& quality) const
{
    const Text base = m_saveDirectory + name;
    const Text song = base + songExtension(quality);
    return SongPaths {song, base + ".lrc", partialPathOf(song)};
}

std::vector<Text> songFolders(const Text& name, const SongPaths& paths)
{
    std::vector<Text> folders;
    // The save directory is what the lyric path holds before the name.
    const std::string_view lyric = paths.lyric.view();
    const std::size_t tail = name.size() + 4;  // name + ".lrc"
    if (lyric.size() < tail || lyric.substr(lyric.size() - tail, name.size()) != name.view())
        return folders;
    const std::string_view directory = lyric.substr(0, lyric.size() - tail);
    // "/" is never a byte inside a GBK or GB18030 character.
    for (std::size_t end = name.view().rfind('/'); end != std::string_view::npos && end > 0;
         end = name.view().rfind('/', end - 1))
        folders.push_back(Text(directory) + Text(name.view().substr(0, end)));
    return folders;
}

}  // namespace quorvo::service
