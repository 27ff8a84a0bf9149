// The service against replies the reference service never gives: other
// servers' headers, large header blocks, encoded and binary lyric files,
// oversized search replies and impossible link sizes.

#include "LoopbackServer.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "service/FileNames.h"
#include "service/LinkResolver.h"
#include "service/Lyrics.h"
#include "service/Search.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

namespace quorvo::service {
namespace {

using test::LoopbackServer;
using namespace std::chrono_literals;

const std::string lyricText = "[00:01.00]\xE5\xA4\x9C\xE8\x89\xB2 gzip lyric\n";

std::string bytes(const char* data, std::size_t size)
{
    return std::string(data, size);
}

// lyricText, gzip-compressed and zlib-compressed (HTTP's "deflate").
const std::string gzipped = bytes("\x1F\x8B\x08\x00\x00\x00\x00\x00\x02\x03\x8B\x36\x30\xB0\x32\x30\xD4\x33\x30\x88"
                                  "\x7D\xBA\x64\xCE\x8B\xCE\x4D\x0A\xE9\x55\x99\x05\x0A\x39\x95\x45\x99\xC9\x5C\x00"
                                  "\x20\x13\xEA\xB1\x1C\x00\x00\x00",
                                  48);
const std::string deflated = bytes("\x78\x9C\x8B\x36\x30\xB0\x32\x30\xD4\x33\x30\x88\x7D\xBA\x64\xCE\x8B\xCE\x4D\x0A"
                                   "\xE9\x55\x99\x05\x0A\x39\x95\x45\x99\xC9\x5C\x00\x93\x74\x0A\xB1",
                                   36);

// Answers every request with the same reply.
LoopbackServer answering(const std::string& reply)
{
    return LoopbackServer(
        [reply](LoopbackServer&, int socket, const std::string&) { LoopbackServer::send(socket, reply); });
}

Text lyricStoredFrom(const LoopbackServer& server, const test::TempDir& dir)
{
    const Text path = platform::fromNativePath(dir.file("song.lrc"));
    EXPECT_TRUE(fetchLyrics(Text(server.url("/data2/lrc/1/1.lrc")), path));
    return Text::fromBytes(test::readWholeFile(dir.file("song.lrc")));
}

// Python's http.server names itself "BaseHTTP/0.6 Python/3.11"; a proxy adds
// "Via: HTTP/1.1 ...". Neither is a status line.
TEST(LyricReplies, ServerAndViaHeadersDoNotHideAGoodReply)
{
    for (const std::string extra : {"Server: BaseHTTP/0.6 Python/3.11\r\n", "Via: HTTP/1.1 proxy\r\n"}) {
        const auto server = answering(LoopbackServer::reply(lyricText, extra));
        test::TempDir dir;
        EXPECT_EQ(lyricStoredFrom(server, dir), lyricText) << extra;
    }
}

TEST(LyricReplies, HeaderBlockBeyondFourKilobytesStillDeliversTheLyric)
{
    const auto server = answering(LoopbackServer::reply(lyricText, "X-Filler: " + std::string(6000, 'f') + "\r\n"));
    test::TempDir dir;
    EXPECT_EQ(lyricStoredFrom(server, dir), lyricText);
}

TEST(LyricReplies, GzipAndDeflateRepliesAreStoredDecoded)
{
    for (const auto& [encoding, body] : {std::pair {"gzip", gzipped}, std::pair {"deflate", deflated}}) {
        const auto server
            = answering(LoopbackServer::reply(body, std::string("Content-Encoding: ") + encoding + "\r\n"));
        test::TempDir dir;
        EXPECT_EQ(lyricStoredFrom(server, dir), lyricText) << encoding;
    }
}

TEST(LyricReplies, UndecodableEncodingIsNeverStored)
{
    const auto server = answering(LoopbackServer::reply("not gzip at all", "Content-Encoding: gzip\r\n"));
    test::TempDir dir;
    EXPECT_EQ(lyricStoredFrom(server, dir), "");
}

TEST(LyricReplies, Utf16LyricKeepsEveryByte)
{
    const std::string utf16 = bytes("\xFF\xFE[\x00"
                                    "0\x00"
                                    "]\x00"
                                    "a\x00\n\x00",
                                    12);
    const auto server = answering(LoopbackServer::reply(utf16));
    test::TempDir dir;
    const Text path = platform::fromNativePath(dir.file("song.lrc"));
    EXPECT_TRUE(fetchLyrics(Text(server.url("/data2/lrc/1/1.lrc")), path));
    EXPECT_EQ(test::readWholeFile(dir.file("song.lrc")), utf16);
}

const std::string oneSong = "<?xml version=\"1.0\" encoding=\"utf-8\"?><result><song_list><song>"
                            "<title>T</title><album_title>A</album_title><author>S</author><song_id>77</song_id>"
                            "<lrclink>/l.lrc</lrclink><all_rate>128,flac</all_rate></song></song_list></result>";

TEST(SearchReplies, LargeHeaderBlockIsStillAnAnswer)
{
    const auto server = answering(LoopbackServer::reply(oneSong, "X-Filler: " + std::string(6000, 'f') + "\r\n"));
    SearchReport report;
    const auto rows
        = runSearch(ServiceEndpoints(Text("127.0.0.1:" + std::to_string(server.port()))), "q", {}, {}, {}, &report);
    EXPECT_TRUE(report.answered);
    EXPECT_TRUE(report.searchDocument);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].songId, "77");
}

// No length given: the cap, not the header's promise, stops the read.
TEST(SearchReplies, ReplyBeyondEightMegabytesIsRefused)
{
    const std::string padded = oneSong + "<!--" + std::string(9 * 1024 * 1024, 'p') + "-->";
    const auto server = answering("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + padded);
    SearchReport report;
    const auto rows
        = runSearch(ServiceEndpoints(Text("127.0.0.1:" + std::to_string(server.port()))), "q", {}, {}, {}, &report);
    EXPECT_TRUE(rows.empty());
    EXPECT_FALSE(report.searchDocument);
}

TEST(LinkReplies, SizesNoFileCanHaveReadAsUnknown)
{
    for (const std::string size : {"1e300", "-5", "-1e300", "18446744073709551616", "1125899906842625"}) {
        const auto link = readLinkReply(Text(R"([{"file_list":[{"url":"u","size":)" + size + "}]}]"));
        ASSERT_TRUE(link) << size;
        EXPECT_EQ(link->size, 0) << size;
    }
    EXPECT_EQ(readLinkReply(R"([{"file_list":[{"url":"u","size":36906000.7}]}])")->size, 36906000);
}

// A title of removed characters only, under the title-only scheme.
const std::string voidWalker = "<?xml version=\"1.0\" encoding=\"utf-8\"?><result><song_list><song>"
                               "<title>?*:</title><album_title>A</album_title><author>S</author>"
                               "<song_id>9900077</song_id><lrclink>/l.lrc</lrclink><all_rate>flac</all_rate>"
                               "</song></song_list></result>";

TEST(EmptyNames, SongWhoseNameIsEmptyIsFoundUnderItsIdNotAsAHiddenFile)
{
    const auto server = answering(LoopbackServer::reply(voidWalker));
    test::TempDir dir;
    SearchFilter filter;
    filter.bypass = true;
    filter.naming = SongNaming(NamingScheme::Title, platform::fromNativePath(dir.path().string()) + "/");
    const ServiceEndpoints service(Text("127.0.0.1:" + std::to_string(server.port())));

    test::writeWholeFile(dir.file(".flac"), "a hidden file that is no song");
    EXPECT_EQ(runSearch(service, "q", filter).size(), 1u);
    test::writeWholeFile(dir.file("9900077.flac"), "the song");
    EXPECT_TRUE(runSearch(service, "q", filter).empty());
}

// The server takes the request and says nothing; the stop comes 200 ms in.
// Without the hook each request would wait out its 5-second phase.
TEST(SongRequests, AbortReachesTheLyricAndLinkRequestsOfASilentServer)
{
    LoopbackServer silent([](LoopbackServer& self, int, const std::string&) { self.hold(20s); });
    const ServiceEndpoints service(Text("127.0.0.1:" + std::to_string(silent.port())));
    test::TempDir dir;
    for (const bool lyric : {true, false}) {
        std::atomic<bool> raised {false};
        std::thread raiser([&raised] {
            std::this_thread::sleep_for(200ms);
            raised = true;
        });
        const auto abort = [&raised] { return raised.load(); };
        const auto start = std::chrono::steady_clock::now();
        if (lyric) {
            EXPECT_TRUE(fetchLyrics(Text(silent.url("/data2/lrc/1/1.lrc")), platform::fromNativePath(dir.file("a.lrc")),
                                    abort));
            EXPECT_EQ(test::readWholeFile(dir.file("a.lrc")), "");
        } else {
            EXPECT_FALSE(resolveLink(service, "1", abort));
        }
        const auto took
            = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        raiser.join();
        std::printf("%s request ended %lld ms after it started (stop raised at 200 ms)\n", lyric ? "lyric" : "link",
                    static_cast<long long>(took));
        // Far from the 5 s of a request the stop never reached, with room for a loaded machine.
        EXPECT_LT(took, 3000) << (lyric ? "lyric" : "link");
    }
}

}  // namespace
}  // namespace quorvo::service
