#include "app/FolderPicker.h"

#include "gfx/Color.h"
#include "gfx/Shapes.h"
#include "platform/Files.h"
#include "platform/window/EventLoop.h"
#include "ui/controls/MessageBoxLayout.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiList.h"
#include "ui/controls/UiMessageBoxButton.h"
#include "ui/core/UiFramework.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace quorvo::app {

namespace {

namespace fs = std::filesystem;
using gfx::argb;

constexpr int pickerWidth = 300;
constexpr int pickerHeight = 380;
constexpr std::string_view upRow = "..";

Text withoutTrailingSlash(Text folder)
{
    while (folder.size() > 1 && folder.view().ends_with('/'))
        folder = Text(folder.view().substr(0, folder.size() - 1));
    return folder;
}

Text join(const Text& folder, const Text& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

Text startingFolder(const Text& wanted)
{
    Text folder = withoutTrailingSlash(wanted);
    // The stored folder may be gone (an unplugged disk): start from the nearest one that is there.
    while (!folder.empty() && folder != "/" && !platform::isDirectory(folder))
        folder = parentFolder(folder);
    if (!folder.empty())
        return folder;
    const char* home = std::getenv("HOME");
    return platform::fromNativePath(home && home[0] == '/' ? home : "/");
}

// A typed path: spaces around it trimmed, "~" for the home folder, no trailing "/".
Text typedFolder(const Text& typed)
{
    std::string_view path = typed.view();
    while (!path.empty() && path.front() == ' ')
        path.remove_prefix(1);
    while (!path.empty() && path.back() == ' ')
        path.remove_suffix(1);
    if (path == "~" || path.starts_with("~/")) {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return {};
        return withoutTrailingSlash(platform::fromNativePath(home) + Text(path.substr(1)));
    }
    if (!path.starts_with('/'))
        return {};
    return withoutTrailingSlash(Text(path));
}

}  // namespace

std::vector<Text> subFolders(const Text& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    fs::directory_iterator entry(platform::nativePath(folder), fs::directory_options::skip_permission_denied, error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        std::error_code typeError;
        if (!name.empty() && name.front() != '.' && entry->is_directory(typeError))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<Text> folders;
    folders.reserve(names.size());
    for (const std::string& name : names)
        folders.push_back(platform::fromNativePath(name));
    return folders;
}

Text parentFolder(const Text& folder)
{
    const Text trimmed = withoutTrailingSlash(folder);
    const std::size_t slash = trimmed.view().rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? Text("/") : Text(trimmed.view().substr(0, slash));
}

std::optional<Text> pickFolderInWindow(ui::UiHost& owner, const Text& title, const Text& startFolder,
                                       const std::function<void(ui::UiHost&)>& onShown)
{
    ui::UiFramework& framework = owner.framework();
    platform::EventLoop& loop = framework.loop();

    ui::HostOptions options;
    options.title = title;
    const IntRect around = owner.isAlive() ? loop.bounds(owner.window()) : loop.workArea();
    options.position
        = IntPoint {around.x + (around.width - pickerWidth) / 2, around.y + (around.height - pickerHeight) / 2};
    options.width = pickerWidth;
    options.height = pickerHeight;
    options.popup = true;
    options.owner = &owner;
    options.captionFlags = ui::caption::Close;
    // The owner's look, as its message boxes have it.
    options.backgroundImage = owner.backgroundBytes();
    options.backgroundColour = owner.backgroundColour();
    options.layerAlpha = owner.layerAlpha();
    options.imageMode = owner.imageMode();
    options.frameStyle = owner.frameStyle() == 1 ? 7 : owner.frameStyle();
    options.margins = owner.margins();
    ui::UiHost box(framework, std::move(options));
    if (!box.isAlive())
        return std::nullopt;
    box.onPaintBackground = [](gfx::Painter& painter, IntSize size) {
        const FloatRect panel {8, 62, static_cast<float>(size.width) - 16, 266};
        gfx::fillRect(painter, panel, argb(220, 255, 255, 255));
        gfx::drawFrame(painter, panel, gfx::frame::Solid, argb(51, 0, 96, 192));
    };
    box.setBackground(std::nullopt, std::nullopt, ui::BackgroundTransition::RenderOnly, true);

    ui::LabelOptions headingLook;
    headingLook.textColour = argb(254, 255, 255, 255);
    headingLook.textEffect = gfx::TextEffect::Glow;
    headingLook.effectColour = argb(102, 0, 0, 0);
    headingLook.lineAlignment = gfx::StringAlignment::Center;
    box.add<ui::UiLabel>(FloatRect {12, 6, 220, 24}, title, headingLook);
    // The folder shown, as an edit box: a path may be typed and taken with Enter.
    ui::EditOptions pathLook;
    pathLook.textColour = argb(190, 0, 0, 0);
    pathLook.background = argb(220, 255, 255, 255);
    pathLook.borderColour = argb(51, 0, 96, 192);
    auto& where = box.add<ui::UiEdit>(FloatRect {12, 34, 276, 24}, Text(), pathLook);

    ui::ListOptions listLook;
    listLook.headerHidden = true;
    listLook.gridLines = 0u;
    listLook.singleSelection = true;
    listLook.textColour = argb(210, 0, 0, 0);
    listLook.background = argb(0, 255, 255, 255);
    listLook.borderColour = 0;
    auto& list = box.add<ui::UiList>(FloatRect {10, 64, 280, 262}, listLook);
    list.insertColumn(1, Text(), 256);

    Text current = startingFolder(startFolder);
    const auto show = [&](const Text& folder) {
        current = folder;
        where.setEditText(current, true);
        ui::UiListModel& model = list.model();
        model.deleteAllRows();
        if (current != "/")
            list.appendRow(Text(upRow));
        for (const Text& name : subFolders(current))
            list.appendRow(name);
    };
    // The folder a row stands for.
    const auto rowFolder = [&](int row) {
        const Text name = list.model().cellText(row, 1);
        return name == upRow ? parentFolder(current) : join(current, name);
    };
    const auto selectedRow = [&] {
        const std::span<const int> rows = list.model().selectedRows();
        return rows.empty() ? 0 : rows.front();
    };
    show(current);
    list.bind(ui::EventType::DoubleClick, [&] {
        if (const int row = selectedRow(); row > 0)
            show(rowFolder(row));
    });

    std::optional<Text> chosen;
    // Button set 1: index 0 is the rightmost ("取消"), index 1 "确认".
    const std::vector<ui::MessageBoxButton> captions = ui::messageBoxButtons(ui::MessageBoxButtons::OkCancel);
    auto& confirm
        = box.add<ui::UiMessageBoxButton>(FloatRect {122, 340, 78, 28}, captions.at(1).caption, captions.at(1).code, 2);
    confirm.onClick = [&] {
        const int row = selectedRow();
        chosen = row > 0 ? rowFolder(row) : current;
        box.requestClose();
    };
    auto& cancel
        = box.add<ui::UiMessageBoxButton>(FloatRect {208, 340, 78, 28}, captions.at(0).caption, captions.at(0).code, 1);
    cancel.onClick = [&] { box.requestClose(); };

    // The keyboard: Esc cancels wherever the focus is; Enter in the list
    // takes what "确认" would; Enter in the path box takes the typed folder
    // when it exists (a path that does not is left there to be corrected).
    const auto escapeCancels = [&](const ui::Event& event) {
        if (static_cast<const ui::KeyEvent&>(event).key() == ui::Key::Escape)
            box.requestClose();
    };
    for (ui::UiControl* control : {static_cast<ui::UiControl*>(&confirm), static_cast<ui::UiControl*>(&cancel)})
        control->bind(ui::EventType::KeyDown, escapeCancels);
    list.bind(ui::EventType::KeyDown, [&](const ui::Event& event) {
        const ui::Key key = static_cast<const ui::KeyEvent&>(event).key();
        if (key == ui::Key::Return) {
            const int row = selectedRow();
            chosen = row > 0 ? rowFolder(row) : current;
            box.requestClose();
        } else if (key == ui::Key::Escape) {
            box.requestClose();
        }
    });
    where.bind(ui::EventType::KeyDown, [&](const ui::Event& event) {
        const ui::Key key = static_cast<const ui::KeyEvent&>(event).key();
        if (key == ui::Key::Escape) {
            box.requestClose();
            return;
        }
        if (key != ui::Key::Return)
            return;
        const Text typed = typedFolder(where.editText());
        if (!typed.empty() && platform::isDirectory(typed)) {
            chosen = typed;
            box.requestClose();
        }
    });

    box.show();
    loop.setFocus(box.window());
    loop.setAlwaysOnTop(box.window(), true);
    list.setFocus();
    if (onShown)
        framework.dispatcher().post([&] { onShown(box); });
    framework.runModalLoop(box);
    return chosen;
}

}  // namespace quorvo::app
