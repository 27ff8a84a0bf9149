#pragma once

// The download list's rows: the model the download page shows. Every thread
// that meets here (user interface, worker, search, deletion) goes through
// this class; one lock guards the rows and each change is passed to the
// listener in order, under that lock.

#include "download/DownloadTask.h"
#include "download/QueueEvents.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace quorvo::download {

class DownloadList {
public:
    explicit DownloadList(QueueListener* listener = nullptr)
        : m_listener(listener)
    { }

    [[nodiscard]] std::size_t size() const;
    [[nodiscard]] std::vector<DownloadTask> rows() const;
    [[nodiscard]] std::optional<DownloadTask> task(uint64_t taskId) const;
    // Some row's name equals `name` byte for byte.
    [[nodiscard]] bool containsName(const Text& name) const;
    // The first row, top to bottom, that is neither finished nor failed.
    [[nodiscard]] std::optional<DownloadTask> firstPending() const;

    // Appends a row (its id is assigned here) and returns its id.
    uint64_t append(DownloadTask task);
    // False when the row is gone.
    bool setCell(uint64_t taskId, DownloadColumn column, const Text& text);
    // The status cell and the reason that goes with it (None clears it).
    bool setStatus(uint64_t taskId, const Text& status, const FailureReason& failure = {});
    bool markFailed(uint64_t taskId);
    // Where the row's files go; no cell shows them, so no event is sent.
    bool setPaths(uint64_t taskId, const service::SongPaths& paths);
    // Removes the rows `remove` picks; returns how many went.
    std::size_t removeRows(const std::function<bool(const DownloadTask&)>& remove);

private:
    // Index into m_rows, or m_rows.size().
    [[nodiscard]] std::size_t indexOf(uint64_t taskId) const;
    void emit(const QueueEvent& event) const;

    mutable std::mutex m_mutex;
    std::vector<DownloadTask> m_rows;
    uint64_t m_nextId = 1;
    QueueListener* m_listener = nullptr;
};

}  // namespace quorvo::download
