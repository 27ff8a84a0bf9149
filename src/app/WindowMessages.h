#pragma once

// The window-level requests of the main window: minimise, the popup menu's
// commands, close and destroy (the tray icon's clicks: TrayIcon.h). Minimise and
// "隐藏窗口" hide the window to the tray; where no tray host shows the icon
// they minimise instead, so the window can never be stranded out of reach.

#include "runtime/Text.h"

#include <chrono>
#include <functional>

namespace quorvo::app {

// What the handler asks of the window (user-interface thread).
class WindowShell {
public:
    virtual ~WindowShell() = default;
    [[nodiscard]] virtual bool isWindowVisible() const = 0;
    virtual void hideWindow() = 0;
    virtual void showWindow() = 0;
    virtual void minimiseWindow() = 0;
    // A notification area shows the tray icon.
    [[nodiscard]] virtual bool hasTrayHost() const = 0;
    virtual void setFirstMenuCaption(const Text& caption) = 0;
    virtual void popUpMenu() = 0;
    virtual void openAuthorPage() = 0;
    // The same path as the close button, confirmation included.
    virtual void requestClose() = 0;
    virtual void removeTrayIcon() = 0;
    virtual void quitLoop() = 0;
};

// The popup menu's command ids.
enum class MenuCommand { ToggleWindow = 100, AuthorPage = 101, Exit = 102 };

// Exit while a download runs: "手贱了" keeps everything, "是的" closes.
enum class ExitAnswer { Keep, Exit };

class WindowMessages {
public:
    struct Hooks {
        // A worker has been started and not stopped.
        std::function<bool()> workerRunning;
        // Shows "歌曲未下载完毕,\r\n确认退出程序?" and returns the choice.
        std::function<ExitAnswer()> confirmExit;
        // Starts stopping the worker with abort; returns at once.
        std::function<void()> beginStopWorker;
    };

    WindowMessages(WindowShell& shell, Hooks hooks)
        : m_shell(shell)
        , m_hooks(std::move(hooks))
    { }

    // True: the minimise itself must not happen (the window went to the tray).
    bool minimiseRequested();
    // Unknown ids are ignored.
    void command(int id);
    // True: the window closes; false: it stays (the user kept the download).
    bool closeRequested();
    void destroyed();

    // Set once a confirmed exit has started stopping the worker.
    [[nodiscard]] bool stopStartedOnExit() const { return m_stopStarted; }

private:
    WindowShell& m_shell;
    Hooks m_hooks;
    bool m_stopStarted = false;
};

// After "是的" the process waits at most this long for the transfer loop to
// acknowledge the abort, so the partial file is closed cleanly.
inline constexpr std::chrono::milliseconds exitWait {2000};

// The menu's first caption for a window that is visible or not.
Text toggleCaption(bool windowVisible);

// Shows a hidden window; hides a shown one to the tray, or minimises it
// where no tray shows the icon.
void toggleWindow(WindowShell& shell);

}  // namespace quorvo::app
