#pragma once

// Where the frames lie inside the embedded strips and sheets, for the code
// that cuts them out. Sizes in pixels.

namespace quorvo::assets::layout {

// Image-button strips ("button_*.png"): four frames side by side, in the order
// normal, hover (also focused), pressed, disabled. 20 x 20 each; the copy-to
// strip's frames are 28 x 20.
inline constexpr int buttonFrames = 4;

// "tab_strip.png.nosig": three 60 x 45 frames; x 0 is never drawn, hover at
// x 60, selected at x 120. Tab icons ("tab_*.png") are 26 x 26.
inline constexpr int tabFrameWidth = 60;
inline constexpr int tabFrameHeight = 45;

// "check_box.png.nosig" and "radio.png.nosig": four 17 x 17 frames at x 0
// unchecked, 17 unchecked highlighted, 34 checked, 51 checked highlighted.
inline constexpr int markFrameSize = 17;

// "caption_buttons.png.nosig": one row per button, one column per state.
// Rows (y = row * 19): close, maximise, restore, minimise, menu. Columns
// (x = column * the row's width): normal, hover, pressed, disabled. The close
// button's frames are 39 wide, the others 28.
enum class CaptionRow { Close = 0, Maximise = 1, Restore = 2, Minimise = 3, Menu = 4 };
enum class CaptionState { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };
inline constexpr int captionHeight = 19;
inline constexpr int captionCloseWidth = 39;
inline constexpr int captionOtherWidth = 28;

// "msgbox_icons.png.nosig": five 40 x 40 cells at x 0 error, 40 warning,
// 80 question, 120 information, 160 user.
inline constexpr int messageIconSize = 40;

// "msgbox_decoration.png.nosig": two 24 x 24 pieces for nine-grid drawing
// with the centre rectangle (8, 8, 8, 8): the text panel at x 0, drawn under
// the icon and the text (suggested: 12, 32, box width - 24, box height - 76),
// and the button bar at x 24 (suggested: 6, box height - 40, box width - 12, 34).
inline constexpr int decorationPieceSize = 24;
inline constexpr int decorationPanelX = 0;
inline constexpr int decorationButtonBarX = 24;
inline constexpr int decorationBorder = 8;

// "combo_frame.png.nosig": two 20 x 26 frames (x 0 normal, x 20 hovered or
// dropped), nine-grid centre (5, 5, 10, 16). "combo_arrow.png.nosig": two
// 15 x 12 frames (x 0 closed, x 15 dropped).
inline constexpr int comboFrameWidth = 20;
inline constexpr int comboFrameHeight = 26;
inline constexpr int comboArrowWidth = 15;
inline constexpr int comboArrowHeight = 12;

// "menu_author.png" is 18 x 18. The program icon comes as "icon_<size>.png"
// for sizes 16, 24, 32, 48, 64 and 128: 16 and 24 for the tray and the
// caption, the larger ones for the window manager.
inline constexpr int programIconSizes[] = {16, 24, 32, 48, 64, 128};

}  // namespace quorvo::assets::layout
