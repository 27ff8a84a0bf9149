#pragma once

// The download list with its workers (`jobs` of them, one by default). Each
// worker claims the first waiting or stopped row, then fetches its lyrics and
// link, transfers it and sets its state, until nothing is left to claim.
// Stopping is cooperative: every worker has its own abort flag, which ends
// the step under way, and the transfer clears it as its acknowledgement. A
// pause only raises the flags and returns; the last worker to leave takes the
// queue back to idle and says so through the listener, and the threads are
// joined by the next start or stop. A blocking stop waits until each transfer
// acknowledges or its worker has ended, whichever comes first, so it never
// waits for a worker that is gone. A transfer that fails on its own stops the
// workers: the others end after their current song.

#include "download/AbortFlag.h"
#include "download/AddMessage.h"
#include "download/DownloadList.h"
#include "download/DownloadSettings.h"
#include "download/QueueEvents.h"
#include "download/QueueJournal.h"
#include "download/RateLimiter.h"
#include "download/SongFetcher.h"
#include "service/SongRecord.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace quorvo::download {

struct AddOutcome {
    int64_t ticked = 0;
    int64_t duplicates = 0;
    // One entry per ticked song: false for a duplicate.
    std::vector<bool> added;
    AddMessage message;
};

class DownloadQueue {
public:
    // Every reference must outlive the queue; `listener` and `journal` may be null.
    DownloadQueue(SongFetcher& fetcher, const DownloadSettings& settings, QueueListener* listener,
                  QueueJournal* journal = nullptr);
    // Stops a running worker (with abort) and waits for it.
    ~DownloadQueue();
    DownloadQueue(const DownloadQueue&) = delete;
    DownloadQueue& operator=(const DownloadQueue&) = delete;

    DownloadList& list() { return m_list; }
    const DownloadList& list() const { return m_list; }
    // The one speed limit of all its transfers, read from the settings once a window.
    RateLimiter& limiter() { return m_limiter; }
    // Some worker's abort flag is raised and unanswered.
    [[nodiscard]] bool abortRaised() const;
    // Workers the last start began (the settings' `jobs`).
    [[nodiscard]] std::size_t jobCount() const;

    // Appends each ticked song whose name (by the settings' naming scheme of
    // the moment) is not in the list yet, with the paths of its files, then
    // starts the worker. The caller shows the message (and greys or removes
    // the result rows).
    AddOutcome addTickedSongs(std::span<const service::SongRecord> ticked);

    // Starts the workers; does nothing (false) while they have been started
    // and not stopped.
    bool startWorker();
    // abort: the running transfers stop at once (their partial files stay);
    // otherwise each worker stops after its current song. Blocks until every
    // worker has ended; never call it from a worker itself.
    void stopWorker(bool abort);
    // The pause button: the running transfers stop at once, without waiting
    // here. The workers end after them and the last returns the queue to idle
    // (WorkerStateChanged, then the speed emptied); with no worker under way
    // nothing happens.
    void requestPause();

    // Deletion: the rows go from the list, and a worker on one of them
    // stops it and goes on with the next row; the others are not disturbed.
    // Returns the rows removed, as they were; when it returns, no worker
    // touches their files any more.
    std::vector<DownloadTask> removeTasks(std::span<const uint64_t> taskIds);

    [[nodiscard]] bool isRunning() const;
    // True when the queue is idle within `timeout`.
    bool waitUntilIdle(std::chrono::milliseconds timeout) const;

private:
    struct Job {
        AbortFlag abortFlag;
        std::thread thread;
        bool active = true;       // its loop has not finished
        uint64_t taskId = 0;      // the row it works on, 0 between rows
        bool rowRemoved = false;  // its flag was raised because its row was deleted
    };

    void runJob(Job& job);
    // False when the song did not finish (stopped, or its row deleted).
    bool workSong(const DownloadTask& row, AbortFlag& abortFlag);
    // Under m_mutex: the job is done with its row; true when it was deleted.
    bool leaveRow(Job& job);
    void jobEnded(Job& job);
    [[nodiscard]] bool stopRequested() const { return m_stopRequested.load(std::memory_order_acquire); }
    // Under m_mutex.
    void becomeIdle();
    void emit(const QueueEvent& event);

    SongFetcher& m_fetcher;
    const DownloadSettings& m_settings;
    QueueListener* m_listener = nullptr;
    DownloadList m_list;
    RateLimiter m_limiter;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    // The last start's workers, until a start or stop joins them (also after they ended).
    std::vector<std::unique_ptr<Job>> m_jobs;
    std::size_t m_activeJobs = 0;
    bool m_running = false;        // started and not yet back to idle
    bool m_stopperActive = false;  // a stopper owns the way back to idle
    std::atomic<bool> m_stopRequested {false};

    std::mutex m_stopMutex;  // one stopper at a time
};

}  // namespace quorvo::download
