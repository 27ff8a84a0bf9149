#pragma once

// The main window's three questions, as the framework's message boxes over
// the window.

#include "app/WindowMessages.h"

namespace quorvo::ui {
class UiHost;
}

namespace quorvo::app {

// "歌曲未下载完毕,\r\n确认退出程序?" with "手贱了" and "是的" (the default).
ExitAnswer askExitQuestion(ui::UiHost& owner);
// "该操作将删除勾选歌曲及歌词文件\r\n确认删除?"; true on "确认".
bool askDelete(ui::UiHost& owner);
// The copy-to message; true when the user confirmed it.
bool showCopyTo(ui::UiHost& owner);

}  // namespace quorvo::app
