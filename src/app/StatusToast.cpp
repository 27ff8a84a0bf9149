#include "app/StatusToast.h"

namespace quorvo::app {

StatusToast::StatusToast(UiPoster post, StatusLineView& view, ToastTiming timing)
    : m_post(std::move(post))
    , m_view(view)
    , m_timing(timing)
{ }

StatusToast::~StatusToast()
{
    stopRunning();
}

void StatusToast::show(const download::AddMessage& message)
{
    stopRunning();
    {
        const std::lock_guard lock(m_mutex);
        m_cancel = false;
    }
    m_thread = std::thread([this, message] { run(message); });
}

void StatusToast::stopRunning()
{
    {
        const std::lock_guard lock(m_mutex);
        m_cancel = true;
    }
    m_cancelled.notify_all();
    // The old thread's posts are queued before anything the new one posts.
    if (m_thread.joinable())
        m_thread.join();
}

bool StatusToast::hold(std::chrono::milliseconds duration)
{
    std::unique_lock lock(m_mutex);
    return !m_cancelled.wait_for(lock, duration, [this] { return m_cancel; });
}

void StatusToast::run(const download::AddMessage& message)
{
    m_post([this, message] { m_view.showStatusMessage(message.text, message.colour); });
    if (!hold(m_timing.hold))
        return;
    for (int step = 1; step <= m_timing.fadeSteps; ++step) {
        const int alpha = 255 - 10 * step;
        m_post([this, alpha] { m_view.setStatusAlpha(alpha); });
        if (!hold(m_timing.fadeStep))
            return;
    }
    m_post([this] { m_view.hideStatusLine(); });
}

}  // namespace quorvo::app
