#pragma once

// UiComboBox: shows its current item and, when pressed, drops down a UiList
// of its items (hover selection, no header) in a small popup window of its
// own, running a nested loop until that window closes. A click on a row
// chooses it; Esc, or a click elsewhere (the popup losing activation),
// closes without a change. Items are numbered from 1; 0 = none.

#include "ui/core/UiControl.h"

#include "gfx/Color.h"
#include "gfx/Image.h"
#include "runtime/Text.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace quorvo::ui {

class UiEdit;
class UiHost;
class UiList;

struct ComboOptions {
    bool editable = false;
    gfx::Argb textColour = 0xE6000000;
};

class UiComboBox : public UiControl {
public:
    explicit UiComboBox(FloatRect rect, ComboOptions options = {});
    ~UiComboBox() override;

    int addItem(const Text& text, std::int64_t data = 0);
    // Before item `position` (1-based); out of range appends.
    int insertItem(int position, const Text& text, std::int64_t data = 0);
    bool deleteItem(int index);
    void clearItems();
    [[nodiscard]] int itemCount() const { return static_cast<int>(m_items.size()); }
    [[nodiscard]] Text itemText(int index) const;
    void setItemText(int index, const Text& text);
    [[nodiscard]] std::int64_t itemData(int index) const;
    void setItemData(int index, std::int64_t data);
    [[nodiscard]] bool isValidIndex(int index) const { return index >= 1 && index <= itemCount(); }

    [[nodiscard]] int currentIndex() const { return m_current; }
    // Also sets the shown text (and the edit's, when editable); no callback.
    void setCurrentIndex(int index);
    [[nodiscard]] const Text& currentText() const { return m_text; }
    void setTextColour(gfx::Argb colour);
    [[nodiscard]] UiEdit* edit() const { return m_edit; }

    [[nodiscard]] bool isDropped() const { return m_dropped; }
    // Opens the drop-down and returns once it has closed.
    void dropDown();
    // Where the drop-down would open now, in screen coordinates.
    [[nodiscard]] IntRect dropDownRect() const;
    [[nodiscard]] static int dropDownHeight(int items);

    std::function<void(int index)> onSelectionChanged;
    std::function<void()> onDropDown;
    std::function<void()> onCloseUp;
    // Called once the drop-down is open, with its window and list (before its loop runs).
    std::function<void(UiHost& popup, UiList& list)> onPopupShown;

protected:
    void createEvent(Event& event) override;
    void paintEvent(PaintEvent& event) override;
    void mouseDownEvent(MouseEvent& event) override;
    void keyDownEvent(KeyEvent& event) override;
    void focusInEvent(FocusEvent& event) override;
    void mouseEnterEvent(HoverEvent& event) override;
    void mouseLeaveEvent(HoverEvent& event) override;

private:
    struct Item {
        Text text;
        std::int64_t data = 0;
    };

    ComboOptions m_options;
    std::vector<Item> m_items;
    int m_current = 0;
    Text m_text;
    bool m_dropped = false;
    bool m_hover = false;
    UiEdit* m_edit = nullptr;
    gfx::Image m_frames[2];
    gfx::Image m_arrow;
};

}  // namespace quorvo::ui
