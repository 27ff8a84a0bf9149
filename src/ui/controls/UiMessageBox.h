#pragma once

// The framework's modal message box: an icon, a text and one to three
// buttons in a small window of its own that borrows the owner's look. It
// beeps, runs a modal loop (the owner ignores input meanwhile; timers and
// posted work go on) and returns the code of the button pressed; Esc, the
// close button and any other close give Cancel.
//
//     const auto answer = messageBox(framework, &mainWindow, "歌曲未下载完毕,\r\n确认退出程序?",
//                                    {.buttons = MessageBoxButtons::OkCancel, .icon = 64,
//                                     .customCaptions = {"手贱了", "是的"}, .defaultButton = 2});

#include "ui/controls/MessageBoxLayout.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include <functional>
#include <optional>
#include <vector>

namespace quorvo::ui {

// A look of its own instead of the owner's.
struct MessageBoxSkin {
    Bytes image;
    std::uint32_t colour = 0xFF8800;  // Windows RGB
    int layerAlpha = -1;
    int imageMode = 0;
    int frameStyle = 7;
    FloatRect margins;
};

struct MessageBoxOptions {
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    // Program text; default "提示：".
    std::optional<Text> title;
    // 0 none, 16 error, 32 question, 48 warning, 64 information, 128 user.
    int icon = 0;
    // Called with the box, its width and height after it is built and before it is shown.
    std::function<void(UiHost& box, int width, int height)> onCreated;
    bool beep = true;
    // Centred on the owner's window; otherwise (or without an owner) on the work area.
    bool centreOnOwner = true;
    unsigned captionFlags = caption::Title | caption::Close;
    // Replace the set's captions from the right; the codes stay the set's.
    std::vector<Text> customCaptions;
    // 1-based from the right; this button gets the focus (without a focus rectangle).
    int defaultButton = 1;
    std::optional<MessageBoxSkin> skin;
    int showEffect = 0;
    int closeEffect = 0;
};

// Shows the box and waits for the answer; Cancel when the window cannot be made.
MessageBoxResult messageBox(UiFramework& framework, const UiHost* owner, const Text& text,
                            const MessageBoxOptions& options = {});

}  // namespace quorvo::ui
