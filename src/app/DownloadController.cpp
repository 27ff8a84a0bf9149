#include "app/DownloadController.h"

#include "download/ProgressReporter.h"
#include "download/SongTagger.h"
#include "platform/Files.h"
#include "service/SongNaming.h"

#include <algorithm>
#include <cassert>
#include <iterator>

namespace quorvo::app {

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

void DownloadController::attach(download::DownloadQueue& queue)
{
    m_queue = &queue;
    showRows(queue.list().rows());
}

std::size_t DownloadController::rowOf(uint64_t taskId) const
{
    const auto found = std::find_if(m_rows.begin(), m_rows.end(),
                                    [&](const download::DownloadTask& row) { return row.id == taskId; });
    return found == m_rows.end() ? 0 : static_cast<std::size_t>(found - m_rows.begin()) + 1;
}

void DownloadController::apply(const download::QueueEvent& event)
{
    struct Apply {
        DownloadController& page;
        void operator()(const download::RowAppended& appended) const
        {
            // Already shown when the page attached.
            if (page.rowOf(appended.task.id) != 0)
                return;
            page.m_rows.push_back(appended.task);
            page.m_view.appendDownloadRow(appended.task);
            page.stateChanged(appended.task.id, page.m_rows.size(), appended.task.state);
        }
        void operator()(const download::RowsRemoved& removed) const
        {
            for (const uint64_t id : removed.taskIds) {
                if (const std::size_t row = page.rowOf(id); row != 0) {
                    page.m_rows.erase(page.m_rows.begin() + static_cast<std::ptrdiff_t>(row - 1));
                    page.m_reasons.erase(id);
                    page.m_view.removeDownloadRow(row);
                }
            }
        }
        void operator()(const download::RowStateChanged& changed) const
        {
            if (const std::size_t row = page.rowOf(changed.taskId); row != 0) {
                page.m_rows[row - 1].state = changed.state;
                page.m_view.setDownloadCell(row, download::DownloadColumn::Status, download::statusText(changed.state));
                if (std::holds_alternative<download::Failed>(changed.state))
                    page.m_view.markDownloadRowFailed(row);
                page.stateChanged(changed.taskId, row, changed.state);
                if (page.m_notices && std::holds_alternative<download::Completed>(changed.state))
                    page.m_notices->songCompleted();
            }
        }
        void operator()(const download::SizeChanged& changed) const
        {
            if (const std::size_t row = page.rowOf(changed.taskId); row != 0) {
                page.m_rows[row - 1].size = changed.size;
                page.m_view.setDownloadCell(row, download::DownloadColumn::Size, changed.size);
            }
        }
        void operator()(const download::SpeedChanged& speed) const
        {
            page.m_view.setSpeedText(speed.bytesPerSecond ? download::speedText(*speed.bytesPerSecond) : Text());
        }
        void operator()(const download::WorkerStateChanged& state) const
        {
            page.m_view.setWorkerButtons(state.running);
            if (page.m_notices && state.running)
                page.m_notices->runStarted();
            else if (page.m_notices)
                page.m_notices->runEnded(page.m_queue && !page.m_queue->list().firstClaimable());
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

void DownloadController::showRows(std::vector<download::DownloadTask> rows)
{
    const std::size_t first = m_rows.size();
    if (m_rows.empty())
        m_rows = std::move(rows);
    else
        m_rows.insert(m_rows.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
    for (std::size_t row = first + 1; row <= m_rows.size(); ++row) {
        const download::DownloadTask& task = m_rows[row - 1];
        m_view.appendDownloadRow(task);
        if (const download::FailureReason failure = download::reasonOf(task.state); !failure.empty()) {
            const Text& reason = m_reasons[task.id] = download::describe(failure);
            m_view.setDownloadFailure(row, reason);
        }
    }
}

void DownloadController::stateChanged(uint64_t taskId, std::size_t row, const download::TaskState& state)
{
    // A pause leaves no reason; a finished song can carry one (its tags could not be written).
    const download::FailureReason failure = download::reasonOf(state);
    const Text reason = failure.empty() ? Text() : download::describe(failure);
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
    const Text message = download::statusText(state) + ": " + reason;
    m_view.showDownloadFailure(message);
    if (m_notices && row <= m_rows.size())
        m_notices->songFailed(m_rows[row - 1].name, message);
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
        if (row >= 1 && row <= m_rows.size())
            ids.push_back(m_rows[row - 1].id);
    }
    waitForDeletion();
    m_deletion = std::thread([this, ids = std::move(ids)] {
        // Only a worker on a deleted row stops; its files are closed when this returns.
        for (const download::DownloadTask& task : m_queue->removeTasks(ids)) {
            // A file that cannot be removed stays; the row is gone anyway.
            for (const Text* file : {&task.paths.lyric, &task.paths.song, &task.paths.partial})
                platform::deleteFile(*file);
            if (!task.paths.partial.empty())
                platform::deleteFile(download::taggingCopyOf(task.paths.partial));
            // The artist's and album's folders go when nothing else is left in them.
            for (const Text& folder : service::songFolders(task.name, task.paths)) {
                if (!platform::removeDirectory(folder))
                    break;
            }
        }
        m_post([this] {
            m_tickedCount = 0;
            m_view.setDeleteEnabled(false);
        });
        // Idle before: the rows left start now, as after every deletion.
        m_queue->startWorker();
    });
}

void DownloadController::waitForDeletion()
{
    if (m_deletion.joinable())
        m_deletion.join();
}

}  // namespace quorvo::app
