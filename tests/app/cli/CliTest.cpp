// quorvo-cli as a user runs it: a copy of the binary in a fresh directory
// (its config.ini and Download/ go beside it), talking to the reference
// service on loopback.

#include "CliProcess.h"
#include "HostileService.h"
#include "ReferenceServer.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quorvo {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::CliProcess;
using test::fields;
using test::lines;
using test::Outcome;

constexpr const char* completedStatus = "下载完毕";
constexpr const char* failedStatus = "下载失败";
constexpr const char* stoppedStatus = "下载终止";

class CliTest : public ::testing::Test {
protected:
    CliTest()
    {
        m_binary = m_dir.path() / "quorvo-cli";
        fs::copy_file(QUORVO_CLI_PATH, m_binary);
    }

    Outcome run(std::vector<std::string> args, std::vector<std::string> environment = {})
    {
        args.insert(args.begin(), {"--service", m_server.host()});
        return CliProcess(m_binary, args, environment).wait();
    }
    // The result number of a song in `search` output.
    std::string numberOf(const std::string& query, const std::string& songId)
    {
        for (const std::string& line : lines(run({"search", query}).out)) {
            const std::vector<std::string> cells = fields(line);
            if (cells.size() == 6 && cells[5] == songId)
                return cells[0];
        }
        ADD_FAILURE() << "song " << songId << " not found for " << query;
        return "0";
    }
    std::string serverFile(const std::string& id, const char* extension)
    {
        return m_server.get("/data2/music/" + id + "/" + id + "." + extension).body;
    }
    std::string saveDir() const { return (m_dir.path() / "songs").string(); }

    test::TempDir m_dir;
    test::ReferenceServer m_server;
    fs::path m_binary;
};

TEST_F(CliTest, SearchPrintsOneTabSeparatedUtf8LinePerRowAndNothingElse)
{
    const Outcome outcome = run({"search", "夜色温柔"});
    EXPECT_EQ(outcome.exitStatus, 0);
    const std::vector<std::string> rows = lines(outcome.out);
    ASSERT_FALSE(rows.empty());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::vector<std::string> cells = fields(rows[i]);
        ASSERT_EQ(cells.size(), 6u) << rows[i];
        EXPECT_EQ(cells[0], std::to_string(i + 1));
    }
    EXPECT_NE(outcome.out.find("\t夜色温柔\t城市微光\t林晓风\tflac\t9900001\n"), std::string::npos) << outcome.out;
    // The query went out as GBK bytes, percent-encoded.
    const auto requests = m_server.requestsTo("/v1/restserver/vesk");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].target.find("query=%D2%B9%C9%AB%CE%C2%C8%E1&"), std::string::npos);
    // Its run directory is its own: config.ini and Download/ beside it.
    EXPECT_TRUE(fs::exists(m_dir.path() / "config.ini"));
    EXPECT_TRUE(fs::is_directory(m_dir.path() / "Download"));
}

TEST_F(CliTest, ServiceHostComesFromTheEnvironmentWithoutOption)
{
    const Outcome outcome
        = CliProcess(m_binary, {"search", "Paper Lanterns"}, {"QUORVO_API_HOST=" + m_server.host()}).wait();
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_NE(outcome.out.find("\t9900002\n"), std::string::npos);
}

TEST_F(CliTest, GetDownloadsThePickedSongIntoDirAndExitsZero)
{
    const std::string number = numberOf("Paper Lanterns", "9900002");
    const Outcome outcome = run({"get", "Paper Lanterns", "--pick", number, "--dir", saveDir()});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
    EXPECT_EQ(lines(outcome.out),
              std::vector<std::string> {std::string("The Velvet Orchard - Paper Lanterns.mp3\t") + completedStatus});
    EXPECT_EQ(test::readWholeFile(saveDir() + "/The Velvet Orchard - Paper Lanterns.mp3"),
              serverFile("9900002", "mp3"));
    EXPECT_TRUE(fs::exists(saveDir() + "/The Velvet Orchard - Paper Lanterns.lrc"));
    // Not a terminal: plain progress lines on standard error.
    EXPECT_NE(outcome.err.find("The Velvet Orchard - Paper Lanterns\t开始下载"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("%\t下载速度:"), std::string::npos) << outcome.err;
}

// --jobs 3: three songs at once, each whole, and the song lines in list order.
TEST_F(CliTest, GetWithSeveralJobsDownloadsEverySongWhole)
{
    const std::string first = numberOf("夜", "1100005");
    const std::string second = numberOf("夜", "1100023");
    const std::string third = numberOf("夜", "1100031");
    const std::string fourth = numberOf("夜", "9900001");
    // The server makes a song's file at its first link request; made here one
    // by one, three at once cannot outlast the link's time limit on a busy machine.
    for (const char* id : {"1100005", "1100023", "1100031", "9900001"})
        ASSERT_EQ(m_server.get(std::string("/app/link/getLinks.php?songId=") + id).status, 200) << id;
    const Outcome outcome = run(
        {"get", "夜", "--pick", first + "," + second + "," + third + "," + fourth, "--jobs", "3", "--dir", saveDir()});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
    const std::vector<std::string> rows = lines(outcome.out);
    ASSERT_EQ(rows.size(), 4u) << outcome.out;
    for (const std::string& row : rows)
        EXPECT_EQ(fields(row).at(1), completedStatus) << row;
    for (const char* id : {"1100005", "1100023", "1100031", "9900001"}) {
        bool found = false;
        for (const std::string& row : rows) {
            const std::string file = saveDir() + "/" + fields(row).at(0);
            const std::string extension = file.ends_with(".flac") ? "flac" : "mp3";
            found = found || test::readWholeFile(file) == serverFile(id, extension.c_str());
        }
        EXPECT_TRUE(found) << id;
    }
    EXPECT_EQ(run({"get", "夜", "--pick", first, "--jobs", "0"}).exitStatus, 2);
}

TEST_F(CliTest, GetEndsWithEveryRowsStatusAndFailsUnlessAllFinished)
{
    const Outcome outcome = run({"get", "Broken Link", "--all", "--dir", saveDir()});
    EXPECT_EQ(outcome.exitStatus, 1);
    const std::vector<std::string> rows = lines(outcome.out);
    ASSERT_EQ(rows.size(), 4u) << outcome.out;
    std::map<std::string, int> statuses;
    for (const std::string& row : rows)
        ++statuses[fields(row).at(1)];
    EXPECT_NE(outcome.out.find(std::string("Link Tester - Broken Link Html.flac\t") + failedStatus + "\n"),
              std::string::npos);
    // The first JSON reply without a file address stops the worker; the rest wait.
    EXPECT_EQ(statuses[failedStatus], 1);
    EXPECT_EQ(statuses[stoppedStatus], 1);
    EXPECT_EQ(statuses["等待下载"], 2);
    // Why, on standard error.
    EXPECT_NE(outcome.err.find("quorvo-cli: Link Tester - Broken Link Html.flac: the service gave no link\n"),
              std::string::npos)
        << outcome.err;
}

// The bypass test leaves out songs already in the save directory, so search
// and get must look at the same directory for the numbers to agree.
TEST_F(CliTest, SearchWithDirLeavesOutSongsAlreadyThere)
{
    ASSERT_EQ(run({"get", "Paper Lanterns", "--all", "--dir", saveDir()}).exitStatus, 0);
    EXPECT_EQ(run({"search", "Paper Lanterns", "--dir", saveDir()}).out, "");
    EXPECT_NE(run({"search", "Paper Lanterns"}).out.find("\t9900002\n"), std::string::npos);
}

// Getting a song that is already there again is no bad usage: nothing is left to do.
TEST_F(CliTest, GettingSongsThatAreAllThereAlreadySaysSoAndSucceeds)
{
    ASSERT_EQ(run({"get", "Paper Lanterns", "--all", "--dir", saveDir()}).exitStatus, 0);
    for (const char* choice : {"--pick=1", "--all"}) {
        const Outcome again = run({"get", "Paper Lanterns", choice, "--dir", saveDir()});
        EXPECT_EQ(again.exitStatus, 0) << choice << again.err;
        EXPECT_NE(again.err.find("already"), std::string::npos) << again.err;
    }
}

TEST_F(CliTest, BadCommandLinesExitTwo)
{
    EXPECT_EQ(run({"get", "Paper"}).exitStatus, 2);  // neither --pick nor --all
    EXPECT_EQ(run({"get", "Paper", "--pick", "0"}).exitStatus, 2);
    EXPECT_EQ(run({"get", "Paper", "--pick", "999"}).exitStatus, 2);
    EXPECT_EQ(run({"search"}).exitStatus, 2);
    EXPECT_EQ(run({"fetch", "x"}).exitStatus, 2);
    EXPECT_EQ(run({"get", "Paper", "--all", "--limit", "fast"}).exitStatus, 2);
    EXPECT_EQ(run({"search", "Paper", "--all"}).exitStatus, 2);
    EXPECT_EQ(run({"search", "Paper", "--keep-going"}).exitStatus, 2);
    EXPECT_EQ(run({"get", "Paper", "--all", "--retries", "-1"}).exitStatus, 2);
    EXPECT_EQ(run({"get", "Paper", "--all", "--retries", "1001"}).exitStatus, 2);
    // What was typed is echoed escaped.
    const Outcome odd = run({"--bad\x1B[2J"});
    EXPECT_EQ(odd.exitStatus, 2);
    EXPECT_NE(odd.err.find("unknown option --bad\\x1B[2J"), std::string::npos) << odd.err;
    // Asking for help is no mistake: the usage goes to standard output and the status is 0.
    const Outcome help = run({"--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("usage: quorvo-cli"), std::string::npos) << help.out;
}

// A loopback port where nothing listens.
std::string deadHost()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
}

TEST_F(CliTest, AServiceThatDoesNotAnswerIsAFailureNotAnEmptyResult)
{
    const std::string host = deadHost();
    const std::string said = "quorvo-cli: the service at " + host + " did not answer\n";
    const Outcome searched = CliProcess(m_binary, {"--service", host, "search", "Paper Lanterns"}, {}).wait();
    EXPECT_EQ(searched.exitStatus, 1);
    EXPECT_EQ(searched.out, "");
    EXPECT_EQ(searched.err, said);
    const Outcome got = CliProcess(m_binary, {"--service", host, "get", "Paper Lanterns", "--pick", "1"}, {}).wait();
    EXPECT_EQ(got.exitStatus, 1);
    EXPECT_EQ(got.err, said);
}

TEST_F(CliTest, AnErrorPageIsNoSearchResultButNothingFoundIsOne)
{
    test::ReferenceServer failing({"--fault-status", "503", "--fault-on", "search"});
    const Outcome refused = CliProcess(m_binary, {"--service", failing.host(), "search", "Paper Lanterns"}, {}).wait();
    EXPECT_EQ(refused.exitStatus, 1);
    EXPECT_NE(refused.err.find("did not answer with a search result (HTTP 503"), std::string::npos) << refused.err;

    const Outcome nothing = run({"search", "no song is called this"});
    EXPECT_EQ(nothing.exitStatus, 0) << nothing.err;
    EXPECT_EQ(nothing.out, "");
    EXPECT_EQ(nothing.err, "");
}

// Titles are the service's to choose: none may forge a row, a status line or
// a terminal sequence, in what is printed or in the names on disk.
TEST_F(CliTest, ControlCharactersInTitlesAreEscapedInOutputAndDroppedFromNames)
{
    const std::string catalogue = m_dir.file("forged.json");
    test::writeWholeFile(catalogue,
                         R"({"songs":[{"id":"9900001","title":"Forged\n2\tFake\tRow\u001b[2J\u007f",)"
                         R"("artist":"Tab\tBand\r","album":"Al\u0085bum","all_rate":"128","seconds":2}]})");
    test::ReferenceServer forged({"--catalogue", catalogue});
    const Outcome searched = CliProcess(m_binary, {"--service", forged.host(), "search", "Forged"}, {}).wait();
    EXPECT_EQ(searched.exitStatus, 0) << searched.err;
    EXPECT_EQ(searched.out,
              "1\tForged\\x0A2\\x09Fake\\x09Row\\x1B[2J\\x7F\tAl\\u0085bum\tTab\\x09Band\\x0D\t128\t9900001\n");

    const Outcome got
        = CliProcess(m_binary, {"--service", forged.host(), "get", "Forged", "--all", "--dir", saveDir()}, {}).wait();
    EXPECT_EQ(got.exitStatus, 0) << got.err;
    EXPECT_EQ(lines(got.out),
              std::vector<std::string> {std::string("TabBand - Forged2FakeRow[2J.mp3\t") + completedStatus});
    EXPECT_TRUE(fs::exists(saveDir() + "/TabBand - Forged2FakeRow[2J.mp3"));
    for (const std::string* output : {&got.out, &got.err}) {
        for (const char c : *output)
            EXPECT_TRUE(c == '\n' || c == '\t' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F))
                << "raw control byte " << static_cast<int>(c) << " in " << *output;
    }
}

// Under the title-only scheme a title of nothing but forbidden characters
// leaves no name: the song is saved under its id, never as a hidden ".flac",
// and a second get finds it there.
TEST_F(CliTest, ASongWithNoNameLeftIsSavedUnderItsIdAndFoundThereAgain)
{
    test::writeWholeFile(m_dir.path() / "config.ini", "[Main]\nsType=2\nbypass=1\n");
    const Outcome got = run({"get", "Void Walker", "--all", "--dir", saveDir()});
    EXPECT_EQ(got.exitStatus, 0) << got.err;
    EXPECT_TRUE(fs::exists(saveDir() + "/9900008.flac"));
    EXPECT_FALSE(fs::exists(saveDir() + "/.flac"));
    const Outcome again = run({"get", "Void Walker", "--all", "--dir", saveDir()});
    EXPECT_EQ(again.exitStatus, 0) << again.err;
    EXPECT_NE(again.err.find("already"), std::string::npos) << again.err;
}

// "81 2F": a GBK lead byte before "/". Read as one character it would hide
// the "/" from the name's cleaning and the file would land in a directory.
TEST_F(CliTest, ALeadByteBeforeASlashCannotPutTheSongIntoADirectory)
{
    test::HostileService service({{"7", "..\x81/..\x81/..escaped", "x", std::string(3000, 'a')}});
    const Outcome got
        = CliProcess(m_binary, {"--service", service.host(), "get", "escaped", "--all", "--dir", saveDir()}, {}).wait();
    EXPECT_EQ(got.exitStatus, 0) << got.err;
    // A lone lead byte has no UTF-8 form and is written as "?".
    EXPECT_EQ(test::readWholeFile(saveDir() + "/x - ..?..?..escaped.mp3"), std::string(3000, 'a'));
    for (const auto& entry : fs::recursive_directory_iterator(saveDir())) {
        EXPECT_TRUE(entry.is_regular_file()) << entry.path();
        EXPECT_EQ(entry.path().parent_path(), fs::path(saveDir())) << entry.path();
    }
}

TEST_F(CliTest, KeepGoingGoesOnAfterAFailedSongAndStillExitsOne)
{
    const std::vector<test::HostileSong> songs
        = {{"1", "First", "x", std::string(500, '1'), 0, 0, 1000, 404}, {"2", "Second", "x", std::string(500, '2')}};
    test::HostileService service(songs);
    const Outcome stopped
        = CliProcess(m_binary, {"--service", service.host(), "get", "x", "--all", "--dir", saveDir()}, {}).wait();
    EXPECT_EQ(stopped.exitStatus, 1);
    EXPECT_EQ(lines(stopped.out),
              (std::vector<std::string> {std::string("x - First.mp3\t") + stoppedStatus, "x - Second.mp3\t等待下载"}));

    const Outcome kept
        = CliProcess(m_binary, {"--service", service.host(), "get", "x", "--all", "--dir", saveDir(), "--keep-going"},
                     {})
              .wait();
    EXPECT_EQ(kept.exitStatus, 1);
    EXPECT_EQ(lines(kept.out),
              (std::vector<std::string> {std::string("x - First.mp3\t") + failedStatus,
                                         std::string("x - Second.mp3\t") + completedStatus}));
    EXPECT_EQ(test::readWholeFile(saveDir() + "/x - Second.mp3"), std::string(500, '2'));
}

TEST_F(CliTest, RetriesResumeACutTransferFromItsPartialFile)
{
    std::string body;
    for (int i = 0; i < 40000; ++i)
        body += static_cast<char>('a' + i % 26);
    test::HostileService service({{"5", "Cut", "x", body, 2, 10000}});
    const std::vector<std::string> environment = {"QUORVO_CLI_RETRY_PAUSE_MS=20"};
    const Outcome once
        = CliProcess(m_binary,
                     {"--service", service.host(), "get", "Cut", "--all", "--dir", saveDir(), "--retries", "0"},
                     environment)
              .wait();
    EXPECT_EQ(once.exitStatus, 1);
    EXPECT_EQ(service.fileRequests("5").size(), 1u);

    const Outcome retried
        = CliProcess(m_binary,
                     {"--service", service.host(), "get", "Cut", "--all", "--dir", saveDir(), "--retries", "3"},
                     environment)
              .wait();
    EXPECT_EQ(retried.exitStatus, 0) << retried.err;
    EXPECT_EQ(test::readWholeFile(saveDir() + "/x - Cut.mp3"), body);
    const std::vector<std::string> requests = service.fileRequests("5");
    ASSERT_EQ(requests.size(), 3u);
    // Each attempt goes on where the partial file ends.
    EXPECT_NE(requests[1].find("bytes=10000-"), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("bytes=20000-"), std::string::npos) << requests[2];
    EXPECT_NE(retried.err.find("x - Cut.mp3 failed; retry 1 in 0.0 s"), std::string::npos) << retried.err;
}

TEST_F(CliTest, RetriesEndWhenTheyAreUsedUp)
{
    test::HostileService service({{"6", "Busy", "x", std::string(100, 'b'), 0, 0, 5, 503}});
    const Outcome outcome
        = CliProcess(m_binary,
                     {"--service", service.host(), "get", "Busy", "--all", "--dir", saveDir(), "--retries", "2"},
                     {"QUORVO_CLI_RETRY_PAUSE_MS=1"})
              .wait();
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(service.fileRequests("6").size(), 3u);
    EXPECT_EQ(lines(outcome.out), std::vector<std::string> {std::string("x - Busy.mp3\t") + stoppedStatus});
}

// A busy server says when to come back; the retry waits that long, not the
// (here 1 ms) doubling pause.
TEST_F(CliTest, RetriesWaitForTheRetryAfterOfABusyServer)
{
    for (const int busy : {503, 429}) {
        SCOPED_TRACE(busy);
        test::HostileService service({{"8", "Later", "x", std::string(300, 'l'), 0, 0, 1, busy, "1"}});
        const Outcome outcome = CliProcess(m_binary,
                                           {"--service", service.host(), "get", "Later", "--all", "--dir",
                                            saveDir() + std::to_string(busy), "--retries", "1"},
                                           {"QUORVO_CLI_RETRY_PAUSE_MS=1"})
                                    .wait();
        EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
        EXPECT_NE(outcome.err.find("x - Later.mp3 failed; retry 1 in 1.0 s"), std::string::npos) << outcome.err;
        EXPECT_EQ(test::readWholeFile(saveDir() + std::to_string(busy) + "/x - Later.mp3"), std::string(300, 'l'));
    }
}

// The service's own file is broken: the user is told which file and why,
// it never gets its name, and fetching it again would not help.
TEST_F(CliTest, AFlacThatFailsItsChecksumIsNamedWithTheReasonAndNotRetried)
{
    std::string damaged = serverFile("9900001", "flac");
    // The first byte of STREAMINFO's MD5.
    damaged[26] = static_cast<char>(damaged[26] ^ 0x5A);
    test::HostileSong song("9", "Damaged", "x", damaged);
    song.rates = "128,flac";
    test::HostileService service({song});
    const Outcome got
        = CliProcess(m_binary,
                     {"--service", service.host(), "get", "Damaged", "--all", "--dir", saveDir(), "--retries", "3"},
                     {"QUORVO_CLI_RETRY_PAUSE_MS=0"})
              .wait();
    EXPECT_EQ(got.exitStatus, 1);
    EXPECT_EQ(lines(got.out), std::vector<std::string> {std::string("x - Damaged.flac\t") + failedStatus});
    EXPECT_NE(got.err.find("quorvo-cli: x - Damaged.flac: the audio does not match the MD5 checksum in its own "
                           "header, so the service's file is damaged; it is kept as x - Damaged.flac.tmp"),
              std::string::npos)
        << got.err;
    EXPECT_FALSE(fs::exists(saveDir() + "/x - Damaged.flac"));
    EXPECT_TRUE(test::readWholeFile(saveDir() + "/x - Damaged.flac.tmp") == damaged);
    EXPECT_EQ(service.fileRequests("9").size(), 1u);

    // Asked not to decode, the file is taken on its size alone.
    const Outcome unchecked
        = CliProcess(m_binary,
                     {"--service", service.host(), "get", "Damaged", "--all", "--dir", saveDir(), "--no-audio-check"},
                     {})
              .wait();
    EXPECT_EQ(unchecked.exitStatus, 0) << unchecked.err;
    EXPECT_TRUE(test::readWholeFile(saveDir() + "/x - Damaged.flac") == damaged);
}

class CliResumeTest : public CliTest {
protected:
    // Starts a throttled get and returns once its partial file holds some bytes.
    std::unique_ptr<CliProcess> startSlowGet()
    {
        const std::string number = numberOf("Paper Lanterns", "9900002");
        auto process = std::make_unique<CliProcess>(m_binary,
                                                    std::vector<std::string> {"--service", m_server.host(), "get",
                                                                              "Paper Lanterns", "--pick", number,
                                                                              "--dir", saveDir(), "--limit", "20"},
                                                    std::vector<std::string> {});
        for (int i = 0; i < 3000 && !(fs::exists(partial()) && fs::file_size(partial()) >= 20480); ++i)
            std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(fs::exists(partial()));
        return process;
    }
    std::string partial() const { return saveDir() + "/The Velvet Orchard - Paper Lanterns.mp3.tmp"; }

    void expectResumeWithOneRangeRequest(std::uintmax_t kept)
    {
        const std::string number = numberOf("Paper Lanterns", "9900002");
        m_server.clearRequestLog();
        const Outcome again = run({"get", "Paper Lanterns", "--pick", number, "--dir", saveDir()});
        EXPECT_EQ(again.exitStatus, 0) << again.err;
        const auto requests = m_server.requestsTo("/data2/music/9900002/9900002.mp3");
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].header("Range"), "bytes=" + std::to_string(kept) + "-");
        EXPECT_EQ(test::readWholeFile(saveDir() + "/The Velvet Orchard - Paper Lanterns.mp3"),
                  serverFile("9900002", "mp3"));
        EXPECT_FALSE(fs::exists(partial()));
    }
};

TEST_F(CliResumeTest, CtrlCPausesLeavesThePartialFileAndTheNextGetResumes)
{
    std::unique_ptr<CliProcess> process = startSlowGet();
    process->signal(SIGINT);
    const Outcome outcome = process->wait();
    EXPECT_EQ(outcome.exitStatus, 1);
    EXPECT_EQ(lines(outcome.out),
              std::vector<std::string> {std::string("The Velvet Orchard - Paper Lanterns.mp3\t") + stoppedStatus});
    ASSERT_TRUE(fs::exists(partial()));
    expectResumeWithOneRangeRequest(fs::file_size(partial()));
}

TEST_F(CliResumeTest, KilledMidFileTheNextGetResumesWithOneRangeRequest)
{
    std::unique_ptr<CliProcess> process = startSlowGet();
    process->signal(SIGKILL);
    EXPECT_EQ(process->wait().exitStatus, -1);
    ASSERT_TRUE(fs::exists(partial()));
    expectResumeWithOneRangeRequest(fs::file_size(partial()));
}

}  // namespace
}  // namespace quorvo
