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

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <future>
#include <mutex>
#include <sys/mount.h>
#include <sys/xattr.h>
#include <thread>

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

// 600 bytes a second passes "1 KB in the stall time" for ever; the rule is an
// average of 1 KB a second.
TEST_F(HostileTransferTest, DripUnderAKilobyteASecondIsGivenUpAsAServerThatStopped)
{
    LoopbackServer server([](LoopbackServer& self, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        for (int i = 0; i < 330 && !self.stopping(); ++i) {
            LoopbackServer::send(socket, std::string(300, 'x'));
            self.hold(500ms);
        }
    });
    const TransferSettings timeouts {5000ms, 2s};
    TransferReply reply;
    auto transfer = std::async(std::launch::async, [&] {
        return transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, timeouts, {}, &reply);
    });
    ASSERT_EQ(transfer.wait_for(60s), std::future_status::ready) << "the drip was never given up";
    EXPECT_EQ(transfer.get(), TransferResult::Failed);
    EXPECT_EQ(reply.failure.kind, FailureKind::ServerStopped);
    EXPECT_FALSE(exists("s.mp3"));
}

// A resume answered with an empty 200 or a 204: a song is never empty, and
// the partial file keeps every byte it had.
TEST_F(HostileTransferTest, EmptyOr204AnswerToAResumeNeitherCutsThePartialFileNorFinishes)
{
    for (const std::string& answer : {std::string("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"),
                                      std::string("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n")}) {
        LoopbackServer server(
            [answer](LoopbackServer&, int socket, const std::string&) { LoopbackServer::send(socket, answer); });
        test::writeWholeFile(m_dir.file("s.mp3.tmp"), song.substr(0, 20000));
        TransferReply reply;
        EXPECT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts, {}, &reply),
                  TransferResult::Failed)
            << answer;
        EXPECT_FALSE(exists("s.mp3")) << answer;
        EXPECT_TRUE(read("s.mp3.tmp") == song.substr(0, 20000)) << answer;
        EXPECT_FALSE(reply.failure.empty());
        // And without a partial file no empty song appears either.
        fs::remove(m_dir.file("s.mp3.tmp"));
        EXPECT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts),
                  TransferResult::Failed);
        EXPECT_FALSE(exists("s.mp3"));
        EXPECT_FALSE(exists("s.mp3.tmp"));
    }
}

// A server that ignores the range and then breaks off early must not leave
// the partial file shorter than it was.
TEST_F(HostileTransferTest, WholeReplyToARangeThatBreaksOffEarlyLeavesThePartialFileAsItWas)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 50000\r\n\r\n" + song.substr(0, 5000));
    });
    test::writeWholeFile(m_dir.file("s.mp3.tmp"), song.substr(0, 30000));
    EXPECT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    EXPECT_TRUE(read("s.mp3.tmp") == song.substr(0, 30000));
    EXPECT_FALSE(exists("s.mp3"));
}

// Two transfers of one song at once: the second finds the partial file
// locked, leaves it alone and says why; the first ends with the song.
TEST_F(HostileTransferTest, SecondTransferOfTheSameSongLeavesTheLockedPartialFileAlone)
{
    std::atomic<int> served {0};
    LoopbackServer server([&served](LoopbackServer& self, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 50000\r\n\r\n" + song.substr(0, 25000));
        ++served;
        // The rest only once the second transfer has given up.
        while (served.load() < 2 && !self.stopping())
            self.hold(10ms);
        LoopbackServer::send(socket, song.substr(25000));
    });
    auto first = std::async(std::launch::async, [&] {
        return transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts);
    });
    while (served.load() < 1)
        std::this_thread::sleep_for(5ms);
    AbortFlag otherFlag;
    TransferReply reply;
    EXPECT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, otherFlag, m_timeouts, {}, &reply),
              TransferResult::Failed);
    EXPECT_EQ(reply.failure.kind, FailureKind::BusyElsewhere);
    ++served;
    EXPECT_EQ(first.get(), TransferResult::Completed);
    EXPECT_TRUE(read("s.mp3") == song);
}

TEST_F(HostileTransferTest, ErrorStatusIsKeptAsTheReason)
{
    LoopbackServer server([](LoopbackServer&, int socket, const std::string&) {
        LoopbackServer::send(socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\nConnection: close\r\n\r\nno!");
    });
    TransferReply reply;
    EXPECT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts, {}, &reply),
              TransferResult::Failed);
    EXPECT_EQ(reply.failure, (FailureReason {FailureKind::HttpStatus, 404}));
    EXPECT_EQ(describe(reply.failure), "HTTP 404");
}

// A partial file without a stored identity (copied, or on a file system
// without extended attributes) of another song of the same name: its tail is
// asked for again, differs, and the song starts over instead of a splice.
TEST_F(HostileTransferTest, PartialFileWithoutIdentityIsProvedBeforeItIsResumed)
{
    std::string other = song;
    std::reverse(other.begin(), other.end());
    LoopbackServer server([](LoopbackServer&, int socket, const std::string& request) {
        const std::string range = rangeOf(request);
        if (range.empty()) {
            LoopbackServer::send(socket, LoopbackServer::reply(song));
            return;
        }
        const std::size_t from = std::stoul(range.substr(range.find('=') + 1));
        LoopbackServer::send(
            socket,
            partialReply(song.substr(from), "Content-Range: bytes " + std::to_string(from) + "-49999/50000\r\n"));
    });
    test::writeWholeFile(m_dir.file("s.mp3.tmp"), other.substr(0, 30000));
    ASSERT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_TRUE(read("s.mp3") == song);

    // The same song's own head passes the proof and is resumed.
    test::writeWholeFile(m_dir.file("s.mp3.tmp"), song.substr(0, 30000));
    ASSERT_EQ(transferFile(Text(server.url("/s.mp3")), target("s.mp3"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_TRUE(read("s.mp3") == song);
    const std::vector<std::string> requests = server.requests();
    EXPECT_EQ(rangeOf(requests.back()), "bytes=" + std::to_string(30000 - 16 * 1024) + "-");
}

// A ramfs keeps no extended attributes at all (like vfat, exFAT or NFSv3): a
// partial file there has no stored identity. When the song behind the name
// changes between two attempts, the second one must not splice.
TEST_F(HostileTransferTest, OnAFileSystemWithoutExtendedAttributesAResumeIsNeverBlind)
{
    const fs::path mountPoint = m_dir.path() / "ramfs";
    fs::create_directory(mountPoint);
    if (::mount("none", mountPoint.c_str(), "ramfs", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount a ramfs here (" << std::strerror(errno) << ")";
    struct Unmount {
        const fs::path& at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount {mountPoint};

    std::string other = song;
    std::reverse(other.begin(), other.end());
    std::mutex mutex;
    const std::string* serving = &other;
    bool cut = true;
    LoopbackServer server([&](LoopbackServer&, int socket, const std::string& request) {
        const std::lock_guard lock(mutex);
        const std::string range = rangeOf(request);
        const std::size_t from = range.empty() ? 0 : std::stoul(range.substr(range.find('=') + 1));
        const std::string head = from == 0
            ? "HTTP/1.1 200 OK\r\n"
            : "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes " + std::to_string(from) + "-49999/50000\r\n";
        const std::string body = serving->substr(from);
        LoopbackServer::send(socket,
                             head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n"
                                 + (cut ? body.substr(0, 30000) : body));
    });
    const Text path = platform::fromNativePath((mountPoint / "s.mp3").string());
    EXPECT_EQ(transferFile(Text(server.url("/s.mp3")), path, {}, 0, m_abortFlag, m_timeouts), TransferResult::Failed);
    ASSERT_EQ(fs::file_size(mountPoint / "s.mp3.tmp"), 30000u);
    char value[8];
    ASSERT_LT(::getxattr((mountPoint / "s.mp3.tmp").c_str(), "user.quorvo.song", value, sizeof value), 0);
    {
        const std::lock_guard lock(mutex);
        serving = &song;
        cut = false;
    }
    ASSERT_EQ(transferFile(Text(server.url("/s.mp3")), path, {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_TRUE(test::readWholeFile(mountPoint / "s.mp3") == song);
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
