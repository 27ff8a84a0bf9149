#pragma once

// The main window's tray icon, above the platform's. Two kinds of icon
// exist: a StatusNotifierItem on the session bus (KDE Plasma, GNOME with the
// AppIndicator extension, most panels of today) and the XEmbed icon docked
// in an X tray. The item is offered whenever a session bus runs and is used
// while a StatusNotifierWatcher shows it; otherwise the XEmbed icon is kept
// (put in at once, or as soon as a notification area starts, and again in
// the next one after one quits). This class says which icon (the program's,
// the window title as its tip), which menu the desktop shows for the item,
// and turns the clicks on either into the window's behaviour. While neither
// shows, isDocked() is false and the window minimises instead of hiding.

#include "app/UiPoster.h"
#include "app/WindowMessages.h"
#include "runtime/Text.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace quorvo::ui {
class UiHost;
}

namespace quorvo::platform {
class SessionBus;
class StatusNotifier;
}  // namespace quorvo::platform

namespace quorvo::app {

// The releases on the icon that mean something.
enum class TrayClick { Left, Right };

// One line of the window's menu (the caption's menu button, the tray icon).
struct WindowMenuLine {
    Text caption;
    // None: a separator.
    std::optional<MenuCommand> command;
    // An asset shown beside the caption in the window's own menu.
    std::string_view icon;
};

// The window's menu, its first line as the window's visibility has it.
[[nodiscard]] std::vector<WindowMenuLine> windowMenuLines(bool windowVisible);

class TrayIcon {
public:
    // Clicks act on `shell`; no icon is in until keep().
    explicit TrayIcon(WindowShell& shell);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Keeps the program's icon in the tray for `owner`'s window: the XEmbed
    // icon, and the StatusNotifierItem on `bus` when one is given (it must
    // outlive this icon; `post` runs on the user-interface thread). False
    // only where neither kind can exist.
    bool keep(ui::UiHost& owner, const Text& tip, platform::SessionBus* bus = nullptr, UiPoster post = {});
    // Some tray shows the icon (either kind).
    [[nodiscard]] bool isDocked() const;
    void remove();

    // A left click (or the item's activation) shows or hides the window; a
    // right click opens the window's menu with "隐藏窗口" or "显示窗口" first.
    void clicked(TrayClick click);
    // The window was shown or hidden: the desktop's menu for the item follows.
    void windowVisibilityChanged(bool visible);

    // The StatusNotifierItem is offered on a bus (tests).
    [[nodiscard]] bool offersStatusItem() const { return m_status != nullptr; }

private:
    bool keepXEmbed();
    void statusShownChanged(bool shown);
    void menuClicked(std::size_t index);

    WindowShell& m_shell;
    ui::UiHost* m_owner = nullptr;
    Text m_tip;
    bool m_xembedKept = false;
    std::unique_ptr<platform::StatusNotifier> m_status;
};

}  // namespace quorvo::app
