#include "app/Questions.h"

#include "app/Captions.h"
#include "ui/controls/UiMessageBox.h"
#include "ui/core/UiHost.h"

namespace quorvo::app {

namespace {

// Button set 1: "确认" (code 0) and "取消" (code 1).
ui::MessageBoxOptions question(int icon)
{
    ui::MessageBoxOptions options;
    options.buttons = ui::MessageBoxButtons::OkCancel;
    options.icon = icon;
    return options;
}

}  // namespace

ExitAnswer askExitQuestion(ui::UiHost& owner)
{
    ui::MessageBoxOptions options = question(64);
    options.customCaptions = {Text(caption::exitKeep), Text(caption::exitConfirm)};
    options.defaultButton = 2;
    const ui::MessageBoxResult answer = ui::messageBox(owner.framework(), &owner, Text(caption::exitQuestion), options);
    return answer == ui::MessageBoxResult::Ok ? ExitAnswer::Exit : ExitAnswer::Keep;
}

bool askDelete(ui::UiHost& owner)
{
    return ui::messageBox(owner.framework(), &owner, Text(caption::deleteQuestion), question(48))
        == ui::MessageBoxResult::Ok;
}

bool showCopyTo(ui::UiHost& owner)
{
    return ui::messageBox(owner.framework(), &owner, Text(caption::copyToMessage), question(64))
        == ui::MessageBoxResult::Ok;
}

}  // namespace quorvo::app
