#pragma once

// The look of the window and its pages in one place: colours, the control
// styles, and the rectangle of every control (window coordinates; the pages
// sit at 5, 86, 400 × 565). The pages read it; a new look changes only this.

#include "app/Captions.h"
#include "runtime/Geometry.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiImageButton.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiLink.h"
#include "ui/controls/UiList.h"
#include "ui/controls/UiTabStack.h"
#include "ui/core/UiHost.h"

#include "download/AddMessage.h"
#include "gfx/Color.h"

#include <array>
#include <span>
#include <string_view>

namespace quorvo::gfx {
class Painter;
}

namespace quorvo::app::look {

// Opaque as the program's colours are: alpha 254.
constexpr gfx::Argb opaque(int red, int green, int blue)
{
    return gfx::argb(254, red, green, blue);
}
inline constexpr gfx::Argb white = opaque(255, 255, 255);
// List rows: their text, a greyed (added) result, a failed download.
inline constexpr gfx::Argb rowText = gfx::argb(190, 128, 0, 0);
inline constexpr gfx::Argb greyedRow = gfx::argb(102, 0, 0, 0);
inline constexpr gfx::Argb failedRow = gfx::argb(153, 255, 0, 0);
// Settings captions, check boxes and the speed unit.
inline constexpr gfx::Argb settingsText = gfx::argb(153, 0, 0, 0);
// The red-orange of the status line's warnings ("请勾选欲下载的歌曲").
inline constexpr download::MessageColour warning {211, 111, 84};

// ---- the window ----
ui::HostOptions windowOptions();
// The bands behind the search box, the lists and the bottom row, under the controls.
void paintWindowBackground(gfx::Painter& painter, IntSize size);
ui::TabStackLook tabStackLook();

// ---- styles ----
Bytes assetBytes(std::string_view name);
ui::LabelOptions labelLook(gfx::Argb text);
// White text with a glow of `glow` around it.
ui::LabelOptions glowLook(gfx::Argb glow);
// A label over a flat two-stop gradient (the progress bar), hidden at first.
ui::LabelOptions barLook(gfx::Argb fill);
// The status line: white text centred over its message's colour, hidden at first.
ui::LabelOptions statusLineLook();
ui::EditOptions editLook(gfx::Argb text, gfx::Argb background, gfx::Argb border,
                         ui::EditInputMode mode = ui::EditInputMode::Normal);
ui::ButtonOptions markLook();
// Checked rows, no header and no grid, over nothing.
ui::ListOptions listLook(gfx::Argb text, gfx::Argb hot, gfx::Argb selected);
// A list's columns, left to right: caption and width. Every list also has
// the hidden "id" and "lrc" columns the rows carry their song id and lyric flag in.
struct ListColumn {
    std::string_view caption;
    int width = 0;
};
void addColumns(ui::UiList& list, std::span<const ListColumn> columns);
// White with a dark glow, hand cursor: "全选", "反选" and the version link.
ui::UiLink& addLink(ui::UiControl& parent, FloatRect rect, std::string_view text);
// A four-frame strip with a tooltip and the hand cursor.
ui::UiImageButton& addImageButton(ui::UiControl& parent, FloatRect rect, std::string_view strip, std::string_view tip);

// ---- the search page ----
namespace search {
inline constexpr FloatRect progressBar {8, 87, 0, 29};
inline constexpr FloatRect searchBox {8, 90, 394, 24};
inline constexpr FloatRect results {5, 115, 400, 485};
inline constexpr FloatRect statusLine {5, 574, 400, 24};
inline constexpr FloatRect tickAll {15, 610, 40, 25};
inline constexpr FloatRect invertTicks {50, 610, 40, 25};
inline constexpr FloatRect addButton {90, 610, 20, 20};
inline constexpr std::array<ListColumn, 4> columns {{{caption::columnName, 130},
                                                     {caption::columnAlbum, 125},
                                                     {caption::columnArtist, 90},
                                                     {caption::columnQuality, 40}}};
}  // namespace search

// ---- the download page ----
namespace downloads {
inline constexpr FloatRect start {15, 91, 20, 20};
inline constexpr FloatRect pause {40, 91, 20, 20};
inline constexpr FloatRect remove {65, 91, 20, 20};
inline constexpr FloatRect openFolder {340, 91, 20, 20};
inline constexpr FloatRect copyTo {365, 91, 28, 20};
inline constexpr FloatRect list {5, 115, 400, 485};
inline constexpr FloatRect speed {15, 610, 120, 25};
inline constexpr FloatRect statusLine {5, 574, 400, 24};
inline constexpr std::array<ListColumn, 4> columns {{{caption::columnName, 230},
                                                     {caption::columnQuality, 40},
                                                     {caption::columnSize, 50},
                                                     {caption::columnProgress, 60}}};
}  // namespace downloads

// ---- the settings page ----
namespace settings {
// The row captions: one label per line of a 14-pixel grid from y 141.
inline constexpr float captionLeft = 25;
inline constexpr float captionTop = 141;
inline constexpr float captionLine = 14;
inline constexpr FloatRect folderBox {110, 136, 260, 24};
// Inside the folder box's right end.
inline constexpr FloatRect browse {110 + 260 - 24, 136 + (24 - 20) / 2.0f, 20, 20};
// Wide enough for "歌手/专辑/歌曲".
inline constexpr FloatRect namingScheme {109, 166, 120, 24};
inline constexpr int namingSchemeAlpha = 190;
inline constexpr FloatRect lyrics {103, 190, 80, 25};
// Beside "下载歌词", on the same row.
inline constexpr FloatRect embedLyrics {190, 190, 140, 25};
inline constexpr FloatRect soundWhirlwind {103, 219, 100, 25};
inline constexpr FloatRect play1 {195, 220, 20, 20};
inline constexpr FloatRect soundThunder {103, 239, 100, 25};
inline constexpr FloatRect play2 {195, 240, 20, 20};
inline constexpr FloatRect soundNone {103, 259, 60, 25};
inline constexpr FloatRect bypass {103, 287, 160, 25};
inline constexpr FloatRect removeAdded {103, 309, 230, 25};
inline constexpr FloatRect speedBox {110, 345, 80, 22};
// −1 and +1 stacked at the speed box's right edge.
inline constexpr FloatRect speedUp {110 + 80 - 23, 345, 23, 22 / 2.0f - 1};
inline constexpr FloatRect speedDown {110 + 80 - 23, 345 + 22 - (22 / 2.0f - 1), 23, 22 / 2.0f - 1};
inline constexpr FloatRect speedUnit {190, 346, 90, 22};
inline constexpr FloatRect versionLink {15, 610, 80, 25};
}  // namespace settings

}  // namespace quorvo::app::look
