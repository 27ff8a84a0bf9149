#include "app/StatusToast.h"

namespace quorvo::app {

StatusToast::StatusToast(UiTimer timer, StatusLineView& view, ToastTiming timing)
    : m_timer(std::move(timer))
    , m_view(view)
    , m_timing(timing)
    , m_self(std::make_shared<StatusToast*>(this))
{ }

void StatusToast::show(const download::AddMessage& message)
{
    ++m_generation;
    m_view.showStatusMessage(message.text, message.colour);
    after(m_timing.hold, m_generation, 1);
}

void StatusToast::after(std::chrono::milliseconds delay, uint64_t generation, int step)
{
    m_timer(delay, [weak = std::weak_ptr<StatusToast*>(m_self), generation, step] {
        if (const auto self = weak.lock())
            (*self)->fade(generation, step);
    });
}

void StatusToast::fade(uint64_t generation, int step)
{
    if (generation != m_generation)
        return;
    if (step > m_timing.fadeSteps) {
        m_view.hideStatusLine();
        return;
    }
    m_view.setStatusAlpha(255 - 10 * step);
    after(m_timing.fadeStep, generation, step + 1);
}

}  // namespace quorvo::app
