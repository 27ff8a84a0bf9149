// transferFile against servers that lie: replies that are not what was asked
// for, a song sent byte by byte, a FLAC whose audio does not match its own
// checksum. None of them may ever end under the final name.

#include "download/Transfer.h"

#include "LoopbackServer.h"
#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <sys/xattr.h>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::LoopbackServer;

std::string rangeOf(const std::string& request)
{
    const auto at = request.find("\r\nRange:");
    if (at == std::string::npos)
        return {};
    const auto end = request.find("\r\n", at + 2);
    return request.substr(at + 8, end - at - 8);
}

std::string partialReply(const std::string& body, const std::string& extraHeaders)
{
    return "HTTP/1.1 206 Partial Content\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" + extraHeaders
        + "Connection: close\r\n\r\n" + body;
}

const std::string song = [] {
    std::string bytes;
    for (int i = 0; i < 50000; ++i)
        bytes += static_cast<char>('a' + i % 26);
    return bytes;
}();

class HostileTransferTest : public ::testing::Test {
protected:
    Text target(const char* name) const { return platform::fromNativePath(m_dir.file(name)); }
    std::string read(const char* name) const { return test::readWholeFile(m_dir.file(name)); }
    bool exists(const char* name) const { return fs::exists(m_dir.file(name)); }

    test::TempDir m_dir;
    AbortFlag m_abortFlag;
    TransferSettings m_timeouts {5000ms, 10s};
};

// A 206 to a request without a range: its tail is not the song.
TEST_F(HostileTransferTest, PartialReplyToAWholeRequestIsNeverTheSong)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, partialReply(song.substr(40000), "Content-Range: bytes 40000-49999/50000\r\n"));
    });
    EXPECT_NE(transferFile(Text(server.url("/s.flac")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_FALSE(exists("s.mp3"));
}

// A 206 without Content-Range to a ranged request cannot be appended; the
// transfer starts over from 0 and gets the whole song.
TEST_F(HostileTransferTest, PartialReplyWithoutContentRangeStartsOverInsteadOfAppending)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string& request) {
        if (rangeOf(request).empty())
            LoopbackServer::send(socket, LoopbackServer::reply(song));
        else
            LoopbackServer::send(socket, partialReply(song, ""));
    });
    test::writeWholeFile(m_dir.file("s.mp3.tmp"), song.substr(0, 1000));
    const TransferResult result
        = transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts);
    if (result == TransferResult::Completed) {
        EXPECT_TRUE(read("s.mp3") == song);
    }
    EXPECT_FALSE(exists("s.mp3") && read("s.mp3") != song);
}

// A 206 whose range starts elsewhere than asked is not appended either.
TEST_F(HostileTransferTest, PartialReplyAtAnotherOffsetIsNeverAppended)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, partialReply(song.substr(10), "Content-Range: bytes 10-49999/50000\r\n"));
    });
    test::writeWholeFile(m_dir.file("s.mp3.tmp"), song.substr(0, 1000));
    transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts);
    EXPECT_FALSE(exists("s.mp3"));
}

// A song sent a byte a second is given up (the stall rule: under 1 KB in the
// stall time), instead of occupying the worker for ever.
TEST_F(HostileTransferTest, TricklingReplyIsGivenUp)
{
    LoopbackServer server([](LoopbackServer& self, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 600 && !self.stopping(); ++i) {
            LoopbackServer::send(socket, "x");
            self.hold(100ms);
        }
    });
    const TransferSettings timeouts {5000ms, 2s};
    auto transfer = std::async(std::launch::async, [&] {
        return transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, timeouts);
    });
    ASSERT_EQ(transfer.wait_for(50s), std::future_status::ready) << "the trickle was never given up";
    EXPECT_EQ(transfer.get(), TransferResult::Failed);
    EXPECT_FALSE(exists("s.mp3"));
}

// ---- FLAC checksums ----

class FlacTransferTest : public HostileTransferTest {
protected:
    FlacTransferTest()
    {
        m_good = test::readWholeFile(test::cachedSongFile(m_reference, "9900001", "flac"));
        m_bad = m_good;
        // STREAMINFO's MD5 is its last 16 bytes: "fLaC", a 4-byte block header, 18 bytes, then the MD5.
        m_bad[26] = static_cast<char>(m_bad[26] ^ 0x5A);
    }
    std::string m_good;
    std::string m_bad;
    test::ReferenceServer m_reference;
};

TEST_F(FlacTransferTest, FlacWhoseAudioDoesNotMatchItsChecksumStaysAPartialFile)
{
    const std::string bad = m_bad;
    LoopbackServer server([bad](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, LoopbackServer::reply(bad));
    });
    EXPECT_NE(transferFile(Text(server.url("/s.flac")), target("s.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_FALSE(exists("s.flac"));
    EXPECT_TRUE(read("s.flac.tmp") == bad);
}

// The partial file's head was damaged while it lay on disk: the whole song is
// fetched again instead of being renamed broken.
TEST_F(FlacTransferTest, ResumedFlacThatFailsItsChecksumIsFetchedAgainFromTheStart)
{
    std::string head = m_good.substr(0, m_good.size() / 2);
    head[head.size() - 100] = static_cast<char>(head[head.size() - 100] ^ 0x01);
    test::writeWholeFile(m_dir.file("s.flac.tmp"), head);
    const std::string url = m_reference.baseUrl() + "/data2/music/9900001/9900001.flac";
    ASSERT_EQ(transferFile(Text(url), target("s.flac"), {}, 0, m_abortFlag, m_timeouts), TransferResult::Completed);
    EXPECT_TRUE(read("s.flac") == m_good);
}

// A partial file of the song's full size but of other bytes (the 416 path)
// is not renamed as the song.
TEST_F(FlacTransferTest, FullSizeForeignPartialFileIsNotRenamedAsTheSong)
{
    test::writeWholeFile(m_dir.file("s.flac.tmp"), std::string(m_good.size(), 'g'));
    const std::string url = m_reference.baseUrl() + "/data2/music/9900001/9900001.flac";
    const TransferResult result = transferFile(Text(url), target("s.flac"), {}, 0, m_abortFlag, m_timeouts);
    if (result == TransferResult::Completed) {
        EXPECT_TRUE(read("s.flac") == m_good);
    }
    EXPECT_FALSE(exists("s.flac") && read("s.flac") != m_good);
}

}  // namespace
}  // namespace quorvo::download
