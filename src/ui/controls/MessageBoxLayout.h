#pragma once

// The message box's button sets, result codes, icon cells and geometry:
// everything about the box that can be decided without a window.

#include "runtime/Geometry.h"
#include "runtime/Text.h"

#include <optional>
#include <span>
#include <vector>

namespace quorvo::ui {

// The buttons argument of the box.
enum class MessageBoxButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};

// What the box returns. Closing it any other way than by a button (Esc, the
// close button, a close request) is Cancel.
enum class MessageBoxResult { Ok = 0, Cancel = 1, Abort = 2, Retry = 3, Ignore = 4, Yes = 5, No = 6 };

// The icon argument (the classic icon values); 0 is no icon.
enum class MessageBoxIcon { None = 0, Error = 16, Question = 32, Warning = 48, Information = 64, User = 128 };

struct MessageBoxButton {
    Text caption;
    MessageBoxResult code = MessageBoxResult::Ok;
};

// The buttons of a set from right to left (index 0 is the rightmost). Custom
// captions replace the set's captions position by position, rightmost first;
// extra ones are ignored, missing ones keep the set's caption. The codes stay
// those of the set.
std::vector<MessageBoxButton> messageBoxButtons(MessageBoxButtons set, std::span<const Text> customCaptions = {});

// Left edge of the icon's 40 x 40 cell in the icon sheet; any other non-zero
// value shows the first cell, none shows nothing.
std::optional<int> messageIconCell(int icon);

struct MessageBoxGeometry {
    // Screen rectangle of the box.
    IntRect box;
    // Box coordinates.
    FloatRect textArea;
    // Box coordinates, index 0 the rightmost button.
    std::vector<IntRect> buttons;
};

inline constexpr IntSize messageBoxSize {320, 150};
inline constexpr IntSize messageBoxButtonSize {70, 26};
inline constexpr IntRect messageIconRect {30, 40, 40, 40};

// Lays the box out around a text of `measured` size (measured on one line per
// "\r\n" line, never wrapped), centred on `reference` (the owner's rectangle
// or the work area). The box widens and grows to fit the text.
MessageBoxGeometry layoutMessageBox(FloatSize measured, bool hasIcon, const IntRect& reference, int buttonCount);

// The rectangle of button `index` (0 = rightmost) in a box of `boxSize`.
IntRect messageBoxButtonRect(IntSize boxSize, int index);

}  // namespace quorvo::ui
