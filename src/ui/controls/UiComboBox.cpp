#include "ui/controls/UiComboBox.h"

#include "ui/controls/ControlImages.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiList.h"
#include "ui/core/UiHost.h"

#include "assets/Layout.h"
#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/StringFormat.h"
#include "gfx/Surface.h"
#include "gfx/TextPainter.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace quorvo::ui {

namespace {

namespace layout = assets::layout;

constexpr int rowPitch = 19;
constexpr int maximumDropDownHeight = 130;
constexpr int arrowBoxWidth = 19;
constexpr int arrowBoxHeight = 22;
const FloatRect frameCentre {5, 5, 10, 16};

// The drop-down's height counts rows 19 pixels apart, and the list makes a
// row 6 pixels taller than its font: the list gets the framework font scaled
// down until its rows keep that pitch (null: the framework font already does).
gfx::Font dropDownFont()
{
    const gfx::Font& base = gfx::defaultFont();
    if (base.isNull())
        return {};
    gfx::Surface scratch = gfx::Surface::create(1, 1);
    gfx::Painter painter(scratch);
    constexpr float wanted = rowPitch - 6;
    const auto fits = [&](const gfx::Font& font) {
        return static_cast<float>(std::lround(gfx::fontHeight(painter, font))) <= wanted;
    };
    if (fits(base))
        return {};
    float size = base.size() * wanted / gfx::fontHeight(painter, base);
    for (; size > 1.0f; size -= 0.25f) {
        gfx::Font font = gfx::createFont(base.familyName(), size, base.style());
        if (font.isNull() || fits(font))
            return font;
    }
    return {};
}

// The drop-down window's picture: the normal frame over white, stretched over
// the whole window as a nine-grid (the host's skin mode), so that no window
// shape or clip cuts the frame away.
Bytes dropDownBackground(const gfx::Image& frame)
{
    if (!frame)
        return {};
    gfx::Surface picture = gfx::Surface::create(frame.width(), frame.height());
    if (!picture)
        return {};
    {
        gfx::Painter painter(picture);
        gfx::fillRect(painter, {1, 1, static_cast<float>(frame.width() - 2), static_cast<float>(frame.height() - 2)},
                      0xFFFFFFFF);
        gfx::drawImage(painter, frame, {0, 0, static_cast<float>(frame.width()), static_cast<float>(frame.height())});
    }
    return picture.encodePng();
}

}  // namespace

UiComboBox::UiComboBox(FloatRect rect, ComboOptions options)
    : UiControl(rect, ControlKind::ComboBox)
    , m_options(options)
{
    const gfx::Image strip = loadEmbeddedImage("combo_frame.png.nosig");
    // Each frame as an image of its own, for nine-grid drawing.
    constexpr auto frameWidth = static_cast<float>(layout::comboFrameWidth);
    constexpr auto frameHeight = static_cast<float>(layout::comboFrameHeight);
    m_frames[0] = cutOutImage(strip, {0, 0, frameWidth, frameHeight});
    m_frames[1] = cutOutImage(strip, {frameWidth, 0, frameWidth, frameHeight});
    m_arrow = loadEmbeddedImage("combo_arrow.png.nosig");
}

UiComboBox::~UiComboBox() = default;

void UiComboBox::createEvent(Event&)
{
    if (!m_options.editable)
        return;
    const FloatRect r = rect();
    EditOptions editOptions;
    editOptions.textColour = m_options.textColour;
    editOptions.background = 0;
    editOptions.borderColour = 0;
    m_edit = &add<UiEdit>(FloatRect {r.x + 2, r.y + 2, r.width - arrowBoxWidth - 4, r.height - 4}, m_text, editOptions);
}

int UiComboBox::addItem(const Text& text, std::int64_t data)
{
    return insertItem(0, text, data);
}

int UiComboBox::insertItem(int position, const Text& text, std::int64_t data)
{
    const int index = isValidIndex(position) ? position : itemCount() + 1;
    m_items.insert(m_items.begin() + (index - 1), Item {text, data});
    if (m_current >= index)
        ++m_current;
    return index;
}

bool UiComboBox::deleteItem(int index)
{
    if (!isValidIndex(index))
        return false;
    m_items.erase(m_items.begin() + (index - 1));
    if (m_current == index)
        m_current = 0;
    else if (m_current > index)
        --m_current;
    return true;
}

void UiComboBox::clearItems()
{
    m_items.clear();
    m_current = 0;
}

Text UiComboBox::itemText(int index) const
{
    return isValidIndex(index) ? m_items[static_cast<std::size_t>(index - 1)].text : Text();
}

void UiComboBox::setItemText(int index, const Text& text)
{
    if (!isValidIndex(index))
        return;
    m_items[static_cast<std::size_t>(index - 1)].text = text;
    if (index == m_current)
        setCurrentIndex(index);
}

std::int64_t UiComboBox::itemData(int index) const
{
    return isValidIndex(index) ? m_items[static_cast<std::size_t>(index - 1)].data : 0;
}

void UiComboBox::setItemData(int index, std::int64_t data)
{
    if (isValidIndex(index))
        m_items[static_cast<std::size_t>(index - 1)].data = data;
}

void UiComboBox::setCurrentIndex(int index)
{
    if (!isValidIndex(index))
        return;
    m_current = index;
    m_text = itemText(index);
    if (m_edit != nullptr)
        m_edit->setEditText(m_text);
    update();
}

void UiComboBox::setTextColour(gfx::Argb colour)
{
    m_options.textColour = colour;
    if (m_edit != nullptr)
        m_edit->setTextColour(colour);
    update();
}

int UiComboBox::dropDownHeight(int items)
{
    if (items <= 0)
        return maximumDropDownHeight;
    return std::min(items * rowPitch + 6, maximumDropDownHeight);
}

IntRect UiComboBox::dropDownRect() const
{
    if (host() == nullptr)
        return {};
    const IntRect window = host()->screenBounds();
    const IntRect work = host()->workArea();
    const int height = dropDownHeight(itemCount());
    const int x = window.x + static_cast<int>(left());
    int y = window.y + static_cast<int>(top() + this->height());
    if (y + height > work.y + work.height)
        y = window.y + static_cast<int>(top()) - height;
    return {x, y, static_cast<int>(width()), height};
}

void UiComboBox::dropDown()
{
    if (m_dropped || host() == nullptr)
        return;
    m_dropped = true;
    update();
    if (onDropDown)
        onDropDown();

    const IntRect area = dropDownRect();
    HostOptions options;
    options.title = "combo";
    options.position = IntPoint {area.x, area.y};
    options.width = area.width;
    options.height = area.height;
    options.popup = true;
    options.owner = host();
    options.backgroundColour = 0x00FFFFFF;
    options.backgroundImage = dropDownBackground(m_frames[0]);
    options.frameStyle = 1;
    options.margins = frameCentre;
    // Layered: an opaque host is cut to its inner area, which holds no frame.
    options.layerAlpha = 255;
    options.captionFlags = 0;
    options.dragAnywhere = false;
    int choice = 0;
    {
        UiHost popup(host()->framework(), options);
        popup.onMessage = [&popup](const WindowRequest& request) {
            if (request.kind == WindowRequestKind::Deactivate)
                popup.requestClose();
            return notHandled;
        };
        ListOptions listOptions;
        listOptions.headerHidden = true;
        listOptions.gridLines = 0u;
        listOptions.hoverSelection = true;
        listOptions.background = 0;
        listOptions.borderColour = 0;
        listOptions.textColour = m_options.textColour;
        listOptions.selectedBackground = 0x993086C6;
        listOptions.selectedTextColour = 0xFFFFFFFF;
        listOptions.font = dropDownFont();
        auto& list = popup.add<UiList>(
            FloatRect {3, 3, static_cast<float>(area.width - 6), static_cast<float>(area.height - 6)}, listOptions);
        list.insertColumn(0, "", area.width - 6 - 12);
        for (const Item& item : m_items)
            list.insertRow(0, NewRow {.text = item.text, .textColour = m_options.textColour});
        const int currentRow = list.model().findText(m_text, 1, ListFind {.exact = true});
        if (currentRow != 0) {
            list.model().setCurrentRow(currentRow);
            list.ensureVisible(currentRow);
        }
        list.onItemClicked = [&](int row) {
            choice = row;
            popup.requestClose();
        };
        list.bind(EventType::KeyDown, [&popup, &list, &choice](const Event& event) {
            const Key key = static_cast<const KeyEvent&>(event).key();
            if (key == Key::Return && list.model().isValid(list.model().currentRow()))
                choice = list.model().currentRow();
            if (key == Key::Escape || key == Key::Return)
                popup.requestClose();
        });
        popup.show();
        popup.activate();
        list.setFocus();
        if (onPopupShown)
            onPopupShown(popup, list);
        if (popup.isAlive())
            popup.runWhileAlive();
    }
    if (host() != nullptr && host()->isAlive())
        host()->activate();
    if (onCloseUp)
        onCloseUp();
    if (isValidIndex(choice)) {
        setCurrentIndex(choice);
        if (onSelectionChanged)
            onSelectionChanged(choice);
    }
    m_dropped = false;
    update();
}

void UiComboBox::mouseDownEvent(MouseEvent&)
{
    dropDown();
}

void UiComboBox::keyDownEvent(KeyEvent& event)
{
    if (event.key() == Key::Space || event.key() == Key::Return) {
        dropDown();
        return;
    }
    event.ignore();
}

void UiComboBox::focusInEvent(FocusEvent&)
{
    if (m_edit != nullptr)
        m_edit->setFocus();
}

void UiComboBox::mouseEnterEvent(HoverEvent&)
{
    m_hover = true;
    update();
}

void UiComboBox::mouseLeaveEvent(HoverEvent&)
{
    m_hover = false;
    update();
}

void UiComboBox::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const float w = width();
    const float h = height();
    const gfx::Image& frame = m_frames[(m_hover || m_dropped) ? 1 : 0];
    if (frame)
        gfx::drawNineGrid(painter, frame, {0, 0, w, h}, frameCentre);
    if (m_arrow) {
        const float boxX = w - arrowBoxWidth - 2;
        const float boxY = (h - arrowBoxHeight) / 2;
        const float x = boxX + (arrowBoxWidth - layout::comboArrowWidth) / 2.0f;
        const float y = boxY + (arrowBoxHeight - layout::comboArrowHeight) / 2.0f;
        gfx::drawImage(painter, m_arrow, {x, y, layout::comboArrowWidth, layout::comboArrowHeight},
                       FloatRect {m_dropped ? static_cast<float>(layout::comboArrowWidth) : 0.0f, 0,
                                  layout::comboArrowWidth, layout::comboArrowHeight});
    }
    if (m_edit == nullptr && !m_text.empty()) {
        gfx::StringFormat format(gfx::StringFormatFlags::NoWrap);
        format.trimming(gfx::StringTrimming::EllipsisCharacter);
        const float textHeight = 16.0f;
        gfx::drawText(painter, {6, (h - textHeight) / 2, w - arrowBoxWidth - 10, textHeight + 2}, m_text,
                      gfx::defaultFont(), m_options.textColour, format);
    }
}

}  // namespace quorvo::ui
