#include "app/DownloadController.h"

#include "download/DownloadStatus.h"
#include "platform/Files.h"

#include <algorithm>
#include <cassert>

namespace quorvo::app {

namespace {

// The reason a status event carries with it; none where the queue's events
// do not carry one, and the list is asked instead.
template <typename StatusEvent> std::optional<download::FailureReason> carriedFailure(const StatusEvent& event)
{
    if constexpr (requires { event.failure; })
        return event.failure;
    else
        return std::nullopt;
}

}  // namespace

DownloadController::DownloadController(UiPoster post, DownloadView& view, LiveSettings& settings, SoundPlayer playSound)
    : m_post(std::move(post))
    , m_view(view)
    , m_settings(settings)
    , m_playSound(std::move(playSound))
{ }

DownloadController::~DownloadController()
{
    waitForDeletion();
}

void DownloadController::onQueueEvent(const download::QueueEvent& event)
{
    m_post([this, event] { apply(event); });
}

std::size_t DownloadController::rowOf(uint64_t taskId) const
{
    const auto found = std::find(m_rowIds.begin(), m_rowIds.end(), taskId);
    return found == m_rowIds.end() ? 0 : static_cast<std::size_t>(found - m_rowIds.begin()) + 1;
}

void DownloadController::apply(const download::QueueEvent& event)
{
    struct Apply {
        DownloadController& page;
        void operator()(const download::RowAppended& appended) const
        {
            page.m_rowIds.push_back(appended.task.id);
            page.m_view.appendDownloadRow(appended.task);
            page.statusChanged(appended.task.id, page.m_rowIds.size(), appended.task.status, appended.task.failure);
        }
        void operator()(const download::RowsRemoved& removed) const
        {
            for (const uint64_t id : removed.taskIds) {
                if (const std::size_t row = page.rowOf(id); row != 0) {
                    page.m_rowIds.erase(page.m_rowIds.begin() + static_cast<std::ptrdiff_t>(row - 1));
                    page.m_reasons.erase(id);
                    page.m_view.removeDownloadRow(row);
                }
            }
        }
        void operator()(const download::CellChanged& changed) const
        {
            if (const std::size_t row = page.rowOf(changed.taskId); row != 0) {
                page.m_view.setDownloadCell(row, changed.column, changed.text);
                if (changed.column == download::DownloadColumn::Status)
                    page.statusChanged(changed.taskId, row, changed.text, carriedFailure(changed));
                if (page.m_notices && changed.column == download::DownloadColumn::Status
                    && changed.text.view() == download::status::completed)
                    page.m_notices->songCompleted();
            }
        }
        void operator()(const download::RowMarkedFailed& failed) const
        {
            if (const std::size_t row = page.rowOf(failed.taskId); row != 0) {
                page.m_view.markDownloadRowFailed(row);
                page.statusChanged(failed.taskId, row, Text(download::status::failed), carriedFailure(failed));
            }
        }
        void operator()(const download::SpeedChanged& speed) const { page.m_view.setSpeedText(speed.text); }
        void operator()(const download::WorkerStateChanged& state) const
        {
            page.m_view.setWorkerButtons(state.running);
            if (page.m_notices && state.running)
                page.m_notices->runStarted();
            else if (page.m_notices)
                page.m_notices->runEnded(page.m_queue && !page.m_queue->list().firstPending());
        }
        void operator()(const download::SoundRequested& sound) const
        {
            if (page.m_playSound)
                page.m_playSound(sound.sound);
            if (page.m_notices)
                page.m_notices->soundPlayed();
        }
    };
    std::visit(Apply {*this}, event);
}

void DownloadController::statusChanged(uint64_t taskId, std::size_t row, const Text& status,
                                       std::optional<download::FailureReason> failure)
{
    Text reason;
    if (status.view() == download::status::failed || status.view() == download::status::stopped) {
        // The list holds the reason beside the status (a pause leaves none).
        if (!failure && m_queue) {
            if (const std::optional<download::DownloadTask> task = m_queue->list().task(taskId))
                failure = task->failure;
        }
        if (failure)
            reason = download::describe(*failure);
    }
    const auto shown = m_reasons.find(taskId);
    const Text before = shown == m_reasons.end() ? Text() : shown->second;
    if (reason == before)
        return;
    if (reason.empty())
        m_reasons.erase(taskId);
    else
        m_reasons[taskId] = reason;
    m_view.setDownloadFailure(row, reason);
    if (reason.empty())
        return;
    m_view.showDownloadFailure(status + ": " + reason);
    if (m_notices && m_queue) {
        if (const std::optional<download::DownloadTask> task = m_queue->list().task(taskId))
            m_notices->songFailed(task->name, status + ": " + reason);
    }
}

download::AddOutcome addTickedSongs(download::DownloadQueue& queue, const LiveSettings& settings,
                                    ResultListView& results, StatusToast& toast)
{
    const std::vector<ResultListView::TickedRow> ticked = results.tickedResults();
    std::vector<service::SongRecord> records;
    records.reserve(ticked.size());
    for (const auto& row : ticked) {
        records.push_back(row.record);
        results.greyResult(row.row);
    }
    download::AddOutcome outcome = queue.addTickedSongs(records);
    if (settings.removeAdded()) {
        // Bottom up, so the row numbers still to remove stay valid.
        for (auto row = ticked.rbegin(); row != ticked.rend(); ++row)
            results.removeResult(row->row);
    }
    toast.show(outcome.message);
    return outcome;
}

void DownloadController::downloadTickChanged(bool ticked)
{
    m_tickedCount += ticked ? 1 : -1;
    m_view.setDeleteEnabled(m_tickedCount >= 1);
}

void DownloadController::deleteRows(const std::vector<std::size_t>& rows)
{
    assert(m_queue && "attach the queue first");
    std::vector<uint64_t> ids;
    for (const std::size_t row : rows) {
        if (row >= 1 && row <= m_rowIds.size())
            ids.push_back(m_rowIds[row - 1]);
    }
    waitForDeletion();
    m_deletion = std::thread([this, ids = std::move(ids)] {
        m_queue->stopWorker(true);
        for (const uint64_t id : ids) {
            const std::optional<download::DownloadTask> task = m_queue->list().task(id);
            if (!task)
                continue;
            m_queue->list().removeRows([id](const download::DownloadTask& row) { return row.id == id; });
            // A file that cannot be removed stays; the row goes anyway.
            for (const Text* file : {&task->paths.lyric, &task->paths.song, &task->paths.partial})
                platform::deleteFile(*file);
        }
        m_post([this] {
            m_tickedCount = 0;
            m_view.setDeleteEnabled(false);
        });
        m_queue->startWorker();
    });
}

void DownloadController::waitForDeletion()
{
    if (m_deletion.joinable())
        m_deletion.join();
}

}  // namespace quorvo::app
