#include "ui/controls/UiMenuModel.h"

#include <algorithm>

namespace quorvo::ui {

namespace {

constexpr int minimumWidth = 50;
constexpr int captionAllowance = 50;
constexpr int subMenuArrowAllowance = 15;
constexpr int verticalPadding = 8;
constexpr int separatorHeight = 3;
constexpr int itemHeight = 22;

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

int UiMenuModel::addItem(MenuItem item)
{
    m_items.push_back(std::move(item));
    return itemCount() - 1;
}

bool UiMenuModel::deleteItem(int index)
{
    if (index < 0 || index >= itemCount())
        return false;
    m_items.erase(m_items.begin() + index);
    return true;
}

const MenuItem* UiMenuModel::item(int index) const
{
    return (index >= 0 && index < itemCount()) ? &m_items[static_cast<std::size_t>(index)] : nullptr;
}

MenuItem* UiMenuModel::item(int index)
{
    return (index >= 0 && index < itemCount()) ? &m_items[static_cast<std::size_t>(index)] : nullptr;
}

bool UiMenuModel::hasSubMenus() const
{
    return std::any_of(m_items.begin(), m_items.end(),
                       [](const MenuItem& item) { return item.type == MenuItemType::SubMenu; });
}

int UiMenuModel::width(const std::function<int(const Text&)>& measure) const
{
    int width = m_widthSetting;
    if (width <= 0) {
        int widest = 0;
        for (const auto& item : m_items) {
            if (item.type != MenuItemType::Separator && measure)
                widest = std::max(widest, measure(displayCaption(item.caption)));
        }
        width = widest + captionAllowance;
    } else if (width < minimumWidth) {
        width = minimumWidth;
    }
    if (hasSubMenus())
        width += subMenuArrowAllowance;
    return width;
}

int UiMenuModel::height() const
{
    int height = 2 * verticalPadding;
    for (const auto& item : m_items) {
        if (item.state == MenuItemState::Hidden)
            continue;
        height += item.type == MenuItemType::Separator ? separatorHeight : itemHeight;
    }
    return height;
}

std::vector<MenuItemPlace> UiMenuModel::places(int menuWidth) const
{
    std::vector<MenuItemPlace> out;
    int y = verticalPadding;
    for (int i = 0; i < itemCount(); ++i) {
        const MenuItem& item = m_items[static_cast<std::size_t>(i)];
        if (item.state == MenuItemState::Hidden)
            continue;
        if (item.type == MenuItemType::Separator) {
            out.push_back({i, {33, y, menuWidth - 40, separatorHeight}});
            y += separatorHeight;
        } else {
            out.push_back({i, {8, y, menuWidth - 16, itemHeight}});
            y += itemHeight;
        }
    }
    return out;
}

bool UiMenuModel::isChoosable(int index) const
{
    const MenuItem* found = item(index);
    return found != nullptr && found->state == MenuItemState::Normal && found->type != MenuItemType::Separator;
}

int UiMenuModel::nextChoosable(int from, int step) const
{
    const int count = itemCount();
    if (count == 0)
        return -1;
    step = step < 0 ? -1 : 1;
    int index = from;
    if (index < 0 || index >= count)
        index = step > 0 ? -1 : count;
    for (int tried = 0; tried < count; ++tried) {
        index = ((index + step) % count + count) % count;
        if (isChoosable(index))
            return index;
    }
    return -1;
}

int UiMenuModel::findMnemonic(char letter) const
{
    for (int i = 0; i < itemCount(); ++i) {
        if (!isChoosable(i))
            continue;
        const auto mnemonic = mnemonicOf(m_items[static_cast<std::size_t>(i)].caption);
        if (mnemonic && upper(*mnemonic) == upper(letter))
            return i;
    }
    return -1;
}

Text UiMenuModel::displayCaption(const Text& caption)
{
    std::string out;
    const std::string_view bytes = caption.view();
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = std::max<std::size_t>(text::characterLength(bytes, i), 1);
        if (bytes[i] == '&') {
            if (i + 1 < bytes.size() && bytes[i + 1] == '&') {
                out += '&';
                i += 2;
            } else {
                ++i;
            }
            continue;
        }
        out.append(bytes.substr(i, length));
        i += length;
    }
    return Text(out);
}

std::optional<char> UiMenuModel::mnemonicOf(const Text& caption)
{
    const std::string_view bytes = caption.view();
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = std::max<std::size_t>(text::characterLength(bytes, i), 1);
        if (bytes[i] == '&' && i + 1 < bytes.size()) {
            if (bytes[i + 1] == '&') {
                i += 2;
                continue;
            }
            const auto next = static_cast<unsigned char>(bytes[i + 1]);
            if (next < 0x80)
                return static_cast<char>(next);
        }
        i += length;
    }
    return std::nullopt;
}

}  // namespace quorvo::ui
