// quorvo-cli's queue and resume against the download list a window keeps
// (queue.db beside the binary, as the window writes it from the build tree).

#include "CliProcess.h"
#include "ReferenceServer.h"
#include "TempDir.h"
#include "download/QueueStore.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvo {
namespace {

namespace fs = std::filesystem;
using namespace quorvo::download;
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
