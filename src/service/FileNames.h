#pragma once

// Turning a song into names on disk: the base name from title and artist by
// the naming scheme `sType`, the extension from the quality, and the size
// text the download list shows.

#include "runtime/Text.h"

#include <cstddef>
#include <cstdint>

namespace quorvo::service {

// The file-naming scheme, stored in config.ini as `sType` 0 to 3. The last
// puts each song into a folder per artist and, inside it, per album.
enum class NamingScheme { ArtistTitle = 0, TitleArtist = 1, Title = 2, ArtistAlbumTitle = 3 };

// The scheme a stored `sType` selects: any value but 1, 2 and 3 names as 0 does.
NamingScheme namingSchemeOf(int64_t sType);

// "Artist - Title", "Title - Artist" or the title alone (also under
// ArtistAlbumTitle, whose folders SongNaming adds). The characters \ / : * ? < > |, the double quote and the
// control characters (C0 and DEL) are removed. A name whose file names
// would be too long for the file system is shortened on a character
// boundary (see maxBaseNameBytes).
Text buildFileName(const Text& title, const Text& artist, NamingScheme scheme);

// The name a song's files get: the built name, or, when that is empty (a
// title made only of removed characters under the title-only scheme), the
// song id cleaned by the same rules, so that the files are never the hidden
// ".flac" and ".lrc". "untitled" when even the id leaves nothing.
Text nameOrSongId(const Text& builtName, const Text& songId);

// One folder's name from an artist or album: cleaned as a built name is; a
// part that leaves nothing, only blanks or only dots ("." and ".." would
// leave the save directory) is `fallback`.
Text buildFolderName(const Text& part, const Text& fallback);

// Linux file names hold at most 255 bytes (UTF-8 on disk). The longest name
// derived from a base name is base + ".flac.tmp", so the base name keeps at
// most 255 - 9 bytes; song, partial file and lyric file then share it.
inline constexpr std::size_t maxFileNameBytes = 255;
inline constexpr std::size_t maxBaseNameBytes = maxFileNameBytes - 9;

// Cuts `name` after its last whole character whose UTF-8 form still fits in
// `maxUtf8Bytes`; a name that fits is returned unchanged.
Text shortenToUtf8Length(const Text& name, std::size_t maxUtf8Bytes);

// ".flac" when the quality is "flac" (ASCII case ignored), else ".mp3".
Text songExtension(const Text& quality);

// size / 1048576 rounded half up to one decimal, without trailing zeros,
// followed by "M": 36906000 gives "35.2M", 1048576 gives "1M".
Text sizeText(double sizeInBytes);

}  // namespace quorvo::service
