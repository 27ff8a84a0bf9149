// Lyrics and names written into the reference service's own FLAC and MP3
// files, read back by tools that are not ours (metaflac, flac -t) and by
// TagLib; the audio must come out byte for byte as it went in.

#include "download/SongTagger.h"
#include "download/Transfer.h"

#include "LoopbackServer.h"
#include "ReferenceServer.h"
#include "TempDir.h"
#include "ToolRun.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <filesystem>

namespace quorvo::download {
namespace {

namespace fs = std::filesystem;
using test::ToolRun;
constexpr auto run = test::runTool;
constexpr auto quoted = test::quotedPath;

// Where a FLAC's frames begin: after "fLaC" and the metadata blocks.
std::size_t flacAudioOffset(const std::string& bytes)
{
    std::size_t at = 4;
    while (at + 4 <= bytes.size()) {
        const auto header = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
        const bool last = (header(0) & 0x80) != 0;
        at += 4 + ((std::size_t {header(1)} << 16) | (std::size_t {header(2)} << 8) | header(3));
        if (last)
            return at;
    }
    return std::string::npos;
}

// The length of an ID3v2 tag at the start, header included; 0 without one.
std::size_t id3v2Length(const std::string& bytes)
{
    if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0)
        return 0;
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i)
        size = (size << 7) | (static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]) & 0x7F);
    return 10 + size + ((bytes[5] & 0x10) != 0 ? 10 : 0);
}

std::string utf8Of(const TagLib::String& value)
{
    return value.to8Bit(true);
}

class SongTaggerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        test::ReferenceServer server;
        s_flac = server.get("/data2/music/9900001/9900001.flac").body;
        s_mp3 = server.get("/data2/music/9900002/9900002.mp3").body;
    }

    // A song file in the temporary folder, named as a partial file is.
    Text place(const std::string& bytes, const std::string& name)
    {
        test::writeWholeFile(m_dir.path() / name, bytes);
        return platform::fromNativePath(m_dir.file(name));
    }

    static SongTags chineseTags(const std::string& utf8Lyrics)
    {
        return SongTags {encoding::fromUtf8("夜色温柔"), encoding::fromUtf8("林晓风"), encoding::fromUtf8("城市微光"),
                         utf8Lyrics};
    }

    inline static std::string s_flac;
    inline static std::string s_mp3;
    test::TempDir m_dir;
};

// Lyrics as a lyric file saved on a Chinese Windows would hold them: GBK.
const std::string lyricsUtf8 = "[ti:夜色温柔]\r\n[00:01.00]夜色温柔 城市微光\r\n[00:05.50]Night falls\r\n";

TEST_F(SongTaggerTest, FlacWithoutCommentsOrPaddingGetsAllFourAndKeepsItsAudio)
{
    ASSERT_FALSE(s_flac.empty());
    const Text path = place(s_flac, "bare.flac.tmp");
    const std::string native = m_dir.file("bare.flac.tmp");
    // No comment block and no padding: libFLAC must make room by copying the frames.
    ASSERT_EQ(
        run("metaflac --remove --block-type=VORBIS_COMMENT,PADDING --dont-use-padding " + quoted(native)).exitCode, 0);
    const std::string bare = test::readWholeFile(native);
    ASSERT_EQ(run("metaflac --export-tags-to=- " + quoted(native)).output, "");

    SongTags tags = chineseTags(std::string());
    tags.lyrics = encoding::fromUtf8(lyricsUtf8).str();
    const TagResult result = writeSongTags(path, TagFormat::Flac, tags);
    ASSERT_TRUE(result.written) << encoding::toUtf8(result.error.view());

    const ToolRun exported = run("metaflac --export-tags-to=- " + quoted(native));
    EXPECT_EQ(exported.exitCode, 0);
    EXPECT_NE(exported.output.find("TITLE=夜色温柔\n"), std::string::npos) << exported.output;
    EXPECT_NE(exported.output.find("ARTIST=林晓风\n"), std::string::npos) << exported.output;
    EXPECT_NE(exported.output.find("ALBUM=城市微光\n"), std::string::npos) << exported.output;
    EXPECT_NE(exported.output.find("LYRICS=" + lyricsUtf8), std::string::npos) << exported.output;
    EXPECT_EQ(run("flac -t -s " + quoted(native)).exitCode, 0) << "the audio no longer matches its MD5";
    const std::string tagged = test::readWholeFile(native);
    EXPECT_EQ(tagged.substr(flacAudioOffset(tagged)), bare.substr(flacAudioOffset(bare)));

    // The frames had to move: the new file has room for the next edit, which is made in place.
    tags.lyrics = "[00:02.00]again\n" + std::string(2000, 'a');
    ASSERT_TRUE(writeSongTags(path, TagFormat::Flac, tags).written);
    const std::string again = test::readWholeFile(native);
    EXPECT_EQ(again.size(), tagged.size());
    EXPECT_EQ(flacAudioOffset(again), flacAudioOffset(tagged));
    EXPECT_NE(run("metaflac --export-tags-to=- " + quoted(native)).output.find("LYRICS=[00:02.00]again\n"),
              std::string::npos);
}

TEST_F(SongTaggerTest, FlacKeepsItsOwnNamesAndTakesTheLyricsIntoItsPadding)
{
    const Text path = place(s_flac, "own.flac.tmp");
    const std::string native = m_dir.file("own.flac.tmp");
    SongTags tags {Text("Another Title"), Text("Another Artist"), Text(), Bytes("[00:01.00]short\n")};
    ASSERT_TRUE(writeSongTags(path, TagFormat::Flac, tags).written);

    const std::string exported = run("metaflac --export-tags-to=- " + quoted(native)).output;
    EXPECT_NE(exported.find("TITLE=夜色温柔\n"), std::string::npos) << exported;
    EXPECT_EQ(exported.find("Another"), std::string::npos) << exported;
    EXPECT_NE(exported.find("LYRICS=[00:01.00]short\n"), std::string::npos) << exported;
    // The padding took the comments: nothing moved.
    const std::string tagged = test::readWholeFile(native);
    EXPECT_EQ(tagged.size(), s_flac.size());
    EXPECT_EQ(flacAudioOffset(tagged), flacAudioOffset(s_flac));
    EXPECT_EQ(tagged.substr(flacAudioOffset(tagged)), s_flac.substr(flacAudioOffset(s_flac)));
    EXPECT_EQ(run("flac -t -s " + quoted(native)).exitCode, 0);
}

TEST_F(SongTaggerTest, Mp3WithoutATagGetsAnId3v23OneAndItsFramesStayByteForByte)
{
    ASSERT_FALSE(s_mp3.empty());
    const std::string frames = s_mp3.substr(id3v2Length(s_mp3));
    const Text path = place(frames, "bare.mp3.tmp");
    SongTags tags = chineseTags(std::string());
    // UTF-16 with its byte-order mark, as some lyric files come.
    tags.lyrics = std::string("\xFF\xFE[\0"
                              "0\0"
                              "]\0\x1c\x59",
                              10);
    const TagResult result = writeSongTags(path, TagFormat::Mp3, tags);
    ASSERT_TRUE(result.written) << encoding::toUtf8(result.error.view());

    const std::string tagged = test::readWholeFile(m_dir.file("bare.mp3.tmp"));
    ASSERT_GE(tagged.size(), 10u);
    EXPECT_EQ(tagged.substr(0, 5), std::string("ID3\x03\x00", 5)) << "not ID3v2.3";
    EXPECT_EQ(tagged.substr(id3v2Length(tagged)), frames);
    EXPECT_FALSE(fs::exists(m_dir.file("bare.mp3.tmp.tags")));

    TagLib::MPEG::File file(m_dir.file("bare.mp3.tmp").c_str());
    ASSERT_TRUE(file.isValid());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->header()->majorVersion(), 3u);
    const auto text = [&](const char* id) {
        const TagLib::ID3v2::FrameList list = tag->frameListMap()[id];
        return list.isEmpty() ? std::string() : utf8Of(list.front()->toString());
    };
    EXPECT_EQ(text("TIT2"), "夜色温柔");
    EXPECT_EQ(text("TPE1"), "林晓风");
    EXPECT_EQ(text("TALB"), "城市微光");
    const TagLib::ID3v2::FrameList lyrics = tag->frameListMap()["USLT"];
    ASSERT_EQ(lyrics.size(), 1u);
    const auto* uslt = dynamic_cast<const TagLib::ID3v2::UnsynchronizedLyricsFrame*>(lyrics.front());
    ASSERT_NE(uslt, nullptr);
    EXPECT_EQ(utf8Of(uslt->text()), "[0]夜");
    EXPECT_EQ(uslt->textEncoding(), TagLib::String::UTF16);
    const auto* title
        = dynamic_cast<const TagLib::ID3v2::TextIdentificationFrame*>(tag->frameListMap()["TIT2"].front());
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->textEncoding(), TagLib::String::UTF16);
}

TEST_F(SongTaggerTest, Mp3KeepsItsOwnNamesAndGetsTheLyrics)
{
    const Text path = place(s_mp3, "own.mp3.tmp");
    SongTags tags {Text("Another Title"), Text(), Text(), encoding::fromUtf8(lyricsUtf8).str()};
    ASSERT_TRUE(writeSongTags(path, TagFormat::Mp3, tags).written);

    const std::string tagged = test::readWholeFile(m_dir.file("own.mp3.tmp"));
    EXPECT_EQ(tagged.substr(0, 4), std::string("ID3\x03", 4));
    EXPECT_EQ(tagged.substr(id3v2Length(tagged)), s_mp3.substr(id3v2Length(s_mp3)));
    TagLib::MPEG::File file(m_dir.file("own.mp3.tmp").c_str());
    ASSERT_TRUE(file.isValid() && file.ID3v2Tag());
    EXPECT_EQ(utf8Of(file.ID3v2Tag()->title()), "Paper Lanterns");
    EXPECT_EQ(utf8Of(file.ID3v2Tag()->artist()), "The Velvet Orchard");
    const TagLib::ID3v2::FrameList lyrics = file.ID3v2Tag()->frameListMap()["USLT"];
    ASSERT_EQ(lyrics.size(), 1u);
    EXPECT_EQ(utf8Of(lyrics.front()->toString()), lyricsUtf8);
}

TEST(LyricsAsUtf8, ReadsEachEncodingALyricFileComesIn)
{
    const std::string chinese = "[00:01.00]夜色温柔";
    EXPECT_EQ(lyricsAsUtf8(chinese), chinese);
    EXPECT_EQ(lyricsAsUtf8(encoding::fromUtf8(chinese).str()), chinese) << "GBK";
    EXPECT_EQ(lyricsAsUtf8("\xEF\xBB\xBF" + chinese), chinese);
    EXPECT_EQ(lyricsAsUtf8(std::string("\xFE\xFF\x59\x1C\xD8\x40\xDC\x00", 8)), "夜\xF0\xA0\x80\x80");
    EXPECT_EQ(lyricsAsUtf8(chinese + std::string("\0tail", 5)), chinese);
    EXPECT_EQ(lyricsAsUtf8(" \r\n\t\r\n"), "");
}

// A file the tagger cannot read still gets its name: the song is not lost
// for its tags, and the reply says what went wrong.
TEST_F(SongTaggerTest, ATaggingFailureKeepsTheVerifiedSong)
{
    const std::string body(20000, 'x');
    test::LoopbackServer server([&](test::LoopbackServer&, int socket, const std::string&) {
        test::LoopbackServer::send(socket, test::LoopbackServer::reply(body));
    });
    TransferSettings settings;
    settings.checkFlacAudio = false;
    TransferIdentity identity {Text("7"), static_cast<int64_t>(body.size()), chineseTags("[00:01.00]x")};
    TransferReply reply;
    AbortFlag abortFlag;
    const Text finalPath = platform::fromNativePath(m_dir.file("song.flac"));
    const TransferResult result
        = transferFile(Text(server.url("/song.flac")), finalPath, {}, 0, abortFlag, settings, identity, &reply);
    EXPECT_EQ(result, TransferResult::Completed);
    EXPECT_FALSE(reply.tagError.empty());
    EXPECT_EQ(test::readWholeFile(m_dir.file("song.flac")), body);
    EXPECT_FALSE(fs::exists(m_dir.file("song.flac.tmp")));
}

}  // namespace
}  // namespace quorvo::download
