#pragma once

// The download page and the add button without their controls. The queue's
// threads describe each change as an event; DownloadController carries the
// events to the user-interface thread and applies them there to the page's
// view, in the order they happened. It also keeps the tick count that enables
// the delete button and deletes ticked songs with their files. The add
// button's rules and message are addTickedSongs below.

#include "app/DownloadNotices.h"
#include "app/LiveSettings.h"
#include "app/StatusToast.h"
#include "app/UiPoster.h"
#include "download/DownloadQueue.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <thread>
#include <unordered_map>
#include <vector>

namespace quorvo::app {

// The download list, its buttons and the speed label; every call comes on
// the user-interface thread, after the controller's rows (rows()) have taken
// the change in. Rows are numbered from 1 as the list shows them.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    virtual void appendDownloadRow(const download::DownloadTask& task) = 0;
    virtual void removeDownloadRow(std::size_t row) = 0;
    // The size cell, or the status cell with the text made from the row's state.
    virtual void setDownloadCell(std::size_t row, download::DownloadColumn column, const Text& text) = 0;
    // "下载失败": the row turns red (RGB 255, 0, 0 at alpha 153).
    virtual void markDownloadRowFailed(std::size_t row) = 0;
    virtual void setSpeedText(const Text& text) = 0;
    // running: "开始下载" disabled, "暂停下载" enabled; idle: the reverse.
    virtual void setWorkerButtons(bool running) = 0;
    virtual void setDeleteEnabled(bool enabled) = 0;
    // Why the row failed or stopped ("HTTP 404"), for its status cell's
    // tooltip; empty once the row runs again.
    virtual void setDownloadFailure(std::size_t row, const Text& reason) = 0;
    // A row has just failed or stopped for `message` ("下载终止: HTTP 404"): the status line.
    virtual void showDownloadFailure(const Text& message) = 0;
};

// The search result list as the add button sees it (user-interface thread).
class ResultListView {
public:
    virtual ~ResultListView() = default;
    // Ticked rows, top to bottom, with their cells.
    struct TickedRow {
        std::size_t row = 0;
        service::SongRecord record;
    };
    [[nodiscard]] virtual std::vector<TickedRow> tickedResults() const = 0;
    // Black at alpha 102: the list draws the row greyed.
    virtual void greyResult(std::size_t row) = 0;
    virtual void removeResult(std::size_t row) = 0;
};

class DownloadController final : public download::QueueListener {
public:
    using SoundPlayer = std::function<void(download::CompletionSound)>;

    DownloadController(UiPoster post, DownloadView& view, LiveSettings& settings, SoundPlayer playSound);
    // Waits for a deletion still removing files.
    ~DownloadController() override;
    DownloadController(const DownloadController&) = delete;
    DownloadController& operator=(const DownloadController&) = delete;

    // The queue this page shows; set once, before it listens: the rows the
    // list has already (kept from an earlier run) are shown at once.
    void attach(download::DownloadQueue& queue);
    // Rows the list held before the page listened (kept from an earlier run),
    // taken over and shown as they stand: a reason goes into its row's tooltip
    // without a status-line message for each. User-interface thread, before
    // any worker runs.
    void showRows(std::vector<download::DownloadTask> rows);
    // Where runs that end and rows that fail are announced; none by default.
    void setNotices(DownloadNotices* notices) { m_notices = notices; }

    // Any thread, from the queue.
    void onQueueEvent(const download::QueueEvent& event) override;

    // The download list's check box on `row` changed (user-interface thread).
    void downloadTickChanged(bool ticked);
    [[nodiscard]] int64_t tickedDownloadCount() const { return m_tickedCount; }

    // Confirmed delete (user-interface thread): `rows` are the ticked rows.
    // On a thread of its own: the rows go, a worker on one of them stops it
    // (the others go on), and with each row its lyric, song and partial file;
    // the delete button is disabled, the count reset, and the workers start
    // on what is left when they were idle.
    void deleteRows(const std::vector<std::size_t>& rows);
    // Tests: waits until a deletion has finished.
    void waitForDeletion();

    // Row number (from 1) of a task, 0 when it is not shown.
    [[nodiscard]] std::size_t rowOf(uint64_t taskId) const;
    // The rows as the page shows them (user-interface thread): the queue's
    // list as its events have told it so far.
    [[nodiscard]] const std::vector<download::DownloadTask>& rows() const { return m_rows; }

private:
    void apply(const download::QueueEvent& event);
    // The row's state changed (or it was added): the reason a failed or
    // stopped row carries is shown, announced once, or cleared.
    void stateChanged(uint64_t taskId, std::size_t row, const download::TaskState& state);

    UiPoster m_post;
    DownloadView& m_view;
    LiveSettings& m_settings;
    SoundPlayer m_playSound;
    download::DownloadQueue* m_queue = nullptr;
    DownloadNotices* m_notices = nullptr;
    // The shown rows, in list order (user-interface thread).
    std::vector<download::DownloadTask> m_rows;
    // The reason shown for each failed or stopped task (user-interface thread).
    std::unordered_map<uint64_t, Text> m_reasons;
    int64_t m_tickedCount = 0;
    std::thread m_deletion;
};

// The add button (user-interface thread): ticked result rows are greyed,
// copied unless their name is queued already, removed from the results with
// the `delete` setting; then the message and the worker start.
download::AddOutcome addTickedSongs(download::DownloadQueue& queue, const LiveSettings& settings,
                                    ResultListView& results, StatusToast& toast);

}  // namespace quorvo::app
