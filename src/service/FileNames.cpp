#include "service/FileNames.h"

#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace quorvo::service {

namespace {

// In this order, each wherever it occurs.
constexpr std::array<std::string_view, 9> removedCharacters = {"\\", "/", ":", "*", "?", "<", ">", "|", "\""};

// Control characters (C0 and DEL), wherever they occur: in a file name they
// forge lines and terminal escapes wherever the name is listed or printed.
Text withoutControlCharacters(const Text& name)
{
    const std::string_view bytes = name.view();
    std::string kept;
    kept.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = text::characterLength(bytes, at);
        const auto first = static_cast<unsigned char>(bytes[at]);
        if (length != 1 || (first >= 0x20 && first != 0x7F))
            kept += bytes.substr(at, length);
        at += length;
    }
    return Text(kept);
}

}  // namespace

NamingScheme namingSchemeOf(int64_t sType)
{
    switch (sType) {
    case 1:
        return NamingScheme::TitleArtist;
    case 2:
        return NamingScheme::Title;
    case 3:
        return NamingScheme::ArtistAlbumTitle;
    default:
        return NamingScheme::ArtistTitle;
    }
}

Text buildFileName(const Text& title, const Text& artist, NamingScheme scheme)
{
    Text name;
    switch (scheme) {
    case NamingScheme::TitleArtist:
        name = title + " - " + artist;
        break;
    case NamingScheme::Title:
    case NamingScheme::ArtistAlbumTitle:
        name = title;
        break;
    case NamingScheme::ArtistTitle:
        name = artist + " - " + title;
        break;
    }
    for (const std::string_view removed : removedCharacters) {
        if (text::contains(name.view(), removed))
            name = text::replaceAll(name.view(), removed, "");
    }
    name = withoutControlCharacters(name);
    return shortenToUtf8Length(name, maxBaseNameBytes);
}

Text nameOrSongId(const Text& builtName, const Text& songId)
{
    if (!builtName.empty())
        return builtName;
    // Title-only: the id goes through the same removals as a title would.
    const Text fromId = buildFileName(songId, Text(), NamingScheme::Title);
    return fromId.empty() ? Text("untitled") : fromId;
}

Text buildFolderName(const Text& part, const Text& fallback)
{
    const Text name = buildFileName(part, Text(), NamingScheme::Title);
    const Text trimmed = text::trim(name.view());
    const bool onlyDots = std::all_of(trimmed.view().begin(), trimmed.view().end(), [](char c) { return c == '.'; });
    return onlyDots ? fallback : name;
}

Text shortenToUtf8Length(const Text& name, std::size_t maxUtf8Bytes)
{
    if (encoding::toUtf8(name.view()).size() <= maxUtf8Bytes)
        return name;
    const std::string_view bytes = name.view();
    std::size_t kept = 0;
    std::size_t keptUtf8 = 0;
    while (kept < bytes.size()) {
        const std::size_t length = text::characterLength(bytes, kept);
        const std::size_t utf8Length = encoding::toUtf8(bytes.substr(kept, length)).size();
        if (keptUtf8 + utf8Length > maxUtf8Bytes)
            break;
        kept += length;
        keptUtf8 += utf8Length;
    }
    return Text(bytes.substr(0, kept));
}

Text songExtension(const Text& quality)
{
    return text::equals(quality.view(), "flac", CaseSensitivity::Insensitive) ? Text(".flac") : Text(".mp3");
}

Text sizeText(double sizeInBytes)
{
    return numbers::fromReal(numbers::roundHalfUp(sizeInBytes / 1048576.0, 1)) + "M";
}

}  // namespace quorvo::service
