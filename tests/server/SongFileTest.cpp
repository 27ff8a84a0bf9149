// Song files: real audio, byte ranges, HEAD.

#include "ReferenceServer.h"

#include <gtest/gtest.h>

namespace quorvo::test {
namespace {

constexpr const char* flacSong = "/data2/music/9900001/9900001.flac";
constexpr const char* mp3Song = "/data2/music/9900002/9900002.mp3";

class SongFiles : public ::testing::Test {
protected:
    ReferenceServer m_server;
};

TEST_F(SongFiles, FlacSongIsAFlacStreamWithItsTags)
{
    const RawResponse reply = m_server.get(flacSong);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body.substr(0, 4), "fLaC");
    EXPECT_EQ(reply.header("Content-Length"), std::to_string(reply.body.size()));
    EXPECT_EQ(reply.header("Content-Type"), "audio/flac");
    EXPECT_NE(reply.body.find("TITLE=夜色温柔"), std::string::npos);
    EXPECT_NE(reply.body.find("ARTIST=林晓风"), std::string::npos);
    EXPECT_NE(reply.body.find("ALBUM=城市微光"), std::string::npos);
}

TEST_F(SongFiles, Mp3SongStartsWithAnId3TagAndMpegFrames)
{
    const RawResponse reply = m_server.get(mp3Song);
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body.substr(0, 3), "ID3");
    EXPECT_EQ(reply.header("Content-Type"), "audio/mpeg");
    // TIT2 frame with the title in UTF-16.
    EXPECT_NE(reply.body.find("TIT2"), std::string::npos);
}

TEST_F(SongFiles, GenerationIsDeterministicAcrossServers)
{
    const std::string first = m_server.get(flacSong).body;
    ReferenceServer other;
    EXPECT_EQ(other.get(flacSong).body, first);
}

TEST_F(SongFiles, OpenRangeWithoutBlankGivesTheRestWith206)
{
    const std::string whole = m_server.get(flacSong).body;
    const RawResponse part = m_server.get(flacSong, "Range:bytes=1000-\r\n");
    ASSERT_EQ(part.status, 206);
    EXPECT_EQ(part.body, whole.substr(1000));
    EXPECT_EQ(part.header("Content-Range"),
              "bytes 1000-" + std::to_string(whole.size() - 1) + "/" + std::to_string(whole.size()));
    EXPECT_EQ(part.header("Content-Length"), std::to_string(whole.size() - 1000));
}

TEST_F(SongFiles, OpenRangeWithBlankAfterColonWorksTheSame)
{
    const std::string whole = m_server.get(flacSong).body;
    const RawResponse part = m_server.get(flacSong, "Range: bytes=" + std::to_string(whole.size() - 1) + "-\r\n");
    ASSERT_EQ(part.status, 206);
    EXPECT_EQ(part.body, whole.substr(whole.size() - 1));
}

TEST_F(SongFiles, RangeStartingAtOrBeyondTheEndIs416)
{
    const std::string whole = m_server.get(flacSong).body;
    const RawResponse atEnd = m_server.get(flacSong, "Range: bytes=" + std::to_string(whole.size()) + "-\r\n");
    EXPECT_EQ(atEnd.status, 416);
    EXPECT_EQ(atEnd.header("Content-Range"), "bytes */" + std::to_string(whole.size()));
    EXPECT_EQ(m_server.get(flacSong, "Range: bytes=999999999999999999999999-\r\n").status, 416);
}

TEST_F(SongFiles, AbsurdRangesGetProperAnswers)
{
    const std::string whole = m_server.get(flacSong).body;
    const RawResponse suffix = m_server.get(flacSong, "Range: bytes=-5\r\n");
    EXPECT_EQ(suffix.status, 206);
    EXPECT_EQ(suffix.body, whole.substr(whole.size() - 5));
    const RawResponse backwards = m_server.get(flacSong, "Range: bytes=9-3\r\n");
    EXPECT_EQ(backwards.status, 200);
    EXPECT_EQ(backwards.body.size(), whole.size());
}

TEST_F(SongFiles, HeadAnswersTheLengthWithoutABody)
{
    const std::string whole = m_server.get(flacSong).body;
    const RawResponse head
        = m_server.exchange("HEAD " + std::string(flacSong) + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.header("Content-Length"), std::to_string(whole.size()));
    EXPECT_TRUE(head.body.empty());
}

TEST_F(SongFiles, UnknownSongOrWrongExtensionIs404)
{
    EXPECT_EQ(m_server.get("/data2/music/1/1.flac").status, 404);
    EXPECT_EQ(m_server.get("/data2/music/9900001/9900001.mp3").status, 404);
    EXPECT_EQ(m_server.get("/data2/music/9900001/other.flac").status, 404);
}

TEST_F(SongFiles, FilesAreCachedInTheDataDirectory)
{
    (void)m_server.get(flacSong);
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(m_server.dataDir()))
        found = found || entry.path().filename().string().rfind("9900001-", 0) == 0;
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace quorvo::test
