#include "ui/core/UiFramework.h"

#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"

#include <algorithm>

namespace quorvo::ui {

std::unique_ptr<UiFramework> UiFramework::create(std::string* error)
{
    auto loop = platform::EventLoop::create(error);
    if (!loop) {
        return nullptr;
    }
    return std::unique_ptr<UiFramework>(new UiFramework(std::move(loop)));
}

UiFramework::UiFramework(std::unique_ptr<platform::EventLoop> loop)
    : m_loop(std::move(loop))
    , m_dispatcher(*m_loop)
{ }

UiFramework::~UiFramework() = default;

int UiFramework::run()
{
    return m_loop->run();
}

bool UiFramework::runModalLoop(const UiHost& host)
{
    return m_loop->runWhileAlive(host.window(), platform::LoopFilter::DropOtherWindowsInput);
}

void UiFramework::processPending()
{
    m_loop->processPending();
}

void UiFramework::quit(int exitCode)
{
    m_loop->quit(exitCode);
}

IntPoint UiFramework::centredPosition(int width, int height) const
{
    const auto work = m_loop->workArea();
    // As the classic rule has it: the work area's origin is subtracted from its size.
    // A window larger than the screen keeps its caption on it, so it can still be moved.
    return {std::max(work.x, (work.width - work.x - width) / 2), std::max(work.y, (work.height - work.y - height) / 2)};
}

IntRect UiFramework::workArea() const
{
    return m_loop->workArea();
}

}  // namespace quorvo::ui
