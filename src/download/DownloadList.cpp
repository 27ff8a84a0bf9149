#include "download/DownloadList.h"

#include <algorithm>

namespace quorvo::download {

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

std::optional<DownloadTask> DownloadList::firstPending() const
{
    const std::lock_guard lock(m_mutex);
    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [](const DownloadTask& row) { return status::isPending(row.status); });
    if (found == m_rows.end())
        return std::nullopt;
    return *found;
}

uint64_t DownloadList::append(DownloadTask task)
{
    const std::lock_guard lock(m_mutex);
    task.id = m_nextId++;
    m_rows.push_back(task);
    emit(RowAppended {m_rows.size(), std::move(task)});
    return m_rows.back().id;
}

bool DownloadList::setCell(uint64_t taskId, DownloadColumn column, const Text& text)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    m_rows[index].cell(column) = text;
    emit(CellChanged {index + 1, taskId, column, text,
                      column == DownloadColumn::Status ? m_rows[index].failure : FailureReason {}});
    return true;
}

bool DownloadList::setStatus(uint64_t taskId, const Text& status, const FailureReason& failure)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    m_rows[index].status = status;
    m_rows[index].failure = failure;
    emit(CellChanged {index + 1, taskId, DownloadColumn::Status, status, failure});
    return true;
}

bool DownloadList::markFailed(uint64_t taskId)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    m_rows[index].failed = true;
    emit(RowMarkedFailed {index + 1, taskId, m_rows[index].failure});
    return true;
}

bool DownloadList::setPaths(uint64_t taskId, const service::SongPaths& paths)
{
    const std::lock_guard lock(m_mutex);
    const std::size_t index = indexOf(taskId);
    if (index == m_rows.size())
        return false;
    m_rows[index].paths = paths;
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
    std::erase_if(m_rows, [&](const DownloadTask& row) {
        return std::find(removed.taskIds.begin(), removed.taskIds.end(), row.id) != removed.taskIds.end();
    });
    const std::size_t count = removed.taskIds.size();
    emit(removed);
    return count;
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
