#include "app/Prompts.h"

#include "app/FolderPicker.h"
#include "app/Questions.h"

namespace quorvo::app {

ExitAnswer WindowPrompts::askExit(ui::UiHost& owner)
{
    return askExitQuestion(owner);
}

bool WindowPrompts::askDelete(ui::UiHost& owner)
{
    return app::askDelete(owner);
}

bool WindowPrompts::showCopyTo(ui::UiHost& owner)
{
    return app::showCopyTo(owner);
}

FolderAnswer WindowPrompts::chooseFolderOnDesktop(const Text& title, const Text& startFolder)
{
    return m_desktopChooser.choose(title, startFolder);
}

void WindowPrompts::cancelFolderChoices()
{
    m_desktopChooser.cancel();
}

std::optional<Text> WindowPrompts::pickFolder(ui::UiHost& owner, const Text& title, const Text& startFolder)
{
    return pickFolderInWindow(owner, title, startFolder);
}

}  // namespace quorvo::app
