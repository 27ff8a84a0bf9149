// transferFile against the reference service: what goes on the wire, resume,
// the rate quota and its reports, abort, and every way a reply or the disk
// can fail. A finished file must always be byte-identical to the server's.

#include "download/Transfer.h"

#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"
#include "platform/Files.h"
#include "service/LinkResolver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <limits>
#include <mutex>
#include <sys/xattr.h>
#include <thread>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Special songs of the demo catalogue (server/README.md).
constexpr const char* plainSong = "9900001";
constexpr const char* dropSong = "9900042";         // connection cut after 100000 body bytes
constexpr const char* ignoreRangeSong = "9900043";  // 200 with the whole file despite Range
constexpr const char* status500Song = "9900044";
constexpr const char* status404Song = "9900045";
constexpr const char* redirectSong = "9900046";
constexpr const char* chunkedSong = "9900047";
constexpr const char* ftpRedirectSong = "9900049";
constexpr const char* delaySong = "9900040";  // 2 s before the reply

struct Report {
    int64_t done = 0;
    int64_t total = 0;
    Clock::time_point at;
};

// Collects reports; may also raise the abort flag after the n-th report.
class Recorder {
public:
    explicit Recorder(AbortFlag* abortAfter = nullptr, std::size_t afterReports = 0)
        : m_abortFlag(abortAfter)
        , m_abortAfter(afterReports)
    { }

    ProgressCallback callback()
    {
        return [this](int64_t done, int64_t total) {
            const std::lock_guard lock(m_mutex);
            m_reports.push_back({done, total, Clock::now()});
            if (m_abortFlag && m_reports.size() == m_abortAfter)
                m_abortFlag->raise();
        };
    }
    std::vector<Report> reports() const
    {
        const std::lock_guard lock(m_mutex);
        return m_reports;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Report> m_reports;
    AbortFlag* m_abortFlag;
    std::size_t m_abortAfter;
};

class TransferTest : public ::testing::Test {
protected:
    std::string songPath(const std::string& id, const char* extension = "flac") const
    {
        return "/data2/music/" + id + "/" + id + "." + extension;
    }
    Text songUrl(const std::string& id, const char* extension = "flac") const
    {
        return Text(m_server.baseUrl() + songPath(id, extension));
    }
    // The song's bytes as the server generated them (its cache file), so that
    // songs whose every reply is faulty can be compared too.
    std::string serverBytes(const std::string& id, const char* extension = "flac") const
    {
        return test::readWholeFile(test::cachedSongFile(m_server, id, extension));
    }
    Text target(const char* name) const { return platform::fromNativePath(m_dir.file(name)); }
    std::string read(const char* name) const { return test::readWholeFile(m_dir.file(name)); }
    bool exists(const char* name) const { return fs::exists(m_dir.file(name)); }
    // A partial file as a transfer leaves it: with its (here empty) stored identity.
    void writePartial(const char* name, const std::string& bytes) const
    {
        test::writeWholeFile(m_dir.file(name), bytes);
        ASSERT_EQ(::setxattr(m_dir.file(name).c_str(), "user.quorvo.song", "", 0, 0), 0);
    }
    std::vector<test::RequestLogEntry> fileRequests(const std::string& id, const char* extension = "flac") const
    {
        return m_server.requestsTo(songPath(id, extension));
    }

    test::TempDir m_dir;
    test::ReferenceServer m_server;
    AbortFlag m_abortFlag;
    TransferSettings m_timeouts {5000ms, 10s};
};

TEST_F(TransferTest, FinishedFileIsByteIdenticalAndThePartialFileIsGone)
{
    Recorder recorder;
    EXPECT_EQ(transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    const std::string expected = serverBytes(plainSong);
    EXPECT_EQ(read("song.flac"), expected);
    EXPECT_FALSE(exists("song.flac.tmp"));

    const std::vector<Report> reports = recorder.reports();
    ASSERT_GE(reports.size(), 2u);
    // The first pass reports at once; the last report is (total, total).
    EXPECT_GT(reports.front().done, 0);
    EXPECT_EQ(reports.back().done, static_cast<int64_t>(expected.size()));
    EXPECT_EQ(reports.back().total, static_cast<int64_t>(expected.size()));
}

TEST_F(TransferTest, RequestCarriesTheFixedHeaderBlockAndNoRangeWithoutPartialFile)
{
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    const auto requests = fileRequests(plainSong);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Accept"), "*/*");
    EXPECT_EQ(requests[0].header("Accept-Language"), "zh-cn");
    EXPECT_EQ(requests[0].header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(requests[0].header("User-Agent"),
              "Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)");
    EXPECT_FALSE(requests[0].header("Range"));
}

TEST(TransferHeaderBlock, ResumeAddsAnOpenRangeWithoutBlankAfterTheColon)
{
    EXPECT_EQ(transferHeaderBlock(0),
              "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
              "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)");
    EXPECT_TRUE(text::endsWith(transferHeaderBlock(5000000).view(), ".NET CLR 1.1.4322)\r\nRange:bytes=5000000-"));
    EXPECT_NE(text::find(transferHeaderBlock(5000000).view(), "\r\nAccept-Encoding: identity\r\n"), -1);
    EXPECT_TRUE(text::startsWith(transferAgentText().view(), "Agent"));
    EXPECT_EQ(service::partialPathOf("a/b.flac"), "a/b.flac.tmp");
}

// A limit of 2^54 + 1 KB/s times 1024 wrapped around to 1 KB/s.
TEST(TransferLimit, HugeLimitsAreClampedInsteadOfOverflowing)
{
    EXPECT_EQ(limitBytesPerWindow(0), 0);
    EXPECT_EQ(limitBytesPerWindow(-5), 0);
    EXPECT_EQ(limitBytesPerWindow(3), 3072);
    for (const int64_t huge : {(int64_t {1} << 53), (int64_t {1} << 54) + 1, std::numeric_limits<int64_t>::max()})
        EXPECT_EQ(limitBytesPerWindow(huge), largestLimitKBps * 1024);
}

// The server's /echo answers with the request head byte for byte, so the
// "song" it sends is exactly what went on the wire.
TEST_F(TransferTest, RequestHeadOnTheWireIsExactlyTheFixedBlockWithOrWithoutARange)
{
    const std::string fixed
        = "Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: gzip, deflate\r\n"
          "User-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)\r\n";
    const std::string head = "GET /echo/song.flac HTTP/1.1\r\nHost: " + m_server.host() + "\r\n";
    const Text url(m_server.baseUrl() + "/echo/song.flac");
    ASSERT_EQ(transferFile(url, target("song.mp3"), {}, 0, m_abortFlag, m_timeouts), TransferResult::Completed);
    EXPECT_EQ(read("song.mp3"), head + fixed + "\r\n");

    // (An .mp3 target: the echo is no FLAC to check.) A resume: the echo ignores the range (200), so the partial file
    // restarts and holds the ranged request.
    // A range addresses encoded bytes, and the partial file holds decoded ones: a ranged request asks for no encoding.
    writePartial("song.mp3.tmp", "12345");
    ASSERT_EQ(transferFile(url, target("song.mp3"), {}, 0, m_abortFlag, m_timeouts), TransferResult::Completed);
    std::string identity = fixed;
    identity.replace(identity.find("gzip, deflate"), 13, "identity");
    EXPECT_EQ(read("song.mp3"), head + identity + "Range:bytes=5-\r\n\r\n");
}

TEST_F(TransferTest, ResumeSendsOneRangeRequestAndEndsByteIdentical)
{
    const std::string expected = serverBytes(plainSong);
    const std::size_t offset = expected.size() / 2;
    writePartial("song.flac.tmp", expected.substr(0, offset));

    Recorder recorder;
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), expected);
    const auto requests = fileRequests(plainSong);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=" + std::to_string(offset) + "-");
    EXPECT_EQ(requests[0].status, 206);
    // total = this reply's length + offset = the whole file.
    const std::vector<Report> reports = recorder.reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().total, static_cast<int64_t>(expected.size()));
    EXPECT_GT(reports.front().done, static_cast<int64_t>(offset));
}

TEST_F(TransferTest, EmptyPartialFileIsNotAResume)
{
    test::writeWholeFile(m_dir.file("song.flac.tmp"), "");
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    const auto requests = fileRequests(plainSong);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].header("Range"));
}

TEST_F(TransferTest, AbortStopsAfterAtMostOneMoreReadAndTheNextTransferResumes)
{
    Recorder recorder(&m_abortFlag, 2);
    // 20 KB/s: two reports take about a second.
    EXPECT_EQ(transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 20, m_abortFlag, m_timeouts),
              TransferResult::Aborted);
    EXPECT_FALSE(m_abortFlag.isRaised()) << "the loop acknowledges by clearing the flag";
    EXPECT_FALSE(exists("song.flac"));
    const std::vector<Report> reports = recorder.reports();
    ASSERT_EQ(reports.size(), 2u);
    const auto kept = static_cast<int64_t>(fs::file_size(m_dir.file("song.flac.tmp")));
    EXPECT_GE(kept, reports.back().done);
    EXPECT_LE(kept, reports.back().done + static_cast<int64_t>(transferReadBytes));

    m_server.clearRequestLog();
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), serverBytes(plainSong));
    const auto requests = fileRequests(plainSong);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].header("Range"), "bytes=" + std::to_string(kept) + "-");
}

// A read takes only what the window's quota grants: 1 KB/s gives 1024 bytes
// a second, not one whole 10240-byte read.
TEST_F(TransferTest, OneKilobytePerSecondHoldsInEveryWindowWithOneReportPerWindow)
{
    Recorder recorder(&m_abortFlag, 5);
    EXPECT_EQ(transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 1, m_abortFlag, m_timeouts),
              TransferResult::Aborted);
    const std::vector<Report> reports = recorder.reports();
    ASSERT_EQ(reports.size(), 5u);
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_LE(reports[i].done - reports[i - 1].done, bytesPerKB) << i;
        EXPECT_GT(reports[i].at - reports[i - 1].at, progressWindow) << i;
        EXPECT_LT(reports[i].at - reports[i - 1].at, progressWindow * 3) << i;  // loose: a busy machine
    }
    EXPECT_GT(reports.back().done, 0);
    // The abort came with the fifth report: at most that window's quota follows it.
    EXPECT_LE(static_cast<int64_t>(fs::file_size(m_dir.file("song.flac.tmp"))), reports.back().done + bytesPerKB);
}

TEST_F(TransferTest, UnlimitedTransferStillReportsOncePerWindow)
{
    Recorder recorder;
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    const std::vector<Report> reports = recorder.reports();
    // A small song over loopback: the at-once first report, then the final one.
    for (std::size_t i = 1; i + 1 < reports.size(); ++i)
        EXPECT_GT(reports[i].at - reports[i - 1].at, progressWindow);
}

TEST_F(TransferTest, NegativeLimitMeansNoLimitInsteadOfReadingNothing)
{
    EXPECT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, -5, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), serverBytes(plainSong));
}

TEST_F(TransferTest, AbortRaisedWhileWaitingForTheQuotaIsAnsweredWithoutWaitingForTheWindow)
{
    Recorder recorder;
    auto transfer = std::async(std::launch::async, [&] {
        return transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 1, m_abortFlag, m_timeouts);
    });
    while (recorder.reports().empty())
        std::this_thread::sleep_for(5ms);
    m_abortFlag.raise();
    ASSERT_EQ(transfer.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(transfer.get(), TransferResult::Aborted);
    EXPECT_FALSE(m_abortFlag.isRaised());
    EXPECT_LE(recorder.reports().size(), 2u);
}

TEST_F(TransferTest, AbortRaisedWhileTheServerIsSilentIsAnswered)
{
    auto transfer = std::async(std::launch::async, [&] {
        return transferFile(songUrl(delaySong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts);
    });
    std::this_thread::sleep_for(200ms);
    m_abortFlag.raise();
    ASSERT_EQ(transfer.wait_for(30s), std::future_status::ready);
    EXPECT_EQ(transfer.get(), TransferResult::Aborted);
    EXPECT_FALSE(m_abortFlag.isRaised());
    EXPECT_FALSE(exists("song.flac"));
}

// ---- replies that are not the song ----

TEST_F(TransferTest, ErrorStatusFailsAndItsBodyNeverReachesTheSongFile)
{
    for (const char* id : {status500Song, status404Song}) {
        EXPECT_EQ(transferFile(songUrl(id), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
                  TransferResult::Failed)
            << id;
        EXPECT_FALSE(exists("song.flac")) << id;
        EXPECT_FALSE(exists("song.flac.tmp")) << id;
    }
}

TEST_F(TransferTest, ErrorStatusLeavesAnExistingPartialFileAsItWas)
{
    test::writeWholeFile(m_dir.file("song.flac.tmp"), "partial bytes");
    EXPECT_EQ(transferFile(songUrl(status500Song), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    EXPECT_EQ(read("song.flac.tmp"), "partial bytes");
}

TEST_F(TransferTest, ServerIgnoringTheRangeRestartsThePartialFileInsteadOfAppending)
{
    const std::string expected = serverBytes(ignoreRangeSong);
    test::writeWholeFile(m_dir.file("song.flac.tmp"), expected.substr(0, 5000));
    Recorder recorder;
    ASSERT_EQ(
        transferFile(songUrl(ignoreRangeSong), target("song.flac"), recorder.callback(), 0, m_abortFlag, m_timeouts),
        TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), expected);
    EXPECT_EQ(recorder.reports().back().total, static_cast<int64_t>(expected.size()));
    const auto requests = fileRequests(ignoreRangeSong);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].status, 200);
}

// The partial file already holds the whole song (the process died between
// the last byte and the rename): the range is unsatisfiable, and the song
// must not stay stuck on "stopped" forever.
TEST_F(TransferTest, UnsatisfiableRangeForACompletePartialFileFinishesTheSong)
{
    const std::string expected = serverBytes(plainSong);
    writePartial("song.flac.tmp", expected);
    Recorder recorder;
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), recorder.callback(), 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), expected);
    EXPECT_FALSE(exists("song.flac.tmp"));
    const auto requests = fileRequests(plainSong);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].status, 416);
    ASSERT_FALSE(recorder.reports().empty());
    EXPECT_EQ(recorder.reports().back().done, static_cast<int64_t>(expected.size()));
}

TEST_F(TransferTest, PartialFileLongerThanTheSongStartsOver)
{
    const std::string expected = serverBytes(plainSong);
    writePartial("song.flac.tmp", expected + "garbage");
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), expected);
    const auto requests = fileRequests(plainSong);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].status, 416);
    EXPECT_FALSE(requests[1].header("Range"));
}

TEST_F(TransferTest, DroppedConnectionFailsKeepsAGoodPrefixAndResumesToTheWholeFile)
{
    const std::string expected = serverBytes(dropSong);
    ASSERT_GT(expected.size(), 100000u);
    EXPECT_EQ(transferFile(songUrl(dropSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    EXPECT_FALSE(exists("song.flac"));
    const std::string prefix = read("song.flac.tmp");
    EXPECT_LE(prefix.size(), 100000u);
    EXPECT_EQ(prefix, expected.substr(0, prefix.size()));

    // Every attempt cuts after another 100000 bytes; resuming gets there.
    TransferResult result = TransferResult::Failed;
    for (int attempt = 0; attempt < 200 && result != TransferResult::Completed; ++attempt)
        result = transferFile(songUrl(dropSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts);
    ASSERT_EQ(result, TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), expected);
}

TEST_F(TransferTest, RedirectIsFollowed)
{
    ASSERT_EQ(transferFile(songUrl(redirectSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), serverBytes(redirectSong));
}

TEST_F(TransferTest, RedirectToAnotherSchemeIsRefused)
{
    EXPECT_EQ(transferFile(songUrl(ftpRedirectSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    EXPECT_FALSE(exists("song.flac"));
    EXPECT_FALSE(exists("song.flac.tmp"));
}

TEST_F(TransferTest, ReplyWithoutContentLengthFails)
{
    EXPECT_EQ(transferFile(songUrl(chunkedSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    EXPECT_FALSE(exists("song.flac"));
}

TEST_F(TransferTest, DeadPortAndEmptyUrlFailWithoutCreatingThePartialFile)
{
    EXPECT_EQ(transferFile("http://127.0.0.1:1/x.flac", target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    EXPECT_EQ(transferFile("", target("song.flac"), {}, 0, m_abortFlag, m_timeouts), TransferResult::Failed);
    EXPECT_FALSE(exists("song.flac.tmp"));
}

// ---- the disk ----

TEST_F(TransferTest, FullDiskFailsTheTransferInsteadOfReportingSuccess)
{
    fs::create_symlink("/dev/full", m_dir.file("song.flac.tmp"));
    TransferReply reply;
    EXPECT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts, {}, &reply),
              TransferResult::Failed);
    EXPECT_EQ(reply.failure, (FailureReason {FailureKind::NoSpace}));
    EXPECT_EQ(describe(reply.failure), "no space left on the disk");
    EXPECT_FALSE(exists("song.flac"));
}

TEST_F(TransferTest, MissingSaveDirectoryFails)
{
    EXPECT_EQ(transferFile(songUrl(plainSong), target("no/such/dir/song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
}

TEST_F(TransferTest, FinishedFileReplacesAnExistingFileOfTheFinalName)
{
    test::writeWholeFile(m_dir.file("song.flac"), "an older, different file");
    ASSERT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Completed);
    EXPECT_EQ(read("song.flac"), serverBytes(plainSong));
    EXPECT_FALSE(exists("song.flac.tmp"));
}

TEST_F(TransferTest, FailedRenameIsAFailureNotASuccess)
{
    fs::create_directories(m_dir.file("song.flac") + "/occupied");
    EXPECT_EQ(transferFile(songUrl(plainSong), target("song.flac"), {}, 0, m_abortFlag, m_timeouts),
              TransferResult::Failed);
    // The complete body stays in the partial file for a later attempt.
    EXPECT_EQ(read("song.flac.tmp"), serverBytes(plainSong));
}

}  // namespace
}  // namespace quorvo::download
