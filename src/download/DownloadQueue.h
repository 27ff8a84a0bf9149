#pragma once

// The download list with its single worker. The worker walks the list top to
// bottom, taking the first pending row each time: lyrics, link, transfer,
// status. Start and stop follow a cooperative handshake: a stopper raises the
// abort flag and waits until the transfer acknowledges it or the worker has
// ended, whichever comes first, so it never waits for a worker that is gone;
// and a worker that ends on its own, after a failure or with nothing left,
// returns the queue to idle so that it can be started again.

#include "download/AbortFlag.h"
#include "download/AddMessage.h"
#include "download/DownloadList.h"
#include "download/DownloadSettings.h"
#include "download/QueueEvents.h"
#include "download/SongFetcher.h"
#include "service/SongRecord.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace quorvo::download {

// Builds a song's file name from title and artist (service::buildFileName with the
// current naming scheme).
using NameBuilder = std::function<Text(const Text& title, const Text& artist)>;

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
    DownloadQueue(SongFetcher& fetcher, const DownloadSettings& settings, NameBuilder nameBuilder,
                  QueueListener* listener);
    // Stops a running worker (with abort) and waits for every thread it started.
    ~DownloadQueue();
    DownloadQueue(const DownloadQueue&) = delete;
    DownloadQueue& operator=(const DownloadQueue&) = delete;

    DownloadList& list() { return m_list; }
    const DownloadList& list() const { return m_list; }
    AbortFlag& abortFlag() { return m_abortFlag; }

    // Appends each ticked song whose built name is not in the list yet, then
    // starts the worker. The caller shows the message (and greys or removes
    // the result rows).
    AddOutcome addTickedSongs(std::span<const service::SongRecord> ticked);

    // Does nothing (false) while a worker has been started and not stopped.
    bool startWorker();
    // abort: the running transfer stops at once (its partial file stays);
    // otherwise the worker stops after its current song. Blocks until the
    // worker has ended; never call it from the worker itself.
    void stopWorker(bool abort);
    // The pause button: stopWorker(true) on a thread of its own.
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
    void joinFinishedStoppers();

    SongFetcher& m_fetcher;
    const DownloadSettings& m_settings;
    NameBuilder m_nameBuilder;
    QueueListener* m_listener = nullptr;
    DownloadList m_list;
    AbortFlag m_abortFlag;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::thread m_worker;
    bool m_running = false;        // started and not yet back to idle
    bool m_workerActive = false;   // the worker thread has not finished its loop
    bool m_stopperActive = false;  // a stopper owns the way back to idle
    std::atomic<bool> m_stopRequested {false};

    std::mutex m_stopMutex;  // one stopper at a time

    struct Stopper {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex m_stoppersMutex;
    std::vector<Stopper> m_stoppers;
};

}  // namespace quorvo::download
