#pragma once

// The status line's message after an add: shown opaque in its colour, held
// 1.5 s, faded in 25 steps of 30 ms, then hidden. A second message replaces
// the first at once (the first fade is stopped and leaves the label alone).
// The timing runs on the loop's timers: nothing sleeps, no thread is made,
// and nothing runs while no message shows.

#include "app/UiPoster.h"
#include "download/AddMessage.h"

#include <chrono>
#include <cstdint>
#include <memory>

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
    StatusToast(UiTimer timer, StatusLineView& view, ToastTiming timing = {});
    StatusToast(const StatusToast&) = delete;
    StatusToast& operator=(const StatusToast&) = delete;

    // User-interface thread.
    void show(const download::AddMessage& message);

private:
    // After `step` fade steps of message `generation`; a replaced message's step does nothing.
    void fade(uint64_t generation, int step);
    void after(std::chrono::milliseconds delay, uint64_t generation, int step);

    UiTimer m_timer;
    StatusLineView& m_view;
    ToastTiming m_timing;
    uint64_t m_generation = 0;
    // Pending timers hold this weakly: none acts on a toast that is gone.
    std::shared_ptr<StatusToast*> m_self;
};

}  // namespace quorvo::app
