#pragma once

// The download list's rows: the model the download page shows. Every thread
// that meets here (user interface, workers, search, deletion) goes through
// this class; one lock guards the rows, and each change is passed to the
// listener and to the journal in order, under that lock.

#include "download/DownloadTask.h"
#include "download/QueueEvents.h"
#include "download/QueueJournal.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace quorvo::download {

class DownloadList {
public:
    using Clock = std::chrono::steady_clock;

    // Either may be null.
    explicit DownloadList(QueueListener* listener = nullptr, QueueJournal* journal = nullptr)
        : m_listener(listener)
        , m_journal(journal)
    { }

    // Where later changes are kept; null: nowhere.
    void setJournal(QueueJournal* journal);
    // Tests: the clock that spaces progress entries in the journal.
    void setClock(std::function<Clock::time_point()> now);

    [[nodiscard]] std::size_t size() const;
    [[nodiscard]] std::vector<DownloadTask> rows() const;
    [[nodiscard]] std::optional<DownloadTask> task(uint64_t taskId) const;
    // Some row's name equals `name` byte for byte.
    [[nodiscard]] bool containsName(const Text& name) const;
    // The first row, top to bottom, that a worker may take (waiting or
    // stopped); it stays as it is.
    [[nodiscard]] std::optional<DownloadTask> firstClaimable() const;
    // Takes the first claimable row for one worker: it becomes Claimed, and
    // no other call gets it until its state is set again.
    std::optional<DownloadTask> claimNext();

    // Appends a row (its id is assigned here) and returns its id.
    uint64_t append(DownloadTask task);
    // Rows kept from an earlier run, appended with their ids (ids of 0 and
    // ids already in the list are skipped); new ids continue above the
    // largest. A row a worker held when that run ended comes back stopped,
    // without a reason. Neither the views nor the journal hear the rows: the
    // journal holds them already, and a view reads rows() when it attaches
    // (one event per row would copy a long kept list for nothing). Returns
    // how many rows were taken.
    std::size_t restore(std::vector<DownloadTask> tasks);
    // False when the row is gone. A transferring row's progress also
    // reports the total speed of all transferring rows, and reaches the
    // journal at most once a second.
    bool setState(uint64_t taskId, const TaskState& state);
    // The size cell.
    bool setSize(uint64_t taskId, const Text& size);
    // Where the row's files go; no cell shows them, so no view hears it.
    bool setPaths(uint64_t taskId, const service::SongPaths& paths);
    // Removes the rows `remove` picks; returns how many went.
    std::size_t removeRows(const std::function<bool(const DownloadTask&)>& remove);
    // The summed rate of the transferring rows, bytes per second.
    [[nodiscard]] int64_t totalRate() const;

private:
    // Index into m_rows, or m_rows.size().
    [[nodiscard]] std::size_t indexOf(uint64_t taskId) const;
    // Under m_mutex.
    void changeState(std::size_t index, const TaskState& state);
    [[nodiscard]] int64_t totalRateLocked() const;
    void emit(const QueueEvent& event) const;

    mutable std::mutex m_mutex;
    std::vector<DownloadTask> m_rows;
    uint64_t m_nextId = 1;
    QueueListener* m_listener = nullptr;
    QueueJournal* m_journal = nullptr;
    std::function<Clock::time_point()> m_now = Clock::now;
    // When each transferring row's progress last reached the journal.
    std::unordered_map<uint64_t, Clock::time_point> m_progressKept;
};

}  // namespace quorvo::download
