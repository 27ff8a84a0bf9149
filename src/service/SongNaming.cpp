#include "service/SongNaming.h"

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
    return nameOrSongId(buildFileName(song.title, song.artist, m_scheme), song.songId);
}

SongPaths SongNaming::pathsOf(const Text& name, const Text& quality) const
{
    const Text base = m_saveDirectory + name;
    const Text song = base + songExtension(quality);
    return SongPaths {song, base + ".lrc", partialPathOf(song)};
}

}  // namespace quorvo::service
