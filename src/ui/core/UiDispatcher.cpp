#include "ui/core/UiDispatcher.h"

#include "platform/window/EventLoop.h"

namespace quorvo::ui {

bool UiDispatcher::post(std::function<void()> task) const
{
    return m_loop->post(std::move(task));
}

bool UiDispatcher::send(std::function<void()> task) const
{
    return m_loop->send(std::move(task));
}

bool UiDispatcher::isUiThread() const
{
    return m_loop->isUiThread();
}

}  // namespace quorvo::ui
