#pragma once

// Small pieces of the main window: its tray icon, the speed box's
// spin buttons and the window's three questions.

#include "app/StatusToast.h"
#include "app/WindowMessages.h"
#include "ui/controls/UiLabel.h"
#include "ui/core/UiButtonBase.h"
#include "ui/core/UiHost.h"

namespace quorvo::app {

// The tray icon of the main window: the program's icon with the window title
// as its tip, put in at once, or as soon as a notification area starts (and
// again in the next one after one quits). While none holds it, isDocked() is
// false and the window minimises instead of hiding.
class TrayIcon {
public:
    TrayIcon(ui::UiHost& owner, const Text& tip);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    [[nodiscard]] bool isDocked() const;
    void remove();

private:
    ui::UiHost& m_owner;
    bool m_kept = false;
};

// A status line on a label: text in white over the message's colour.
class LabelStatusLine final : public StatusLineView {
public:
    explicit LabelStatusLine(ui::UiLabel& label)
        : m_label(label)
    { }
    void showStatusMessage(const Text& text, download::MessageColour colour) override;
    void setStatusAlpha(int alpha) override;
    void hideStatusLine() override;

private:
    ui::UiLabel& m_label;
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
