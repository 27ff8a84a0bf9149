#pragma once

// A folder picker drawn with the framework's own controls, for a desktop
// without a chooser of its own (a bare X server): a small modal window over
// the owner with the current folder, a list of its sub-folders under "..",
// and "确认" / "取消". A double click enters a folder; "确认" (or Enter in the
// list) takes the selected row's folder, or the folder shown when no row is
// selected; a path typed over the folder shown is taken with Enter; Esc cancels.

#include "runtime/Text.h"
#include "ui/core/UiHost.h"

#include <functional>
#include <optional>
#include <vector>

namespace quorvo::app {

// The sub-folders of `folder` (program text, with or without a trailing
// "/"), hidden ones left out, sorted by name; empty when it cannot be read.
std::vector<Text> subFolders(const Text& folder);
// `folder` without its last component; "/" stays "/".
Text parentFolder(const Text& folder);

// Runs the picker's modal loop; the chosen folder without a trailing "/"
// (except the root), nullopt when cancelled. `onShown` runs with the
// picker's host once it is on screen (tests drive it from there).
std::optional<Text> pickFolderInWindow(ui::UiHost& owner, const Text& title, const Text& startFolder,
                                       const std::function<void(ui::UiHost&)>& onShown = {});

}  // namespace quorvo::app
