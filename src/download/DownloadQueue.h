#pragma once

// The download list with its single worker. The worker walks the list top to
// bottom, taking the first pending row each time: lyrics, link, transfer,
// status. Stopping is cooperative: the abort flag ends the step under way,
// and the transfer clears it as its acknowledgement. A pause only raises the
// flag and returns; the worker, on leaving, takes the queue back to idle and
// says so through the listener, and its thread is joined by the next start or
// stop. A blocking stop waits until the transfer acknowledges or the worker
// has ended, whichever comes first, so it never waits for a worker that is
// gone.

#include "download/AbortFlag.h"
#include "download/AddMessage.h"
#include "download/DownloadList.h"
#include "download/DownloadSettings.h"
#include "download/QueueEvents.h"
#include "download/RateLimiter.h"
#include "download/SongFetcher.h"
#include "service/SongRecord.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
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
    // Every reference must outlive the queue; `listener` may be null.
    DownloadQueue(SongFetcher& fetcher, const DownloadSettings& settings, QueueListener* listener);
    // Stops a running worker (with abort) and waits for it.
    ~DownloadQueue();
    DownloadQueue(const DownloadQueue&) = delete;
    DownloadQueue& operator=(const DownloadQueue&) = delete;

    DownloadList& list() { return m_list; }
    const DownloadList& list() const { return m_list; }
    AbortFlag& abortFlag() { return m_abortFlag; }
    // The one speed limit of all its transfers, read from the settings once a window.
    RateLimiter& limiter() { return m_limiter; }

    // Appends each ticked song whose name (by the settings' naming scheme of
    // the moment) is not in the list yet, with the paths of its files, then
    // starts the worker. The caller shows the message (and greys or removes
    // the result rows).
    AddOutcome addTickedSongs(std::span<const service::SongRecord> ticked);

    // Does nothing (false) while a worker has been started and not stopped.
    bool startWorker();
    // abort: the running transfer stops at once (its partial file stays);
    // otherwise the worker stops after its current song. Blocks until the
    // worker has ended; never call it from the worker itself.
    void stopWorker(bool abort);
    // The pause button: the running transfer stops at once, without waiting
    // here. The worker ends after it and returns the queue to idle
    // (WorkerStateChanged, then the speed emptied); with no worker under way
    // nothing happens.
    void requestPause();

    [[nodiscard]] bool isRunning() const;
    // True when the queue is idle within `timeout`.
    bool waitUntilIdle(std::chrono::milliseconds timeout) const;

private:
    void runWorker();
    // False when the worker must end (the song did not finish).
    bool workSong(const DownloadTask& row);
    void workerEnded();
    [[nodiscard]] bool stopRequested() const { return m_stopRequested.load(std::memory_order_acquire); }
    // Under m_mutex.
    void becomeIdle();
    void emit(const QueueEvent& event);

    SongFetcher& m_fetcher;
    const DownloadSettings& m_settings;
    QueueListener* m_listener = nullptr;
    DownloadList m_list;
    AbortFlag m_abortFlag;
    RateLimiter m_limiter;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    // Joinable until a start or stop joins it, also after it has ended.
    std::thread m_worker;
    bool m_running = false;        // started and not yet back to idle
    bool m_workerActive = false;   // the worker thread has not finished its loop
    bool m_stopperActive = false;  // a stopper owns the way back to idle
    std::atomic<bool> m_stopRequested {false};

    std::mutex m_stopMutex;  // one stopper at a time
};

}  // namespace quorvo::download
