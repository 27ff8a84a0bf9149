#pragma once

// The questions and choosers the window puts to the user, behind one
// interface: the window asks through it, tests answer in its place.
// WindowPrompts is the real one: the window's message boxes, the desktop's
// folder chooser, and the window's own folder picker where there is none.

#include "app/FolderChooser.h"
#include "app/WindowMessages.h"
#include "runtime/Text.h"

#include <optional>

namespace quorvo::ui {
class UiHost;
}

namespace quorvo::app {

class Prompts {
public:
    virtual ~Prompts() = default;
    // "歌曲未下载完毕,\r\n确认退出程序?" with "手贱了" and "是的" (the default).
    virtual ExitAnswer askExit(ui::UiHost& owner) = 0;
    // "该操作将删除勾选歌曲及歌词文件\r\n确认删除?"; true on "确认".
    virtual bool askDelete(ui::UiHost& owner) = 0;
    // The copy-to message; true when the user confirmed it.
    virtual bool showCopyTo(ui::UiHost& owner) = 0;
    // The desktop's folder chooser (another process): blocks while it is
    // open, so it is asked off the user-interface thread. NoChooser: none answered.
    virtual FolderAnswer chooseFolderOnDesktop(const Text& title, const Text& startFolder) = 0;
    // Ends a desktop question still open, and every later one (the window closes); any thread.
    virtual void cancelFolderChoices() = 0;
    // The window's own picker, a modal loop over `owner`: the folder, nullopt when cancelled.
    virtual std::optional<Text> pickFolder(ui::UiHost& owner, const Text& title, const Text& startFolder) = 0;
};

class WindowPrompts : public Prompts {
public:
    ExitAnswer askExit(ui::UiHost& owner) override;
    bool askDelete(ui::UiHost& owner) override;
    bool showCopyTo(ui::UiHost& owner) override;
    FolderAnswer chooseFolderOnDesktop(const Text& title, const Text& startFolder) override;
    void cancelFolderChoices() override;
    std::optional<Text> pickFolder(ui::UiHost& owner, const Text& title, const Text& startFolder) override;

private:
    DesktopFolderChooser m_desktopChooser;
};

}  // namespace quorvo::app
