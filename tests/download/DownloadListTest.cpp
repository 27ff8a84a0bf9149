#include "download/DownloadList.h"

#include <gtest/gtest.h>

namespace quorvo::download {
namespace {

DownloadTask taskNamed(const char* name, std::string_view state = status::waiting)
{
    DownloadTask task;
    task.name = name;
    task.status = Text(state);
    return task;
}

TEST(PendingRule, OnlyFinishedAndFailedRowsAreDone)
{
    EXPECT_TRUE(status::isPending(Text(status::waiting)));
    EXPECT_TRUE(status::isPending(Text(status::starting)));
    EXPECT_TRUE(status::isPending(Text(status::stopped)));
    EXPECT_TRUE(status::isPending("42%"));
    EXPECT_TRUE(status::isPending("100%"));
    EXPECT_FALSE(status::isPending(Text(status::completed)));
    EXPECT_FALSE(status::isPending(Text(status::failed)));
}

TEST(DownloadList, FirstPendingSkipsFinishedAndFailedRowsTopToBottom)
{
    DownloadList list;
    list.append(taskNamed("a", status::completed));
    list.append(taskNamed("b", status::failed));
    const uint64_t stopped = list.append(taskNamed("c", status::stopped));
    list.append(taskNamed("d"));
    ASSERT_TRUE(list.firstPending());
    EXPECT_EQ(list.firstPending()->id, stopped);
    list.setCell(stopped, DownloadColumn::Status, Text(status::completed));
    EXPECT_EQ(list.firstPending()->name, "d");
}

TEST(DownloadList, NewRowsStartWaitingWithUnknownSize)
{
    const DownloadTask task;
    EXPECT_EQ(task.status, Text(status::waiting));
    EXPECT_EQ(task.size, "-");
    EXPECT_FALSE(task.failed);
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
    list.setCell(second, DownloadColumn::Size, "1M");
    list.markFailed(second);
    list.removeRows([](const DownloadTask& task) { return task.name == "a"; });
    list.setCell(second, DownloadColumn::Status, "5%");

    const std::vector<QueueEvent> events = mailbox.takeAll();
    ASSERT_EQ(events.size(), 6u);
    EXPECT_EQ(std::get<RowAppended>(events[0]).row, 1u);
    EXPECT_EQ(std::get<RowAppended>(events[1]).row, 2u);
    EXPECT_EQ(std::get<RowAppended>(events[1]).task.name, "b");
    EXPECT_EQ(std::get<CellChanged>(events[2]).row, 2u);
    EXPECT_EQ(std::get<CellChanged>(events[2]).text, "1M");
    EXPECT_EQ(std::get<RowMarkedFailed>(events[3]).row, 2u);
    EXPECT_EQ(std::get<RowsRemoved>(events[4]).taskIds.size(), 1u);
    // After the removal the row moved up.
    EXPECT_EQ(std::get<CellChanged>(events[5]).row, 1u);
    EXPECT_EQ(std::get<CellChanged>(events[5]).taskId, second);
}

TEST(DownloadList, ChangesToARemovedRowAreDropped)
{
    QueueMailbox mailbox;
    DownloadList list(&mailbox);
    const uint64_t id = list.append(taskNamed("a"));
    list.removeRows([](const DownloadTask&) { return true; });
    mailbox.takeAll();
    EXPECT_FALSE(list.setCell(id, DownloadColumn::Status, "1%"));
    EXPECT_FALSE(list.markFailed(id));
    EXPECT_TRUE(mailbox.takeAll().empty());
}

}  // namespace
}  // namespace quorvo::download
