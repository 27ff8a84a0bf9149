#include "download/DownloadList.h"

#include <algorithm>
#include <unordered_set>

namespace quorvo::download {

namespace {

// Progress reaches the journal once a second at most: the transfer reports
// once per window, but its last report may follow closely.
constexpr auto progressSpacing = std::chrono::seconds(1);

}  // namespace

void DownloadList::setJournal(QueueJournal* journal)
{
    const std::lock_guard lock(m_mutex);
    m_journal = journal;
}

void DownloadList::setClock(std::function<Clock::time_point()> now)
{
    const std::lock_guard lock(m_mutex);
    m_now = std::move(now);
}

std::size_t DownloadList::size() const
{
    const std::lock_guard lock(m_mutex);
    return m_rows.size();
}

std::vector<DownloadTask> DownloadList::rows() const
{
    const std::lock_guard lock(m_mutex);
    return m_rows;
}

std::optional<DownloadTask> DownloadList::task(uint64_t taskId) const
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return std::nullopt;
    return m_rows[index];
}

bool DownloadList::containsName(const Text& name) const
{
    const std::lock_guard lock(m_mutex);
    return std::any_of(m_rows.begin(), m_rows.end(), [&](const DownloadTask& row) { return row.name == name; });
}

std::optional<DownloadTask> DownloadList::firstClaimable() const
{
    const std::lock_guard lock(m_mutex);
    const auto found
        = std::find_if(m_rows.begin(), m_rows.end(), [](const DownloadTask& row) { return isClaimable(row.state); });
    if (found == m_rows.end())
        return std::nullopt;
    return *found;
}

std::optional<DownloadTask> DownloadList::claimNext()
{
    const std::lock_guard lock(m_mutex);
    const auto found
        = std::find_if(m_rows.begin(), m_rows.end(), [](const DownloadTask& row) { return isClaimable(row.state); });
    if (found == m_rows.end())
        return std::nullopt;
    // Starting again forgets why the row stopped last time.
    changeState(static_cast<std::size_t>(found - m_rows.begin()), Claimed {});
    return *found;
}

uint64_t DownloadList::append(DownloadTask task)
{
    const std::lock_guard lock(m_mutex);
    task.id = m_nextId++;
    m_rows.push_back(std::move(task));
    const DownloadTask& added = m_rows.back();
    emit(RowAppended {m_rows.size(), added});
    if (m_journal)
        m_journal->rowAdded(added);
    return added.id;
}

std::size_t DownloadList::restore(std::vector<DownloadTask> tasks)
{
    const std::lock_guard lock(m_mutex);
    std::unordered_set<uint64_t> ids;
    for (const DownloadTask& row : m_rows)
        ids.insert(row.id);
    std::size_t taken = 0;
    m_rows.reserve(m_rows.size() + tasks.size());
    for (DownloadTask& task : tasks) {
        if (task.id == 0 || !ids.insert(task.id).second)
            continue;
        // Nothing works on a row at start-up: it waits for the user's start.
        if (std::holds_alternative<Claimed>(task.state) || std::holds_alternative<Transferring>(task.state))
            task.state = Stopped {};
        m_nextId = std::max(m_nextId, task.id + 1);
        m_rows.push_back(std::move(task));
        ++taken;
    }
    return taken;
}

bool DownloadList::setState(uint64_t taskId, const TaskState& state)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    changeState(index, state);
    return true;
}

void DownloadList::changeState(std::size_t index, const TaskState& state)
{
    DownloadTask& row = m_rows[index];
    const bool progress = std::holds_alternative<Transferring>(state);
    const bool moreProgress = progress && std::holds_alternative<Transferring>(row.state);
    row.state = state;
    emit(RowStateChanged {index + 1, row.id, state});
    if (progress)
        emit(SpeedChanged {totalRateLocked()});

    bool keep = true;
    if (progress) {
        const Clock::time_point now = m_now();
        const auto kept = m_progressKept.find(row.id);
        if (moreProgress && kept != m_progressKept.end() && now - kept->second < progressSpacing)
            keep = false;
        else
            m_progressKept[row.id] = now;
    } else {
        m_progressKept.erase(row.id);
    }
    if (keep && m_journal)
        m_journal->rowChanged(row);
}

bool DownloadList::setSize(uint64_t taskId, const Text& size)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    m_rows[index].size = size;
    emit(SizeChanged {index + 1, taskId, size});
    if (m_journal)
        m_journal->rowChanged(m_rows[index]);
    return true;
}

bool DownloadList::setPaths(uint64_t taskId, const service::SongPaths& paths)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    m_rows[index].paths = paths;
    if (m_journal)
        m_journal->rowChanged(m_rows[index]);
    return true;
}

std::size_t DownloadList::removeRows(const std::function<bool(const DownloadTask&)>& remove)
{
    const std::lock_guard lock(m_mutex);
    RowsRemoved removed;
    for (const DownloadTask& row : m_rows) {
        if (remove(row))
            removed.taskIds.push_back(row.id);
    }
    if (removed.taskIds.empty())
        return 0;
    const std::unordered_set<uint64_t> gone(removed.taskIds.begin(), removed.taskIds.end());
    std::erase_if(m_rows, [&](const DownloadTask& row) { return gone.contains(row.id); });
    for (const uint64_t id : removed.taskIds)
        m_progressKept.erase(id);
    const std::size_t count = removed.taskIds.size();
    emit(removed);
    if (m_journal)
        m_journal->rowsRemoved(removed.taskIds);
    return count;
}

int64_t DownloadList::totalRate() const
{
    const std::lock_guard lock(m_mutex);
    return totalRateLocked();
}

int64_t DownloadList::totalRateLocked() const
{
    int64_t total = 0;
    for (const DownloadTask& row : m_rows) {
        if (const auto* moving = std::get_if<Transferring>(&row.state))
            total += std::max<int64_t>(0, moving->bytesPerSecond);
    }
    return total;
}

std::size_t DownloadList::indexOf(uint64_t taskId) const
{
    const auto found
        = std::find_if(m_rows.begin(), m_rows.end(), [&](const DownloadTask& row) { return row.id == taskId; });
    return static_cast<std::size_t>(found - m_rows.begin());
}

void DownloadList::emit(const QueueEvent& event) const
{
    if (m_listener)
        m_listener->onQueueEvent(event);
}

}  // namespace quorvo::download
