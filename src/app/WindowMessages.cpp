#include "app/WindowMessages.h"

namespace quorvo::app {

namespace {

constexpr std::string_view hideCaption = "\xD2\xFE\xB2\xD8\xB4\xB0\xBF\xDA";  // 隐藏窗口
constexpr std::string_view showCaption = "\xCF\xD4\xCA\xBE\xB4\xB0\xBF\xDA";  // 显示窗口

}  // namespace

Text toggleCaption(bool windowVisible)
{
    return Text(windowVisible ? hideCaption : showCaption);
}

bool WindowMessages::minimiseRequested()
{
    if (!m_shell.hasTrayHost())
        return false;
    m_shell.hideWindow();
    return true;
}

void toggleWindow(WindowShell& shell)
{
    if (!shell.isWindowVisible())
        shell.showWindow();
    else if (shell.hasTrayHost())
        shell.hideWindow();
    else
        // Hidden with no icon to click, the window could never come back.
        shell.minimiseWindow();
}

void WindowMessages::command(int id)
{
    switch (static_cast<MenuCommand>(id)) {
    case MenuCommand::ToggleWindow:
        toggleWindow(m_shell);
        break;
    case MenuCommand::AuthorPage:
        m_shell.openAuthorPage();
        break;
    case MenuCommand::Exit:
        m_shell.requestClose();
        break;
    }
}

bool WindowMessages::closeRequested()
{
    if (!m_hooks.workerRunning || !m_hooks.workerRunning())
        return true;
    if (!m_hooks.confirmExit || m_hooks.confirmExit() != ExitAnswer::Exit)
        return false;
    if (m_hooks.beginStopWorker)
        m_hooks.beginStopWorker();
    m_stopStarted = true;
    return true;
}

void WindowMessages::destroyed()
{
    m_shell.removeTrayIcon();
    m_shell.quitLoop();
}

}  // namespace quorvo::app
