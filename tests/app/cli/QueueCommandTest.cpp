// quorvo-cli's queue and resume against the download list a window keeps
// (queue.db beside the binary, as the window writes it from the build tree).

#include "CliProcess.h"
#include "ReferenceServer.h"
#include "TempDir.h"
#include "download/DownloadStatus.h"
#include "download/QueueStore.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"
#include "service/FileNames.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvo {
namespace {

namespace fs = std::filesystem;
using namespace quorvo::download;
using service::songExtension;
using test::CliProcess;
using test::fields;
using test::lines;
using test::Outcome;

class QueueCommandTest : public ::testing::Test {
protected:
    QueueCommandTest()
    {
        m_binary = m_dir.path() / "quorvo-cli";
        fs::copy_file(QUORVO_CLI_PATH, m_binary);
        fs::create_directories(m_dir.path() / "songs");
    }

    Outcome run(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--service", m_server.host()});
        return CliProcess(m_binary, args, {}).wait();
    }
    std::string store() const { return m_dir.file("queue.db"); }
    Text songPath(const std::string& name) const { return Text(m_dir.file("songs/" + name)); }
    DownloadTask row(uint64_t id, const std::string& name, TaskState state) const
    {
        DownloadTask task;
        task.id = id;
        task.name = Text(name);
        task.quality = "flac";
        task.paths = {songPath(name + ".flac"), songPath(name + ".lrc"), songPath(name + ".flac.tmp")};
        task.state = std::move(state);
        return task;
    }

    test::TempDir m_dir;
    test::ReferenceServer m_server;
    fs::path m_binary;
};

TEST_F(QueueCommandTest, QueueListsTheSavedRowsAsAWindowWouldShowThemAfterAStart)
{
    {
        QueueStore::Opened opened = QueueStore::open(store());
        ASSERT_TRUE(opened.store) << opened.notice;
        opened.store->rowAdded(row(1, "A - Done", Completed {}));
        opened.store->rowAdded(row(2, "B - Missing", Failed {{FailureKind::HttpStatus, 404}}));
        opened.store->rowAdded(row(3, "C - Half", Transferring {100, 4000, 0}));
        opened.store->rowAdded(row(4, "D - Paused", Stopped {{FailureKind::ServerStopped, 0}}));
        opened.store->rowAdded(row(5, "E - Later", Waiting {}));
        // The window was killed while C's partial file held a quarter of the song.
        test::writeWholeFile(m_dir.path() / "songs" / "C - Half.flac.tmp", std::string(1000, 'x'));
    }
    const Outcome outcome = run({"queue"});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    const std::vector<std::string> expected = {
        "下载完毕\t100%\tA - Done.flac\t", "下载失败\t-\tB - Missing.flac\tHTTP 404",
        "25%\t25%\tC - Half.flac\t",       "下载终止\t-\tD - Paused.flac\tthe server stopped sending",
        "等待下载\t-\tE - Later.flac\t",
    };
    EXPECT_EQ(lines(outcome.out), expected);
    // Listing changes nothing, not even for a row a worker held.
    EXPECT_EQ(QueueStore::read(store()).rows.at(2).state, (TaskState {Transferring {100, 4000, 0}}));
}

TEST_F(QueueCommandTest, QueueSaysSoWhenTheListIsDamagedAndChangesNothing)
{
    test::writeWholeFile(store(), std::string(8192, '\0'));
    const Outcome outcome = run({"queue"});
    EXPECT_NE(outcome.exitStatus, 0);
    EXPECT_NE(outcome.err.find("damaged"), std::string::npos) << outcome.err;
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(test::readWholeFile(store()), std::string(8192, '\0'));
}

TEST_F(QueueCommandTest, ResumeFetchesTheUnfinishedRowsOfAKeptListAndLeavesTheOthers)
{
    // Three songs a search finds, named as the window names them (artist - title).
    std::vector<DownloadTask> rows;
    for (const std::string& line : lines(run({"search", "Love"}).out)) {
        const std::vector<std::string> cells = fields(line);
        if (cells.size() != 6 || rows.size() == 4)
            continue;
        DownloadTask task = row(rows.size() + 1, cells[3] + " - " + cells[1], Waiting {});
        task.quality = Text(cells[4]);
        task.songId = Text(cells[5]);
        task.lyricUrl = Text(m_server.baseUrl() + "/data2/lrc/" + cells[5] + "/" + cells[5] + ".lrc");
        task.paths = {Text(m_dir.file("Download/" + task.name.str() + songExtension(task.quality).str())),
                      Text(m_dir.file("Download/" + task.name.str() + ".lrc")), Text()};
        task.paths.partial = task.paths.song + ".tmp";
        rows.push_back(std::move(task));
    }
    ASSERT_EQ(rows.size(), 4u);
    const auto serverFile = [&](const DownloadTask& task) {
        const std::string file = task.songId.str() + songExtension(task.quality).str();
        return m_server.get("/data2/music/" + task.songId.str() + "/" + file).body;
    };
    fs::create_directories(m_dir.path() / "Download");
    // The window was killed a third into the first song, had finished the
    // second, given up on the third, and not begun the fourth.
    const std::string first = serverFile(rows[0]);
    test::writeWholeFile(platform::nativePath(rows[0].paths.partial), first.substr(0, first.size() / 3));
    rows[0].state = Transferring {static_cast<int64_t>(first.size() / 3), static_cast<int64_t>(first.size()), 0};
    test::writeWholeFile(platform::nativePath(rows[1].paths.song), "kept as it is");
    rows[1].state = Completed {};
    rows[2].state = Failed {{FailureKind::HttpStatus, 404}};
    {
        QueueStore::Opened opened = QueueStore::open(store());
        ASSERT_TRUE(opened.store);
        for (const DownloadTask& task : rows)
            opened.store->rowAdded(task);
    }
    m_server.clearRequestLog();

    const Outcome outcome = run({"resume"});
    EXPECT_EQ(outcome.exitStatus, 0) << outcome.err;
    EXPECT_EQ(test::readWholeFile(platform::nativePath(rows[0].paths.song)), first);
    EXPECT_EQ(test::readWholeFile(platform::nativePath(rows[3].paths.song)), serverFile(rows[3]));
    EXPECT_EQ(test::readWholeFile(platform::nativePath(rows[1].paths.song)), "kept as it is");
    // The progress lines name the kept rows, which no event announced.
    const std::string finishedLine
        = encoding::toUtf8(rows[3].name.view()) + "\t" + encoding::toUtf8(download::status::completed);
    EXPECT_NE(outcome.err.find(finishedLine), std::string::npos) << outcome.err;
    // The first song went on from its partial file; nothing asked for the others.
    bool ranged = false;
    for (const test::RequestLogEntry& entry : m_server.requestLog()) {
        EXPECT_EQ(entry.target.find(rows[1].songId.str()), std::string::npos) << entry.target;
        EXPECT_EQ(entry.target.find(rows[2].songId.str()), std::string::npos) << entry.target;
        const std::optional<std::string> range = entry.header("Range");
        // The transfer may fetch the partial file's last bytes again.
        if (entry.path().starts_with("/data2/music/" + rows[0].songId.str()) && range && range->starts_with("bytes=")) {
            const uint64_t from = std::stoull(range->substr(6));
            ranged = ranged || (from > first.size() / 4 && from <= first.size() / 3);
        }
    }
    EXPECT_TRUE(ranged) << m_server.requestLogText();
    // The kept list says so for the next window.
    const std::vector<DownloadTask> kept = QueueStore::read(store()).rows;
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[0].state, (TaskState {Completed {}}));
    EXPECT_EQ(kept[1].state, (TaskState {Completed {}}));
    EXPECT_EQ(kept[2].state, rows[2].state);
    EXPECT_EQ(kept[3].state, (TaskState {Completed {}}));
}

TEST_F(QueueCommandTest, ResumeRefusesWhileAWindowKeepsTheList)
{
    const QueueStore::Opened window = QueueStore::open(store());
    ASSERT_TRUE(window.store);
    window.store->rowAdded(row(1, "A - Song", Waiting {}));
    const Outcome outcome = run({"resume"});
    EXPECT_NE(outcome.exitStatus, 0);
    EXPECT_NE(outcome.err.find("in use"), std::string::npos) << outcome.err;
    EXPECT_TRUE(m_server.requestLog().empty()) << m_server.requestLogText();
}

}  // namespace
}  // namespace quorvo
