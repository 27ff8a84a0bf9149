#pragma once

// The main window's tray icon, above the platform's: the platform docks an
// icon in the desktop's notification area and reports releases on it; this
// class says which icon (the program's, the window title as its tip), keeps
// it there (put in at once, or as soon as a notification area starts, and
// again in the next one after one quits), and turns its clicks into the
// window's behaviour. While no notification area holds it, isDocked() is
// false and the window minimises instead of hiding.

#include "app/WindowMessages.h"
#include "runtime/Text.h"

namespace quorvo::ui {
class UiHost;
}

namespace quorvo::app {

// The releases on the icon that mean something.
enum class TrayClick { Left, Right };

class TrayIcon {
public:
    // Clicks act on `shell`; no icon is in until keep().
    explicit TrayIcon(WindowShell& shell)
        : m_shell(shell)
    { }
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Keeps the program's icon in the tray for `owner`'s window. False only
    // where trays cannot exist (not on X11).
    bool keep(ui::UiHost& owner, const Text& tip);
    [[nodiscard]] bool isDocked() const;
    void remove();

    // A left click shows or hides the window; a right click opens the
    // window's menu with "隐藏窗口" or "显示窗口" first.
    void clicked(TrayClick click);

private:
    WindowShell& m_shell;
    ui::UiHost* m_owner = nullptr;
};

}  // namespace quorvo::app
