#pragma once

// What the download queue tells its views. The queue's threads (the user's,
// the worker, a stopper) never touch a control: each change of the model is
// described by one event, handed to the listener in the order the changes
// happened. A window forwards them to its user-interface thread and applies
// them there; the command-line client prints them.

#include "download/CompletionSound.h"
#include "download/DownloadTask.h"
#include "runtime/Text.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

namespace quorvo::download {

// Row numbers are 1-based and valid at the moment of the event.
struct RowAppended {
    std::size_t row = 0;
    DownloadTask task;
};
struct RowsRemoved {
    std::vector<uint64_t> taskIds;
};
// A row's state changed (claimed, progress, finished, failed, stopped); the
// views make its status text (statusText) and colour from it.
struct RowStateChanged {
    std::size_t row = 0;
    uint64_t taskId = 0;
    TaskState state;
};
// The size cell: "-" until the link is resolved, then the size text.
struct SizeChanged {
    std::size_t row = 0;
    uint64_t taskId = 0;
    Text size;
};
// The speed label: the summed rate of every transferring row, after each
// progress change; none (the label emptied) when the workers have stopped.
struct SpeedChanged {
    std::optional<int64_t> bytesPerSecond;
};
// running: "开始下载" disabled and "暂停下载" enabled; idle: the reverse.
struct WorkerStateChanged {
    bool running = false;
};
struct SoundRequested {
    CompletionSound sound = CompletionSound::None;
};

using QueueEvent = std::variant<RowAppended, RowsRemoved, RowStateChanged, SizeChanged, SpeedChanged,
                                WorkerStateChanged, SoundRequested>;

// Receives events on whatever thread made the change, while the queue holds
// its lock: an implementation must be quick, thread-safe, and must not call
// back into the queue.
class QueueListener {
public:
    virtual ~QueueListener() = default;
    virtual void onQueueEvent(const QueueEvent& event) = 0;
};

// A listener that stores events for one consumer thread. `wake` (optional) is
// called after each event, e.g. to wake the user-interface thread's loop.
class QueueMailbox final : public QueueListener {
public:
    explicit QueueMailbox(std::function<void()> wake = {})
        : m_wake(std::move(wake))
    { }

    void onQueueEvent(const QueueEvent& event) override;
    // Everything posted so far, oldest first.
    std::vector<QueueEvent> takeAll();
    // Waits until an event is there or `timeout` passes; true when there is one.
    bool waitForEvent(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<QueueEvent> m_events;
    std::function<void()> m_wake;
};

}  // namespace quorvo::download
