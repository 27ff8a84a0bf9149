#include "service/FileNames.h"
#include "service/SongNaming.h"

#include "TempDir.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace quorvo::service {
namespace {

TEST(BuildFileName, SchemeZeroPutsArtistFirstAndDropsForbiddenCharacters)
{
    EXPECT_EQ(buildFileName("a/b", "c:d", NamingScheme::ArtistTitle), "cd - ab");
}

TEST(BuildFileName, SchemeOnePutsTitleFirst)
{
    EXPECT_EQ(buildFileName("Song", "Singer", NamingScheme::TitleArtist), "Song - Singer");
}

TEST(BuildFileName, SchemeTwoIgnoresTheArtist)
{
    EXPECT_EQ(buildFileName("Song", "Singer", NamingScheme::Title), "Song");
    EXPECT_EQ(buildFileName("Song", "Other", NamingScheme::Title),
              buildFileName("Song", "Singer", NamingScheme::Title));
}

TEST(BuildFileName, UnknownSchemeBehavesAsSchemeZero)
{
    EXPECT_EQ(buildFileName("Song", "Singer", namingSchemeOf(7)), "Singer - Song");
    EXPECT_EQ(buildFileName("Song", "Singer", namingSchemeOf(-1)), "Singer - Song");
}

// sType 3: artist and album folders, each part cleaned on its own; a part
// that would name no folder, or the folder above, gets a stand-in.
TEST(SongNaming, ArtistAlbumFoldersUnderTheSaveDirectory)
{
    EXPECT_EQ(namingSchemeOf(3), NamingScheme::ArtistAlbumTitle);
    const SongNaming naming(namingSchemeOf(3), "/music");
    const SongRecord song {"Why/Not?", "Sym/bols", "Slash:Dot", "flac", "9900003", ""};
    EXPECT_EQ(naming.nameOf(song), "SlashDot/Symbols/WhyNot");
    const SongPaths paths = naming.pathsOf(song);
    EXPECT_EQ(paths.song, "/music/SlashDot/Symbols/WhyNot.flac");
    EXPECT_EQ(paths.lyric, "/music/SlashDot/Symbols/WhyNot.lrc");
    EXPECT_EQ(songFolders(naming.nameOf(song), paths),
              (std::vector<Text> {"/music/SlashDot/Symbols", "/music/SlashDot"}));

    const SongRecord nameless {"?*", "..", " . ", "320", "42", ""};
    EXPECT_EQ(naming.nameOf(nameless), Text(SongNaming::unknownArtist) + "/" + Text(SongNaming::unknownAlbum) + "/42");
    EXPECT_EQ(naming.nameOf(SongRecord {"T", "/./", "", "320", "1", ""}),
              Text(SongNaming::unknownArtist) + "/" + Text(SongNaming::unknownAlbum) + "/T");
    // Flat names have no folders of their own.
    const SongNaming flat(NamingScheme::ArtistTitle, "/music/");
    EXPECT_TRUE(songFolders(flat.nameOf(song), flat.pathsOf(song)).empty());
}

TEST(BuildFileName, EveryRemovedCharacterGoesAndNothingElseChanges)
{
    EXPECT_EQ(buildFileName(" a\\b/c:d*e?f<g>h|i\"j ", "", NamingScheme::Title), " abcdefghij ");
    // Ampersands, dots and blanks stay: no trimming, no replacement character.
    EXPECT_EQ(buildFileName("Rock & Roll...", "", NamingScheme::Title), "Rock & Roll...");
}

TEST(BuildFileName, ControlCharactersGoWhereverTheyAre)
{
    EXPECT_EQ(buildFileName("\x1B[2Jtab\there\nnew\x7F\r", "\x01Singer\x1F", NamingScheme::ArtistTitle),
              "Singer - [2Jtabherenew");
    // Still one character: its trail byte is not a control character.
    EXPECT_EQ(buildFileName("\xD6\xD0\x81\x40", "", NamingScheme::Title), "\xD6\xD0\x81\x40");
}

// A lead byte in front of "/" (81 2F) is no character with it: the "/" is
// seen and removed, so the name never gains a directory.
TEST(BuildFileName, ALeadByteCannotHideASlashOrAControlCharacter)
{
    EXPECT_EQ(buildFileName("..\x81/..\x81/etc", "", NamingScheme::Title),
              "..\x81..\x81"
              "etc");
    EXPECT_EQ(buildFileName("a\x81\n\x81\x1B", "", NamingScheme::Title), "a\x81\x81");
    EXPECT_EQ(buildFileName("\x81\x7F", "", NamingScheme::Title), "\x81");
}

TEST(BuildFileName, TitleOfRemovedCharactersOnlyGivesEmptyName)
{
    EXPECT_EQ(buildFileName("<?>", "x", NamingScheme::Title), "");
}

TEST(BuildFileName, RemovalNeverCutsIntoAChineseCharacter)
{
    // "乗" is 81 5C in GBK: its trail byte is a backslash and must survive.
    EXPECT_EQ(buildFileName("\x81\x5C", "", NamingScheme::Title), "\x81\x5C");
}

// A name longer than a file name may be is shortened so that the song, its
// partial file and its lyric file can all be created with one base name.
TEST(BuildFileName, OverlongNameIsShortenedOnACharacterBoundaryForEveryDerivedFile)
{
    Text title;
    for (int i = 0; i < 150; ++i)
        title += "\xD6\xD0";  // "中": 2 bytes here, 3 in UTF-8
    const Text name = buildFileName(title, "Artist", NamingScheme::TitleArtist);
    const std::string utf8 = encoding::toUtf8(name.view());
    EXPECT_LE(utf8.size(), maxBaseNameBytes);
    EXPECT_GT(utf8.size(), maxBaseNameBytes - 3);
    EXPECT_TRUE(encoding::isValidUtf8(utf8));
    EXPECT_EQ(utf8.find('?'), std::string::npos);
    EXPECT_TRUE(text::startsWith(title.view(), name.view()));

    const test::TempDir dir;
    for (const char* suffix : {".flac", ".flac.tmp", ".mp3.tmp", ".lrc"}) {
        const std::string path = dir.file(utf8 + suffix);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        EXPECT_GE(fd, 0) << suffix;
        if (fd >= 0)
            ::close(fd);
    }
}

TEST(BuildFileName, ShorteningKeepsFourByteCharactersWhole)
{
    // GB18030 four-byte sequence (U+1F600, 4 bytes in UTF-8 too) after 'a'.
    const Text name("a\x94\x39\xFC\x36\x94\x39\xFC\x36");
    EXPECT_EQ(shortenToUtf8Length(name, 8), "a\x94\x39\xFC\x36");
    EXPECT_EQ(shortenToUtf8Length(name, 4), "a");
    EXPECT_EQ(shortenToUtf8Length(name, 9), name);
}

TEST(BuildFileName, NameThatFitsIsLeftAlone)
{
    const Text name(std::string(maxBaseNameBytes, 'x'));
    EXPECT_EQ(buildFileName(name, "", NamingScheme::Title), name);
    EXPECT_EQ(buildFileName(name + "y", "", NamingScheme::Title), name);
}

TEST(SongExtension, FlacIgnoringCaseElseMp3)
{
    EXPECT_EQ(songExtension("flac"), ".flac");
    EXPECT_EQ(songExtension("FLAC"), ".flac");
    EXPECT_EQ(songExtension("320"), ".mp3");
    EXPECT_EQ(songExtension(""), ".mp3");
    EXPECT_EQ(songExtension("flac "), ".mp3");
}

TEST(SizeText, MegabytesRoundedHalfUpToOneDecimalWithoutTrailingZeros)
{
    EXPECT_EQ(sizeText(36906000), "35.2M");
    EXPECT_EQ(sizeText(1048576), "1M");
    EXPECT_EQ(sizeText(0), "0M");
    EXPECT_EQ(sizeText(1572864), "1.5M");  // exactly 1.5
    EXPECT_EQ(sizeText(1100000), "1M");    // 1.049 rounds down
    EXPECT_EQ(sizeText(1101005), "1.1M");  // 1.05000 rounds half up
}

TEST(NameOrSongId, EmptyNameBecomesTheCleanedSongId)
{
    const Text empty = buildFileName("?*:", "Artist", NamingScheme::Title);
    ASSERT_EQ(empty, "");
    EXPECT_EQ(nameOrSongId(empty, "9900077"), "9900077");
    EXPECT_EQ(nameOrSongId("Name", "9900077"), "Name");
    EXPECT_EQ(nameOrSongId("", "a/b"), "ab");
    EXPECT_EQ(nameOrSongId("", "//"), "untitled");
}

}  // namespace
}  // namespace quorvo::service
