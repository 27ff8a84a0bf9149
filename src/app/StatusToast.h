#pragma once

// The status line's message after an add: shown opaque in its colour, held
// 1.5 s, faded in 25 steps of 30 ms, then hidden. A second message replaces
// the first at once (the first fade is stopped and leaves the label alone).
// The timing runs on a thread of its own, which posts each change of the
// label to the user-interface thread; nothing runs while no message shows.

#include "app/UiPoster.h"
#include "download/AddMessage.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quorvo::app {

// The status label; every call comes on the user-interface thread.
class StatusLineView {
public:
    virtual ~StatusLineView() = default;
    // Text in white over the colour (gradient and border), alpha 255, shown.
    virtual void showStatusMessage(const Text& text, download::MessageColour colour) = 0;
    virtual void setStatusAlpha(int alpha) = 0;
    virtual void hideStatusLine() = 0;
};

struct ToastTiming {
    std::chrono::milliseconds hold {1500};
    std::chrono::milliseconds fadeStep {30};
    int fadeSteps = 25;
};

class StatusToast {
public:
    StatusToast(UiPoster post, StatusLineView& view, ToastTiming timing = {});
    ~StatusToast();
    StatusToast(const StatusToast&) = delete;
    StatusToast& operator=(const StatusToast&) = delete;

    // User-interface thread.
    void show(const download::AddMessage& message);

private:
    void stopRunning();
    void run(const download::AddMessage& message);
    // Sleeps `duration`; false when the message was replaced meanwhile.
    bool hold(std::chrono::milliseconds duration);

    UiPoster m_post;
    StatusLineView& m_view;
    ToastTiming m_timing;
    std::mutex m_mutex;
    std::condition_variable m_cancelled;
    bool m_cancel = false;
    std::thread m_thread;
};

}  // namespace quorvo::app
