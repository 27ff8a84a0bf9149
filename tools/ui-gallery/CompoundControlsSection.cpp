#include "CompoundControlsSection.h"

#include "ui/controls/UiComboBox.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiList.h"
#include "ui/controls/UiMenu.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"
#include "runtime/Encoding.h"

namespace quorvo::ui::gallery {

namespace {

Text gbk(std::string_view utf8)
{
    return encoding::fromUtf8(utf8);
}

SectionPicture capture(std::string name, UiHost& window, const UiHost& host)
{
    window.repaintAll();
    const IntRect where = window.loop().bounds(window.window());
    const IntRect origin = host.loop().bounds(host.window());
    return {std::move(name), window.backBuffer().copy(), {where.x - origin.x, where.y - origin.y}};
}

}  // namespace

std::vector<SectionPicture> addCompoundControls(UiHost& host, FloatRect area)
{
    std::vector<SectionPicture> pictures;

    // 60 songs: every third ticked, row 5 hot, row 6 selected, row 7 failed (red); scrolled by three rows.
    UiList& list = host.add<UiList>(FloatRect {area.x, area.y, area.width, 250},
                                    ListOptions {.singleSelection = false, .checkBoxes = true});
    list.insertColumn(0, gbk("歌曲"), 170);
    list.insertColumn(0, gbk("歌手"), 110);
    list.insertColumn(0, gbk("状态"), 90);
    list.insertColumn(0, "id", 0);
    for (int i = 1; i <= 60; ++i) {
        const int row = list.appendRow(gbk("夜曲 第" + std::to_string(i) + "首"));
        list.model().setCellText(row, 2, gbk(i % 2 ? "周杰伦" : "王菲"));
        list.model().setCellText(row, 3, gbk(i < 4 ? "100%" : "等待"));
        list.model().setCellText(row, 4, std::to_string(4700 + i));
        list.model().setChecked(row, i % 3 == 0);
    }
    list.model().setRowTextColour(7, 0xFFFF0000);
    list.model().setCellText(7, 3, gbk("下载失败"));
    list.model().setHotRow(5);
    list.model().press(6, {}, false);
    list.setVerticalPosition(3 * list.layout().rowHeight);

    const float y = area.y + 262;
    UiEdit& search = host.add<UiEdit>(FloatRect {area.x, y, 200, 26}, gbk("搜索 lossless 音乐"));
    search.setFocus();
    search.select({1, 3}, {1, 11});
    host.add<UiEdit>(FloatRect {area.x, y + 34, 200, 26}, "secret", EditOptions {.inputMode = EditInputMode::Password});
    host.add<UiEdit>(FloatRect {area.x, y + 68, 200, 26}, "12.5", EditOptions {.inputMode = EditInputMode::Decimal});
    host.add<UiEdit>(FloatRect {area.x, y + 102, 200, 60}, gbk("多行\r\n文本框\r\nthird line"),
                     EditOptions {.multiLine = true});

    UiComboBox& combo = host.add<UiComboBox>(FloatRect {area.x + 215, y, 170, 26});
    combo.addItem(gbk("歌手 - 歌名"));
    combo.addItem(gbk("歌名 - 歌手"));
    combo.addItem(gbk("歌名"));
    combo.setCurrentIndex(2);
    combo.onPopupShown = [&](UiHost& popup, UiList& rows) {
        rows.model().hoverSelect(3);
        pictures.push_back(capture("combo-open", popup, host));
        popup.requestClose();
    };
    combo.dropDown();

    UiMenu sub;
    sub.addItem(MenuItem {.caption = gbk("作者主页(&A)"), .commandId = 103});
    sub.addItem(MenuItem {.caption = gbk("检查更新(&U)"), .commandId = 101});
    UiMenu menu;
    menu.addItem(MenuItem {.caption = gbk("隐藏窗口(&H)"), .commandId = 100});
    menu.addItem(MenuItem {.caption = gbk("关于"), .type = MenuItemType::SubMenu, .subMenu = &sub});
    menu.addItem(MenuItem {.type = MenuItemType::Separator});
    menu.addItem(MenuItem {.caption = gbk("退出(&X)"), .commandId = 102});
    sub.onPopup = [&](UiHost& window) {
        pictures.push_back(capture("menu-open", *menu.window(), host));
        pictures.push_back(capture("submenu-open", window, host));
        menu.closeChain();
    };
    menu.onPopup = [&](UiHost& window) {
        // The sub-menu of "关于" opens beside its item, as its timer would open it.
        const IntRect opened = window.loop().bounds(window.window());
        window.loop().post([&menu, opened] { menu.openSubMenuOf(1, {opened.x, opened.y + 30, opened.width, 22}); });
    };
    const IntRect bounds = host.loop().bounds(host.window());
    menu.showAt(host, {bounds.x + static_cast<int>(area.x) + 40, bounds.y + static_cast<int>(y) + 175});
    host.repaintAll();
    return pictures;
}

}  // namespace quorvo::ui::gallery
