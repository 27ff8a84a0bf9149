#include "download/QueueStore.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

DownloadTask taskNumbered(uint64_t id, TaskState state)
{
    DownloadTask task;
    task.id = id;
    task.name = Text("歌手 - 歌曲 " + std::to_string(id));
    task.quality = "flac";
    task.size = "31.2M";
    task.songId = std::to_string(9000 + id);
    task.lyricUrl = "http://127.0.0.1/lrc/" + std::to_string(id);
    task.paths = {"/music/" + task.name + ".flac", "/music/" + task.name + ".lrc", "/music/" + task.name + ".flac.tmp"};
    task.title = Text("歌曲 " + std::to_string(id));
    task.artist = "歌手";
    task.album = id % 2 ? Text("专辑") : Text();
    task.state = std::move(state);
    return task;
}

std::vector<DownloadTask> everyState()
{
    return {taskNumbered(3, Waiting {}),
            taskNumbered(1, Claimed {}),
            taskNumbered(7, Transferring {1000, 4000, 0}),
            taskNumbered(2, Completed {}),
            taskNumbered(6, Completed {{FailureKind::TagsNotWritten, 0}}),
            taskNumbered(5, Failed {{FailureKind::HttpStatus, 404}}),
            taskNumbered(4, Stopped {{FailureKind::NoSpace, 0}})};
}

std::vector<std::string> asideFiles(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".damaged-") != std::string::npos || name.find(".foreign-") != std::string::npos)
            names.push_back(name);
    }
    return names;
}

class QueueStoreTest : public ::testing::Test {
protected:
    std::string path() const { return m_dir.file("queue.db"); }
    // A store holding `rows`, closed again.
    void save(const std::vector<DownloadTask>& rows)
    {
        QueueStore::Opened opened = QueueStore::open(path());
        ASSERT_TRUE(opened.store) << opened.notice;
        for (const DownloadTask& task : rows)
            opened.store->rowAdded(task);
    }

    test::TempDir m_dir;
};

TEST_F(QueueStoreTest, RowsComeBackInTheirOrderWithTheirStatesAfterRemovalsAndChanges)
{
    std::vector<DownloadTask> rows = everyState();
    {
        QueueStore::Opened opened = QueueStore::open(path());
        ASSERT_TRUE(opened.store) << opened.notice;
        EXPECT_TRUE(opened.notice.empty());
        for (const DownloadTask& task : rows)
            opened.store->rowAdded(task);
        const uint64_t gone[] = {1, 2};
        opened.store->rowsRemoved(gone);
        rows[0].state = Stopped {{FailureKind::ServerStopped, 0}};
        rows[0].size = "12.0M";
        opened.store->rowChanged(rows[0]);
    }
    std::erase_if(rows, [](const DownloadTask& task) { return task.id == 1 || task.id == 2; });

    const QueueStore::Opened again = QueueStore::open(path());
    EXPECT_TRUE(again.notice.empty()) << again.notice;
    EXPECT_EQ(again.rows, rows);
    EXPECT_EQ(QueueStore::read(path()).rows, rows) << "read beside the open store";
    EXPECT_TRUE(asideFiles(m_dir.path()).empty());
}

TEST_F(QueueStoreTest, ProgressIsWrittenAtMostOnceASecondAndTheLastIsKeptAtClose)
{
    QueueStore::Clock::time_point clock {};
    DownloadTask task = taskNumbered(1, Claimed {});
    {
        QueueStore::Opened opened = QueueStore::open(path());
        ASSERT_TRUE(opened.store);
        opened.store->setClockForTesting([&] { return clock; });
        opened.store->rowAdded(task);
        for (int64_t tick = 1; tick <= 40; ++tick) {
            task.state = Transferring {tick * 100, 4000, 100};
            opened.store->rowChanged(task);
            clock += 100ms;
        }
        // 4 s of ticks every 100 ms: one write per second, not forty.
        EXPECT_LE(opened.store->progressWrites(), 5u);
        EXPECT_GE(opened.store->progressWrites(), 3u);
        EXPECT_EQ(QueueStore::read(path()).rows.at(0).state.index(), task.state.index());
    }
    const QueueStore::Read read = QueueStore::read(path());
    ASSERT_EQ(read.rows.size(), 1u);
    EXPECT_EQ(read.rows[0].state, (TaskState {Transferring {4000, 4000, 0}}));
}

TEST_F(QueueStoreTest, AStateChangeIsWrittenAtOnceEvenWithinTheSecond)
{
    DownloadTask task = taskNumbered(1, Transferring {10, 100, 0});
    QueueStore::Opened opened = QueueStore::open(path());
    ASSERT_TRUE(opened.store);
    opened.store->rowAdded(task);
    task.state = Transferring {20, 100, 0};
    opened.store->rowChanged(task);
    task.state = Completed {};
    opened.store->rowChanged(task);
    // Read by another connection while this one is open, as after a kill.
    EXPECT_EQ(QueueStore::read(path()).rows.at(0).state, (TaskState {Completed {}}));
}

TEST_F(QueueStoreTest, ASecondOpenOfAKeptStoreIsRefused)
{
    const QueueStore::Opened first = QueueStore::open(path());
    ASSERT_TRUE(first.store);
    const QueueStore::Opened second = QueueStore::open(path());
    EXPECT_TRUE(second.busy);
    EXPECT_FALSE(second.store);
    EXPECT_FALSE(second.notice.empty());
}

TEST_F(QueueStoreTest, ATruncatedStoreKeepsTheRowsItCanReadAndIsSetAside)
{
    std::vector<DownloadTask> rows;
    for (uint64_t id = 1; id <= 400; ++id) {
        rows.push_back(taskNumbered(id, Completed {}));
        rows.back().lyricUrl += Text(std::string(200, 'x'));
    }
    save(rows);
    const auto size = fs::file_size(path());
    ASSERT_GT(size, 40000u);
    fs::resize_file(path(), size / 2);

    const QueueStore::Opened opened = QueueStore::open(path());
    ASSERT_TRUE(opened.store);
    EXPECT_NE(opened.notice.find("damaged"), std::string::npos) << opened.notice;
    EXPECT_GT(opened.rows.size(), 50u);
    EXPECT_LT(opened.rows.size(), rows.size());
    for (std::size_t i = 0; i < opened.rows.size(); ++i)
        EXPECT_EQ(opened.rows[i], rows[i]);
    EXPECT_EQ(asideFiles(m_dir.path()).size(), 1u);
    // The fresh store holds what was kept.
    EXPECT_EQ(QueueStore::read(path()).rows, opened.rows);
}

TEST_F(QueueStoreTest, AZeroFilledStoreStartsEmptyAndIsSetAside)
{
    save(everyState());
    const auto size = fs::file_size(path());
    std::ofstream(path(), std::ios::binary | std::ios::trunc) << std::string(size, '\0');

    const QueueStore::Opened opened = QueueStore::open(path());
    ASSERT_TRUE(opened.store);
    EXPECT_NE(opened.notice.find("damaged"), std::string::npos) << opened.notice;
    EXPECT_TRUE(opened.rows.empty());
    ASSERT_EQ(asideFiles(m_dir.path()).size(), 1u);
    EXPECT_EQ(fs::file_size(m_dir.path() / asideFiles(m_dir.path())[0]), size);
    opened.store->rowAdded(taskNumbered(1, Waiting {}));
    EXPECT_EQ(QueueStore::read(path()).rows.size(), 1u);
}

TEST_F(QueueStoreTest, AnotherProgramsDatabaseIsSetAsideUntouched)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path().c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE tasks (id INTEGER PRIMARY KEY, note TEXT); INSERT INTO tasks VALUES (1, 'x')",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const std::string before = test::readWholeFile(path());

    const QueueStore::Opened opened = QueueStore::open(path());
    ASSERT_TRUE(opened.store);
    EXPECT_NE(opened.notice.find("not a quorvo download list"), std::string::npos) << opened.notice;
    EXPECT_TRUE(opened.rows.empty());
    const std::vector<std::string> aside = asideFiles(m_dir.path());
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_NE(aside[0].find(".foreign-"), std::string::npos);
    EXPECT_EQ(test::readWholeFile(m_dir.path() / aside[0]), before);
}

TEST_F(QueueStoreTest, ARowHeldByAWorkerComesBackStoppedWithWhatItsPartialFileHolds)
{
    std::vector<DownloadTask> rows = {taskNumbered(1, Transferring {1000, 4000, 50}), taskNumbered(2, Claimed {}),
                                      taskNumbered(3, Transferring {1000, 4000, 50}), taskNumbered(4, Completed {})};
    rows[0].paths.partial = Text(m_dir.file("one.flac.tmp"));
    test::writeWholeFile(m_dir.path() / "one.flac.tmp", std::string(1500, 'a'));
    rows[2].paths.partial = Text(m_dir.file("gone.flac.tmp"));

    settleForRestart(rows);
    EXPECT_EQ(rows[0].state, (TaskState {Stopped {{}, 1500, 4000}}));
    EXPECT_EQ(statusText(rows[0].state), "37%");
    EXPECT_EQ(rows[1].state, (TaskState {Stopped {}}));
    EXPECT_EQ(statusText(rows[1].state), Text(status::stopped));
    EXPECT_EQ(rows[2].state, (TaskState {Stopped {}})) << "no partial file left";
    EXPECT_EQ(rows[3].state, (TaskState {Completed {}}));
    EXPECT_TRUE(isClaimable(rows[0].state));
}

// Change number `step` of a run that adds rows, stops and finishes each, and
// deletes every fifth once finished.
void applyStep(uint64_t step, QueueJournal& journal)
{
    const uint64_t id = step / 3 + 1;
    switch (step % 3) {
    case 0:
        journal.rowAdded(taskNumbered(id, Waiting {}));
        break;
    case 1:
        journal.rowChanged(taskNumbered(id, Stopped {{FailureKind::NoAnswer, 0}, 10, 100}));
        break;
    default:
        if (id % 5 == 0) {
            const uint64_t gone[] = {id};
            journal.rowsRemoved(gone);
        } else {
            journal.rowChanged(taskNumbered(id, Completed {}));
        }
    }
}

// The rows after the first `steps` changes.
std::vector<DownloadTask> rowsAfter(uint64_t steps)
{
    class Model final : public QueueJournal {
    public:
        void rowAdded(const DownloadTask& task) override { rows.push_back(task); }
        void rowsRemoved(std::span<const uint64_t> ids) override
        {
            std::erase_if(rows, [&](const DownloadTask& task) { return task.id == ids[0]; });
        }
        void rowChanged(const DownloadTask& task) override
        {
            for (DownloadTask& row : rows) {
                if (row.id == task.id)
                    row = task;
            }
        }
        std::vector<DownloadTask> rows;
    } model;
    for (uint64_t step = 0; step < steps; ++step)
        applyStep(step, model);
    return model.rows;
}

TEST_F(QueueStoreTest, EveryAcknowledgedChangeSurvivesAKillAtASeededMoment)
{
    std::mt19937 random(7);
    for (int kill = 0; kill < 20; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill + 1));
        std::filesystem::remove(path());
        int acks[2] = {-1, -1};
        ASSERT_EQ(::pipe(acks), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(acks[0]);
            QueueStore::Opened opened = QueueStore::open(path());
            for (uint64_t step = 0; opened.store; ++step) {
                applyStep(step, *opened.store);
                // Acknowledged once the call returned, as the list's caller sees it.
                if (::write(acks[1], &step, sizeof step) != sizeof step)
                    break;
            }
            ::_exit(1);
        }
        ::close(acks[1]);
        const uint64_t moment = std::uniform_int_distribution<uint64_t>(1, 400)(random);
        uint64_t acknowledged = 0;
        uint64_t step = 0;
        while (acknowledged < moment && ::read(acks[0], &step, sizeof step) == sizeof step)
            acknowledged = step + 1;
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        // What was acknowledged before the process died counts too.
        while (::read(acks[0], &step, sizeof step) == sizeof step)
            acknowledged = step + 1;
        ::close(acks[0]);
        ASSERT_GE(acknowledged, moment);

        const QueueStore::Read read = QueueStore::read(path());
        EXPECT_EQ(read.notice, "");
        // The change under way when the kill came is there whole or not at all.
        const bool exact = read.rows == rowsAfter(acknowledged);
        EXPECT_TRUE(exact || read.rows == rowsAfter(acknowledged + 1))
            << acknowledged << " changes acknowledged, " << read.rows.size() << " rows kept";
    }
}

}  // namespace
}  // namespace quorvo::download
