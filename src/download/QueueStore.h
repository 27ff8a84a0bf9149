#pragma once

// The download list on disk: one SQLite file (WAL, synchronous=NORMAL) with
// one row per task, so that a restart, or a kill at any moment, finds the
// rows as the list last showed them. Every add, delete and change of state is
// written before the list's call returns; progress of a transferring row
// reaches the file at most once a second.
//
// A file that is damaged (truncated, overwritten) or that belongs to another
// program never stops the start: what can be read is kept in a fresh file and
// the old one is moved aside beside it, with a notice for the user.

#include "download/DownloadTask.h"
#include "download/QueueJournal.h"
#include "runtime/UniqueFd.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace quorvo::download {

// The rows as a new run shows them: a row a worker held when the last run
// ended (claimed or transferring) is stopped without a reason, with the size
// of its partial file against the total saved with its last progress. Nothing
// is started: the user's start takes the rows again.
void settleForRestart(std::vector<DownloadTask>& rows);

class QueueStore final : public QueueJournal {
public:
    using Clock = std::chrono::steady_clock;

    struct Opened {
        std::unique_ptr<QueueStore> store;  // null only when the file cannot be written at all
        std::vector<DownloadTask> rows;     // in the list's order, as they were saved
        // One line for the user when something was set aside or could not be
        // opened (no "quorvo:" prefix); empty when all went well.
        std::string notice;
        // Another process (a window, `quorvo-cli resume`) keeps this store.
        bool busy = false;
    };

    // Opens or creates the store at `path` (a native path) for this process
    // alone: a lock beside it ("PATH.lock") is held for the store's life.
    static Opened open(const std::string& path);

    struct Read {
        std::vector<DownloadTask> rows;
        std::string notice;  // the file is damaged or foreign; rows holds what could be read
        bool missing = false;
    };
    // Reads the rows without taking the store: safe while a window keeps it;
    // nothing is written or moved.
    static Read read(const std::string& path);

    ~QueueStore() override;
    QueueStore(const QueueStore&) = delete;
    QueueStore& operator=(const QueueStore&) = delete;

    void rowAdded(const DownloadTask& task) override;
    void rowsRemoved(std::span<const uint64_t> taskIds) override;
    void rowChanged(const DownloadTask& task) override;

    // Writes the progress held back by the once-a-second rule.
    void flush();

    // Progress writes actually made (for the tests of the once-a-second rule).
    [[nodiscard]] uint64_t progressWrites() const;

    // Tests and benchmarks move time on by hand.
    void setClockForTesting(std::function<Clock::time_point()> now);

private:
    // What was last written of a row this run.
    struct Written {
        int stateCode = -1;
        std::size_t fieldsHash = 0;  // every field but the state
        Clock::time_point when;
    };

    QueueStore(sqlite3* db, UniqueFd lock, int64_t lastPosition);
    bool prepare();
    void insert(const DownloadTask& task);
    void update(const DownloadTask& task);
    void flushOlderThan(Clock::time_point limit);
    [[nodiscard]] Clock::time_point now() const;

    mutable std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    UniqueFd m_lock;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_update = nullptr;
    sqlite3_stmt* m_delete = nullptr;
    int64_t m_lastPosition = 0;
    std::unordered_map<uint64_t, Written> m_written;
    // The latest progress of rows whose last write is under a second old.
    std::unordered_map<uint64_t, DownloadTask> m_heldBack;
    uint64_t m_progressWrites = 0;
    std::function<Clock::time_point()> m_now;
};

}  // namespace quorvo::download
