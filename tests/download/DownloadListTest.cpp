#include "download/DownloadList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>

namespace quorvo::download {
namespace {

using namespace std::chrono_literals;

DownloadTask taskNamed(const char* name, TaskState state = Waiting {})
{
    DownloadTask task;
    task.name = name;
    task.state = std::move(state);
    return task;
}

TEST(TaskState, OnlyWaitingAndStoppedRowsAreClaimable)
{
    EXPECT_TRUE(isClaimable(Waiting {}));
    EXPECT_TRUE(isClaimable(Stopped {}));
    EXPECT_FALSE(isClaimable(Claimed {}));
    EXPECT_FALSE(isClaimable(Transferring {42, 100, 0}));
    EXPECT_FALSE(isClaimable(Completed {}));
    EXPECT_FALSE(isClaimable(Failed {}));
    EXPECT_EQ(statusText(Transferring {42, 100, 0}), "42%");
    EXPECT_EQ(statusText(Claimed {}), Text(status::starting));
}

TEST(DownloadList, ClaimNextTakesTheFirstWaitingOrStoppedRowTopToBottom)
{
    QueueMailbox mailbox;
    DownloadList list(&mailbox);
    list.append(taskNamed("a", Completed {}));
    list.append(taskNamed("b", Failed {}));
    const uint64_t stopped = list.append(taskNamed("c", Stopped {{FailureKind::NoSpace}}));
    list.append(taskNamed("d"));
    mailbox.takeAll();

    const std::optional<DownloadTask> first = list.claimNext();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->id, stopped);
    // Claiming forgets why the row stopped, and the views hear it.
    EXPECT_EQ(first->state, TaskState {Claimed {}});
    const std::vector<QueueEvent> events = mailbox.takeAll();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(std::get<RowStateChanged>(events[0]).row, 3u);
    EXPECT_EQ(std::get<RowStateChanged>(events[0]).state, TaskState {Claimed {}});

    EXPECT_EQ(list.claimNext()->name, "d");
    EXPECT_FALSE(list.claimNext());
    EXPECT_FALSE(list.firstClaimable());
}

// Workers claiming at once never share a row, and every row is taken.
TEST(DownloadList, ClaimNextNeverGivesOneRowToTwoWorkers)
{
    DownloadList list;
    constexpr int rows = 2000;
    for (int i = 0; i < rows; ++i)
        list.append(taskNamed(std::to_string(i).c_str()));
    constexpr int workers = 8;
    std::vector<std::vector<uint64_t>> claimed(workers);
    std::atomic<bool> go {false};
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            while (!go.load()) { }
            while (const std::optional<DownloadTask> row = list.claimNext())
                claimed[w].push_back(row->id);
        });
    }
    go = true;
    for (std::thread& thread : threads)
        thread.join();
    std::multiset<uint64_t> all;
    for (const auto& ids : claimed)
        all.insert(ids.begin(), ids.end());
    EXPECT_EQ(all.size(), static_cast<std::size_t>(rows));
    EXPECT_EQ(std::set<uint64_t>(all.begin(), all.end()).size(), static_cast<std::size_t>(rows));
    for (const DownloadTask& task : list.rows())
        EXPECT_EQ(task.state, TaskState {Claimed {}});
}

TEST(DownloadList, NewRowsStartWaitingWithUnknownSize)
{
    const DownloadTask task;
    EXPECT_EQ(task.state, TaskState {Waiting {}});
    EXPECT_EQ(task.cellText(DownloadColumn::Status), Text(status::waiting));
    EXPECT_EQ(task.size, "-");
}

TEST(DownloadList, NameTestIsAnExactByteComparison)
{
    DownloadList list;
    list.append(taskNamed("Singer - Song"));
    EXPECT_TRUE(list.containsName("Singer - Song"));
    EXPECT_FALSE(list.containsName("singer - song"));
    EXPECT_FALSE(list.containsName("Singer - Song "));
}

TEST(DownloadList, EveryChangeReachesTheListenerInOrderWithItsRowNumber)
{
    QueueMailbox mailbox;
    DownloadList list(&mailbox);
    list.append(taskNamed("a"));
    const uint64_t second = list.append(taskNamed("b"));
    list.setSize(second, "1M");
    list.setState(second, Failed {{FailureKind::NoLink}});
    list.removeRows([](const DownloadTask& task) { return task.name == "a"; });
    list.setState(second, Transferring {5, 100, 2048});

    const std::vector<QueueEvent> events = mailbox.takeAll();
    ASSERT_EQ(events.size(), 7u);
    EXPECT_EQ(std::get<RowAppended>(events[0]).row, 1u);
    EXPECT_EQ(std::get<RowAppended>(events[1]).row, 2u);
    EXPECT_EQ(std::get<RowAppended>(events[1]).task.name, "b");
    EXPECT_EQ(std::get<SizeChanged>(events[2]).row, 2u);
    EXPECT_EQ(std::get<SizeChanged>(events[2]).size, "1M");
    EXPECT_EQ(std::get<RowStateChanged>(events[3]).row, 2u);
    EXPECT_EQ(std::get<RowStateChanged>(events[3]).state, TaskState {Failed {{FailureKind::NoLink}}});
    EXPECT_EQ(std::get<RowsRemoved>(events[4]).taskIds.size(), 1u);
    // After the removal the row moved up.
    EXPECT_EQ(std::get<RowStateChanged>(events[5]).row, 1u);
    EXPECT_EQ(std::get<RowStateChanged>(events[5]).taskId, second);
    // Progress is followed by the total speed.
    EXPECT_EQ(std::get<SpeedChanged>(events[6]).bytesPerSecond, 2048);
}

TEST(DownloadList, TheSpeedIsTheSumOfTheTransferringRows)
{
    QueueMailbox mailbox;
    DownloadList list(&mailbox);
    const uint64_t a = list.append(taskNamed("a"));
    const uint64_t b = list.append(taskNamed("b"));
    const uint64_t c = list.append(taskNamed("c"));
    list.setState(a, Transferring {10, 100, 1000});
    list.setState(b, Transferring {10, 100, 3000});
    list.setState(c, Completed {});
    EXPECT_EQ(list.totalRate(), 4000);
    list.setState(a, Stopped {});
    mailbox.takeAll();
    list.setState(b, Transferring {20, 100, 500});
    const std::vector<QueueEvent> events = mailbox.takeAll();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(std::get<SpeedChanged>(events[1]).bytesPerSecond, 500);
}

TEST(DownloadList, ChangesToARemovedRowAreDropped)
{
    QueueMailbox mailbox;
    DownloadList list(&mailbox);
    const uint64_t id = list.append(taskNamed("a"));
    list.removeRows([](const DownloadTask&) { return true; });
    mailbox.takeAll();
    EXPECT_FALSE(list.setState(id, Transferring {1, 100, 0}));
    EXPECT_FALSE(list.setSize(id, "1M"));
    EXPECT_TRUE(mailbox.takeAll().empty());
}

class RecordingJournal final : public QueueJournal {
public:
    void rowAdded(const DownloadTask& task) override { m_log.push_back("add " + task.name.str()); }
    void rowsRemoved(std::span<const uint64_t> taskIds) override
    {
        std::string entry = "remove";
        for (const uint64_t id : taskIds) {
            entry += ' ';
            entry += std::to_string(id);
        }
        m_log.push_back(entry);
    }
    void rowChanged(const DownloadTask& task) override
    {
        m_log.push_back("change " + task.name.str() + " " + statusText(task.state).str() + " " + task.size.str());
    }
    std::vector<std::string> m_log;
};

TEST(DownloadList, TheJournalHearsEveryChangeInOrderAndProgressOnceASecond)
{
    RecordingJournal journal;
    DownloadList list(nullptr, &journal);
    DownloadList::Clock::time_point now {};
    list.setClock([&] { return now; });
    const uint64_t a = list.append(taskNamed("a"));
    list.append(taskNamed("b"));
    ASSERT_EQ(list.claimNext()->id, a);
    list.setSize(a, "1M");
    list.setState(a, Transferring {10, 100, 0});
    now += 400ms;
    list.setState(a, Transferring {20, 100, 0});  // within the second: not kept
    now += 700ms;
    list.setState(a, Transferring {30, 100, 0});
    now += 10ms;
    list.setState(a, Transferring {100, 100, 0});  // the final report, close behind
    list.setState(a, Completed {});
    list.removeRows([](const DownloadTask& task) { return task.name == "b"; });

    EXPECT_EQ(journal.m_log,
              (std::vector<std::string> {
                  "add a",
                  "add b",
                  "change a " + std::string(status::starting) + " -",
                  "change a " + std::string(status::starting) + " 1M",
                  "change a 10% 1M",
                  "change a 30% 1M",
                  "change a " + std::string(status::completed) + " 1M",
                  "remove 2",
              }));
}

TEST(DownloadList, RestoredRowsKeepTheirIdsReachTheViewsOnlyAndNothingRuns)
{
    RecordingJournal journal;
    QueueMailbox mailbox;
    DownloadList list(&mailbox, &journal);
    std::vector<DownloadTask> saved;
    for (const auto& [id, name, state] : std::vector<std::tuple<uint64_t, const char*, TaskState>> {
             {7, "done", Completed {}},
             {3, "failed", Failed {{FailureKind::HttpStatus, 404}}},
             {12, "moving", Transferring {50, 100, 900}},
             {9, "claimed", Claimed {}},
             {7, "same id again", Waiting {}},
             {0, "no id", Waiting {}},
         }) {
        DownloadTask task = taskNamed(name, state);
        task.id = id;
        saved.push_back(task);
    }
    EXPECT_EQ(list.restore(saved), 4u);
    EXPECT_TRUE(journal.m_log.empty());

    const std::vector<DownloadTask> rows = list.rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].id, 7u);
    EXPECT_EQ(rows[1].state, (TaskState {Failed {{FailureKind::HttpStatus, 404}}}));
    EXPECT_EQ(rows[2].state, TaskState {Stopped {}});
    EXPECT_EQ(rows[3].state, TaskState {Stopped {}});
    EXPECT_TRUE(mailbox.takeAll().empty()) << "views read the kept rows when they attach";

    // New rows continue above the largest id and are journalled again.
    EXPECT_EQ(list.append(taskNamed("new")), 13u);
    EXPECT_EQ(journal.m_log, (std::vector<std::string> {"add new"}));
}

}  // namespace
}  // namespace quorvo::download
