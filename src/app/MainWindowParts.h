#pragma once

// Small pieces of the main window: its tray icon, the speed box's
// spin buttons and the window's three questions.

#include "app/WindowMessages.h"
#include "ui/controls/UiTrayIcon.h"
#include "ui/core/UiButtonBase.h"
#include "ui/core/UiHost.h"

namespace quorvo::app {

// The tray icon of the main window: the program's icon with the window title
// as its tip, put in at once. Where no notification area takes it (no tray
// host), isDocked() is false and the window minimises instead of hiding.
class TrayIcon {
public:
    TrayIcon(ui::UiHost& owner, const Text& tip);

    [[nodiscard]] bool isDocked() const { return m_icon.isDocked(); }
    void remove() { m_icon.remove(); }

private:
    ui::UiTrayIcon m_icon;
};

// One of the speed box's two spin buttons: an arrow up (+1) or down (−1).
class SpinButton final : public ui::UiButtonBase {
public:
    SpinButton(FloatRect rect, bool up);

protected:
    bool paintButton(gfx::Painter& painter, ui::ButtonState state) override;

private:
    bool m_up = true;
};

// The caption's menu button (kind 32).
bool isMenuCaptionButton(const ui::UiControl& control);

// "歌曲未下载完毕,\r\n确认退出程序?" with "手贱了" and "是的" (the default).
ExitAnswer askExitQuestion(ui::UiHost& owner);
// "该操作将删除勾选歌曲及歌词文件\r\n确认删除?"; true on "确认".
bool askDelete(ui::UiHost& owner);
// The copy-to message; true when the user confirmed it.
bool showCopyTo(ui::UiHost& owner);

}  // namespace quorvo::app
