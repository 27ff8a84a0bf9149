#include "ui/controls/UiEdit.h"

#include "ui/controls/UiEditButton.h"
#include "ui/controls/UiMenu.h"
#include "ui/controls/UiScrollBar.h"
#include "ui/core/UiHost.h"

#include "gfx/Painter.h"
#include "gfx/Shapes.h"
#include "gfx/TextPainter.h"

#include <algorithm>
#include <cmath>

namespace quorvo::ui {

namespace {

constexpr int caretTimer = 1;
constexpr gfx::Argb selectionColour = 0xFE3399FF;
constexpr gfx::Argb caretColour = 0xE6000000;
constexpr float unbounded = 100000.0f;
constexpr int buttonRoom = 24;

FloatRect toRectF(const FloatRect& r)
{
    return {r.x, r.y, r.width, r.height};
}

// The shared context menu's captions (UTF-8 in the source, program text at run time).
const char* const cutCaption = "\xBC\xF4\xC7\xD0(&T)";                        // 剪切(&T)
const char* const copyCaption = "\xB8\xB4\xD6\xC6(&C)";                       // 复制(&C)
const char* const pasteCaption = "\xD5\xB3\xCC\xF9(&P)";                      // 粘贴(&P)
const char* const selectAllCaption = "\xC8\xAB\xB2\xBF\xD1\xA1\xD4\xF1(&A)";  // 全部选择(&A)

int characterCount(std::string_view text)
{
    int count = 0;
    for (std::size_t i = 0; i < text.size(); i += std::max<std::size_t>(text::characterLength(text, i), 1))
        ++count;
    return count;
}

}  // namespace

UiEdit::UiEdit(FloatRect rect, const Text& text, EditOptions options)
    : UiControl(rect, ControlKind::Edit)
    , m_model(options.multiLine)
    , m_options(std::move(options))
    , m_format(gfx::StringFormatFlags::MeasureTrailingSpaces | gfx::StringFormatFlags::NoClip
               | gfx::StringFormatFlags::NoWrap)
    , m_measureSurface(gfx::Surface::create(1, 1))
{
    setCursor(Cursor::IBeam);
    m_format.trimming(gfx::StringTrimming::None);
    m_format.setTabStops(0.0f, {8.0f});
    m_model.setInputMode(m_options.inputMode);
    m_model.setText(text.view());
    if (!m_options.scrollBars)
        m_options.scrollBars = m_options.multiLine ? (editscroll::Horizontal | editscroll::Vertical) : 0u;
    gfx::Painter painter(m_measureSurface);
    m_fontHeight = static_cast<int>(std::ceil(gfx::fontHeight(painter, font())));
    m_lineHeight = m_fontHeight + (m_options.multiLine ? 2 : 0);
    m_maskCharacters = characterCount(m_options.mask.view());
}

UiEdit::~UiEdit() = default;

const gfx::Font& UiEdit::font() const
{
    return m_options.font.isNull() ? gfx::defaultFont() : m_options.font;
}

// ---- properties ----

void UiEdit::setEditText(const Text& text, bool caretToEnd)
{
    m_model.setText(text.view());
    m_scrollX = 0;
    m_scrollY = 0;
    if (caretToEnd)
        m_model.setCaret(m_model.endPosition());
    updateScrollBars();
    caretMoved();
    textChanged();
}

Text UiEdit::selectedText() const
{
    return m_model.selectedText();
}

void UiEdit::select(TextPosition anchor, TextPosition caret)
{
    m_model.select(anchor, caret);
    caretMoved();
}

void UiEdit::selectAll()
{
    m_model.selectAll();
    caretMoved();
}

void UiEdit::setInputMode(EditInputMode mode)
{
    if (m_model.inputMode() == mode)
        return;
    m_model.setInputMode(mode);
    update();
}

void UiEdit::setMask(const Text& mask)
{
    if (m_options.mask == mask)
        return;
    m_options.mask = mask;
    m_maskCharacters = characterCount(m_options.mask.view());
    update();
}

void UiEdit::setTextColour(gfx::Argb colour)
{
    m_options.textColour = colour;
    update();
}

void UiEdit::setBackgroundColour(gfx::Argb colour)
{
    m_options.background = colour;
    update();
}

void UiEdit::setBorderColour(gfx::Argb colour)
{
    m_options.borderColour = colour;
    update();
}

void UiEdit::setLeftMargin(int margin)
{
    m_options.leftMargin = margin;
    update();
}

bool UiEdit::insertText(std::string_view text)
{
    if (!m_model.insert(text))
        return false;
    textChanged();
    caretMoved();
    return true;
}

// ---- the embedded button ----

void UiEdit::setEmbeddedButton(gfx::Image strip, int frameWidth, int frameHeight, const Text& tooltip)
{
    if (m_button == nullptr) {
        const FloatRect area = rect();
        const float x = area.right() - static_cast<float>(buttonRoom) + (buttonRoom - frameWidth) / 2.0f;
        const float y = area.y + (area.height - static_cast<float>(frameHeight)) / 2.0f;
        m_button = &add<UiEditButton>(FloatRect {x, y, static_cast<float>(frameWidth), static_cast<float>(frameHeight)},
                                      std::move(strip));
        m_button->onClicked = [this] {
            if (onButtonClicked)
                onButtonClicked();
        };
    }
    m_button->setText(tooltip);
}

void UiEdit::pressEmbeddedButton()
{
    if (m_button != nullptr)
        m_button->press();
}

// ---- layout ----

FloatRect UiEdit::adjustTextArea(FloatRect area) const
{
    const auto margin = static_cast<float>(m_options.leftMargin);
    area.x += margin;
    area.y += 1;
    area.width -= margin + 18;
    area.height -= 1;
    return area;
}

FloatRect UiEdit::localTextArea() const
{
    FloatRect area {0, 0, width(), height()};
    if (m_button != nullptr)
        area.width -= buttonRoom - 18;
    area = adjustTextArea(area);
    if (m_verticalBar != nullptr && m_verticalBar->isVisible())
        area.width -= 10;
    if (m_horizontalBar != nullptr && m_horizontalBar->isVisible())
        area.height -= 10;
    // Controls the program put into the box at its right end (the speed
    // box's spin buttons) are left out, so that no text runs under them.
    for (const auto& child : children()) {
        if (!child->isVisible() || child.get() == m_verticalBar || child.get() == m_horizontalBar
            || child.get() == m_button)
            continue;
        const float childLeft = child->left() - left();
        if (childLeft > area.x + area.width / 2)
            area.width = std::min(area.width, childLeft - 2 - area.x);
    }
    area.width = std::max(area.width, 1.0f);
    area.height = std::max(area.height, 1.0f);
    return area;
}

FloatRect UiEdit::textArea() const
{
    FloatRect area = localTextArea();
    area.x += left();
    area.y += top();
    return area;
}

int UiEdit::textTop() const
{
    const FloatRect area = localTextArea();
    if (m_options.multiLine)
        return static_cast<int>(area.y) + 2;
    return static_cast<int>(area.y + (area.height - static_cast<float>(m_lineHeight)) / 2.0f);
}

std::string UiEdit::displayLine(int line) const
{
    if (m_model.inputMode() != EditInputMode::Password)
        return std::string(m_model.lineView(line));
    std::string masked;
    const int length = m_model.lineLength(line);
    masked.reserve(static_cast<std::size_t>(length) * m_options.mask.size());
    for (int i = 0; i < length; ++i)
        masked += m_options.mask.view();
    return masked;
}

int UiEdit::displayCharacters(int columns) const
{
    return m_model.inputMode() == EditInputMode::Password ? columns * m_maskCharacters : columns;
}

int UiEdit::runWidth(std::string_view run, int characters) const
{
    if (characters <= 0 || run.empty())
        return 0;
    std::string key = std::to_string(characters);
    key += '\x01';
    key += run;
    if (const auto found = m_runWidths.find(key); found != m_runWidths.end())
        return found->second;
    gfx::Painter painter(const_cast<gfx::Surface&>(m_measureSurface));
    const Text text {std::string(run)};
    const FloatRect layout {0, 0, unbounded, static_cast<float>(m_lineHeight + 4)};
    // The right edge of the last character: one position lookup, where a
    // box of the whole text would look up every character.
    float width = 0;
    if (const auto box = gfx::measureText(painter, text, font(), m_format, characters - 1, 1, layout))
        width = box->x + box->width;
    else
        width = gfx::measureString(painter, text, font(), m_format, layout).width;
    if (m_runWidths.size() >= 4096)
        m_runWidths.clear();
    const int pixels = static_cast<int>(std::lround(width));
    m_runWidths.emplace(std::move(key), pixels);
    return pixels;
}

template <typename Visit> void UiEdit::forEachRun(int line, int untilColumn, Visit&& visit) const
{
    const std::string display = displayLine(line);
    const std::string_view text = display;
    const bool masked = m_model.inputMode() == EditInputMode::Password;
    const int length = m_model.lineLength(line);
    int x = 0;
    std::size_t byte = 0;
    for (int start = 0; start < length && start < untilColumn; start += lineRun) {
        const int end = std::min(start + lineRun, length);
        std::size_t endByte = byte;
        if (masked) {
            endByte = static_cast<std::size_t>(end) * m_options.mask.size();
        } else {
            for (int column = start; column < end && endByte < text.size(); ++column)
                endByte += std::max<std::size_t>(text::characterLength(text, endByte), 1);
        }
        const std::string_view run = text.substr(byte, endByte - byte);
        if (!visit(run, start, end, x))
            return;
        x += runWidth(run, displayCharacters(end - start));
        byte = endByte;
    }
}

int UiEdit::columnX(int line, int column) const
{
    column = std::min(column, m_model.lineLength(line));
    if (column <= 0)
        return 0;
    int result = 0;
    forEachRun(line, column, [&](std::string_view run, int start, int end, int x) {
        result = x + runWidth(run, displayCharacters(std::min(column, end) - start));
        return column > end;
    });
    return result;
}

void UiEdit::drawLine(gfx::Painter& painter, int line, FloatRect box, int visibleLeft, int visibleRight,
                      gfx::Argb colour) const
{
    forEachRun(line, m_model.lineLength(line), [&](std::string_view run, int start, int end, int x) {
        if (x >= visibleRight)
            return false;
        const int width = runWidth(run, displayCharacters(end - start));
        if (x + width >= visibleLeft) {
            const FloatRect at {box.x + static_cast<float>(x), box.y, box.width, box.height};
            gfx::drawText(painter, at, Text(std::string(run)), font(), colour, m_format);
        }
        return true;
    });
}

// The caret's line with the composition laid in at the caret, as GTK fields
// show it: the text after the caret moves right by the composition's width,
// the composition is underlined, its selected part (the input method's
// current segment) twice.
void UiEdit::drawComposingLine(gfx::Painter& painter, int line, FloatRect box, FloatRect area, int visibleLeft,
                               int visibleRight) const
{
    const int caretX = columnX(line, m_model.caret().column);
    const int width = compositionWidth();
    const float split = box.x + static_cast<float>(caretX);
    const float rowTop = box.y - 1;
    const float rowHeight = static_cast<float>(m_lineHeight + 4);
    {
        gfx::PainterStateSaver before(painter);
        painter.clipRect({area.x, rowTop, std::max(split - area.x, 0.0f), rowHeight});
        drawLine(painter, line, box, visibleLeft, std::min(visibleRight, caretX), m_options.textColour);
    }
    {
        gfx::PainterStateSaver after(painter);
        const float from = split + static_cast<float>(width);
        painter.clipRect({from, rowTop, std::max(area.right() - from, 0.0f), rowHeight});
        FloatRect shifted = box;
        shifted.x += static_cast<float>(width);
        drawLine(painter, line, shifted, visibleLeft - width, visibleRight - width, m_options.textColour);
    }
    gfx::drawText(painter, {split, box.y, unbounded, box.height}, m_composition, font(), m_options.textColour,
                  m_format);
    const float underline = box.y + static_cast<float>(m_fontHeight) + 1;
    gfx::drawLine(painter, m_options.textColour, split, underline, split + static_cast<float>(width - 1), underline);
    if (m_compositionSelected > 0) {
        const float from = split + static_cast<float>(compositionWidth(m_compositionCursor));
        const float to = split + static_cast<float>(compositionWidth(m_compositionCursor + m_compositionSelected));
        gfx::drawLine(painter, m_options.textColour, from, underline + 1, to - 1, underline + 1);
    }
}

int UiEdit::columnAt(int line, int x) const
{
    const int length = m_model.lineLength(line);
    if (x <= 0 || length == 0)
        return 0;
    // The last column whose left edge lies at or before x, then the nearer side.
    int low = 0;
    int high = length;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        if (columnX(line, middle) <= x)
            low = middle;
        else
            high = middle - 1;
    }
    if (low < length) {
        const int here = columnX(line, low);
        const int next = columnX(line, low + 1);
        if (x - here > next - x)
            ++low;
    }
    return low;
}

TextPosition UiEdit::positionAt(IntPoint windowPoint) const
{
    const FloatRect area = localTextArea();
    const int localX = windowPoint.x - static_cast<int>(left());
    const int localY = windowPoint.y - static_cast<int>(top());
    int line = 1;
    if (m_options.multiLine && m_lineHeight > 0) {
        const int offset = localY - textTop() - m_scrollY;
        line = offset < 0 ? 1 : offset / m_lineHeight + 1;
    }
    line = std::clamp(line, 1, m_model.lineCount());
    return {line, columnAt(line, localX - static_cast<int>(area.x) - m_scrollX)};
}

IntPoint UiEdit::pointOf(TextPosition position) const
{
    position = m_model.clamp(position);
    const FloatRect area = localTextArea();
    const int x = static_cast<int>(area.x) + m_scrollX + columnX(position.line, position.column);
    const int y = textTop() + m_scrollY + (position.line - 1) * m_lineHeight;
    return {static_cast<int>(left()) + x, static_cast<int>(top()) + y};
}

IntRect UiEdit::caretRect() const
{
    const IntPoint at = pointOf(m_model.caret());
    const int advance = m_composition.empty() ? 0 : compositionWidth(m_compositionCursor);
    return {at.x + advance, at.y - 1, 1, m_fontHeight + 3};
}

int UiEdit::compositionWidth(int characters) const
{
    const std::string_view text = m_composition.view();
    int count = 0;
    for (std::size_t byte = 0; byte < text.size() && (characters < 0 || count < characters); ++count)
        byte += std::max<std::size_t>(text::characterLength(text, byte), 1);
    return runWidth(text, count);
}

IntRect UiEdit::compositionRect() const
{
    if (m_composition.empty())
        return {};
    const IntPoint at = pointOf(m_model.caret());
    return {at.x, at.y - 1, compositionWidth(), m_fontHeight + 3};
}

bool UiEdit::acceptsTextInput() const
{
    return m_model.inputMode() != EditInputMode::ReadOnly;
}

void UiEdit::clearComposition()
{
    if (m_composition.empty())
        return;
    m_composition = {};
    m_compositionCursor = 0;
    m_compositionSelected = 0;
    update();
}

// ---- changes ----

void UiEdit::textChanged()
{
    updateScrollBars();
    if (onTextChanged)
        onTextChanged();
}

void UiEdit::caretMoved()
{
    scrollToCaret();
    if (hasFocus())
        restartCaretBlink();
    updateInputRect();
    update();
}

void UiEdit::scrollToCaret()
{
    const FloatRect area = localTextArea();
    const TextPosition caret = m_model.caret();
    // While composing, the composition's cursor is the caret to keep in view.
    const int x
        = columnX(caret.line, caret.column) + (m_composition.empty() ? 0 : compositionWidth(m_compositionCursor));
    const int viewWidth = static_cast<int>(area.width);
    if (x + m_scrollX < 0)
        m_scrollX = -x;
    else if (x + m_scrollX > viewWidth - 1)
        m_scrollX = viewWidth - 1 - x;
    if (m_options.multiLine) {
        const int y = (caret.line - 1) * m_lineHeight;
        const int viewHeight = static_cast<int>(area.height) - 2;
        if (y + m_scrollY < 0)
            m_scrollY = -y;
        else if (y + m_lineHeight + m_scrollY > viewHeight)
            m_scrollY = std::min(0, viewHeight - y - m_lineHeight);
    }
    m_scrollX = std::min(m_scrollX, 0);
    if (m_verticalBar != nullptr)
        m_verticalBar->setPosition(-m_scrollY);
}

void UiEdit::updateScrollBars()
{
    if (m_verticalBar == nullptr || m_horizontalBar == nullptr)
        return;
    const FloatRect box {left(), top(), width(), height()};
    const bool vertical = (*m_options.scrollBars & editscroll::Vertical) != 0;
    const bool horizontal = (*m_options.scrollBars & editscroll::Horizontal) != 0;
    m_verticalBar->setVisible(vertical);
    m_horizontalBar->setVisible(horizontal);
    m_verticalBar->setRect({box.right() - 10, box.y, 10, box.height - (horizontal ? 10.0f : 0.0f)});
    m_horizontalBar->setRect({box.x, box.bottom() - 10, box.width - (vertical ? 10.0f : 0.0f), 10});
    const FloatRect area = localTextArea();
    const int textHeight = m_model.lineCount() * m_lineHeight;
    m_verticalBar->setMaximum(std::max(textHeight - static_cast<int>(area.height) + 4, 0));
    m_verticalBar->setPageSize(static_cast<int>(area.height));
    m_verticalBar->setLineStep(std::max(m_lineHeight, 1));
    m_verticalBar->setPosition(-m_scrollY);
    int widest = 0;
    for (int line = 1; line <= m_model.lineCount(); ++line)
        widest = std::max(widest, columnX(line, m_model.lineLength(line)));
    m_horizontalBar->setMaximum(std::max(widest - static_cast<int>(area.width) + 2, 0));
    m_horizontalBar->setPageSize(static_cast<int>(area.width));
    m_horizontalBar->setLineStep(10);
    m_horizontalBar->setPosition(-m_scrollX);
}

void UiEdit::updateInputRect()
{
    if (host() == nullptr || !hasFocus())
        return;
    const IntRect caret = caretRect();
    host()->setTextInputRect(IntRect {caret.x, caret.y, caret.width, caret.height});
}

void UiEdit::restartCaretBlink()
{
    // An even count: the caret rests shown.
    m_blinksLeft = 2 * static_cast<int>(m_options.caretBlinkTimeout / (2 * caretBlinkInterval));
    startTimer(caretTimer, caretBlinkInterval);
    setCaretVisible(true);
}

void UiEdit::setCaretVisible(bool visible)
{
    if (m_caretVisible == visible)
        return;
    m_caretVisible = visible;
    update();
}

// ---- events ----

bool UiEdit::preHandle(Event&)
{
    return false;
}

void UiEdit::createEvent(Event&)
{
    m_model.setCaret({1, 0});
    if (m_options.multiLine) {
        m_verticalBar = &add<UiScrollBar>(FloatRect {}, ScrollOrientation::Vertical);
        m_horizontalBar = &add<UiScrollBar>(FloatRect {}, ScrollOrientation::Horizontal);
        m_verticalBar->onScroll = [this](int position) {
            if (-position == m_scrollY)
                return;
            m_scrollY = -position;
            update();
        };
        m_horizontalBar->onScroll = [this](int position) {
            if (-position == m_scrollX)
                return;
            m_scrollX = -position;
            update();
        };
        updateScrollBars();
    }
}

void UiEdit::destroyEvent(Event&)
{
    killTimer(caretTimer);
}

void UiEdit::resizeEvent(ResizeEvent&)
{
    updateScrollBars();
    scrollToCaret();
}

void UiEdit::focusInEvent(FocusEvent& event)
{
    if (preHandle(event))
        return;
    restartCaretBlink();
    updateInputRect();
    update();
}

void UiEdit::focusOutEvent(FocusEvent& event)
{
    if (preHandle(event))
        return;
    // A composition is cancelled with the focus (the host stops text input,
    // which resets the input method); nothing of it enters the text.
    clearComposition();
    killTimer(caretTimer);
    setCaretVisible(false);
    m_dragging = false;
    update();
}

void UiEdit::timerEvent(TimerEvent& event)
{
    if (preHandle(event))
        return;
    if (event.id() != caretTimer)
        return;
    if (m_blinksLeft > 0) {
        --m_blinksLeft;
        setCaretVisible(!m_caretVisible && hasFocus());
    } else {
        killTimer(caretTimer);
        setCaretVisible(hasFocus());
    }
}

bool UiEdit::editCommand(int letter)
{
    const bool password = m_model.inputMode() == EditInputMode::Password;
    const bool readOnly = m_model.inputMode() == EditInputMode::ReadOnly;
    if (password || host() == nullptr)
        return false;
    UiHost& owner = *host();
    switch (letter) {
    case static_cast<int>(EditCommand::SelectAll):
        selectAll();
        return true;
    case static_cast<int>(EditCommand::Copy):
        if (m_model.hasSelection())
            owner.setClipboardText(m_model.selectedText());
        return true;
    case static_cast<int>(EditCommand::Paste): {
        const Text clip = owner.clipboardText();
        if (!clip.empty())
            insertText(clip.view());
        return true;
    }
    case static_cast<int>(EditCommand::Cut):
        if (m_model.hasSelection()) {
            owner.setClipboardText(m_model.selectedText());
            if (!readOnly && m_model.deleteSelection()) {
                textChanged();
                caretMoved();
            }
        }
        return true;
    default:
        return false;
    }
}

bool UiEdit::handleKey(Key key, bool shift)
{
    const auto move = [&](CaretMove direction) {
        m_model.moveCaret(direction, shift);
        caretMoved();
        return true;
    };
    switch (key) {
    case Key::Backspace:
        if (m_model.deleteBackward()) {
            textChanged();
            caretMoved();
        }
        return true;
    case Key::Delete:
        if (m_model.deleteForward()) {
            textChanged();
            caretMoved();
        }
        return true;
    case Key::Return:
        if (!m_options.multiLine)
            return false;
        insertText("\r\n");
        return true;
    case Key::Home:
        return move(CaretMove::LineStart);
    case Key::End:
        return move(CaretMove::LineEnd);
    case Key::Left:
        return move(CaretMove::Left);
    case Key::Right:
        return move(CaretMove::Right);
    case Key::Up:
        if (!m_options.multiLine)
            return false;
        return move(CaretMove::Up);
    case Key::Down:
        if (!m_options.multiLine)
            return false;
        return move(CaretMove::Down);
    default:
        return false;
    }
}

void UiEdit::keyDownEvent(KeyEvent& event)
{
    if (preHandle(event))
        return;
    const Modifiers modifiers = event.modifiers();
    if (modifiers.control && !modifiers.alt) {
        if (!editCommand(event.code()))
            event.ignore();
        return;
    }
    if (!handleKey(event.key(), modifiers.shift))
        event.ignore();
}

void UiEdit::commandEvent(CommandEvent& event)
{
    if (preHandle(event))
        return;
    if (!editCommand(event.id()))
        event.ignore();
}

void UiEdit::charEvent(CharEvent& event)
{
    if (preHandle(event))
        return;
    const int code = event.character();
    if (event.type() != EventType::Char || code < 28 || code > 126) {
        event.ignore();
        return;
    }
    // Refused characters are dropped, not handed on.
    if (m_model.acceptsCharacter(code)) {
        const char c = static_cast<char>(code);
        insertText(std::string_view(&c, 1));
    }
}

void UiEdit::compositionEvent(CompositionEvent& event)
{
    if (preHandle(event))
        return;
    if (m_model.inputMode() == EditInputMode::Password || m_model.inputMode() == EditInputMode::ReadOnly) {
        event.ignore();
        return;
    }
    if (event.text().empty()) {
        clearComposition();
        caretMoved();
        return;
    }
    m_composition = event.text();
    m_compositionCursor = std::max(event.cursor(), 0);
    m_compositionSelected = std::max(event.selectionLength(), 0);
    caretMoved();
}

void UiEdit::textEvent(TextEvent& event)
{
    if (preHandle(event))
        return;
    // The commit replaces the composition.
    clearComposition();
    const std::string_view text = event.text().view();
    // Plain characters came as Char events already; the input method is
    // not used for passwords.
    const bool wide
        = std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (!wide || m_model.inputMode() == EditInputMode::Password)
        return;
    insertText(text);
}

void UiEdit::mouseDownEvent(MouseEvent& event)
{
    if (preHandle(event))
        return;
    const TextPosition position = positionAt(event.position());
    const bool password = m_model.inputMode() == EditInputMode::Password;
    const auto now = std::chrono::steady_clock::now();
    if (event.isDoubleClick() && !password) {
        m_model.selectWord(position);
        m_lastDoubleClick = now;
    } else if (m_lastDoubleClick && now - *m_lastDoubleClick < tripleClickWindow && !password) {
        m_model.selectLine(position.line);
        m_lastDoubleClick.reset();
    } else {
        m_model.setCaret(position, event.modifiers().shift);
        m_lastDoubleClick.reset();
        m_dragging = true;
    }
    caretMoved();
}

void UiEdit::mouseMoveEvent(MouseEvent& event)
{
    if (preHandle(event))
        return;
    if (!m_dragging || (event.buttons() & buttons::Left) == 0 || m_model.inputMode() == EditInputMode::Password)
        return;
    const FloatRect area = textArea();
    TextPosition to = positionAt(event.position());
    if (m_options.multiLine) {
        // Above or below the text, the caret line moves one line per move.
        const TextPosition caret = m_model.caret();
        if (static_cast<float>(event.y()) < area.y)
            to.line = std::max(caret.line - 1, 1);
        else if (static_cast<float>(event.y()) >= area.bottom())
            to.line = std::min(caret.line + 1, m_model.lineCount());
        to = m_model.clamp(to);
    }
    if (to == m_model.caret())
        return;
    m_model.setCaret(to, true);
    caretMoved();
}

void UiEdit::mouseUpEvent(MouseEvent& event)
{
    if (preHandle(event))
        return;
    m_dragging = false;
    updateInputRect();
}

void UiEdit::rightMouseUpEvent(MouseEvent& event)
{
    if (preHandle(event))
        return;
    if (m_model.inputMode() == EditInputMode::Password || host() == nullptr)
        return;
    showContextMenu();
}

void UiEdit::showContextMenu()
{
    const bool readOnly = m_model.inputMode() == EditInputMode::ReadOnly;
    const bool selected = m_model.hasSelection();
    const bool clipboardEmpty = host()->clipboardText().empty();
    const auto state = [](bool enabled) { return enabled ? MenuItemState::Normal : MenuItemState::Disabled; };
    UiMenu menu;
    menu.addItem(MenuItem {
        .caption = cutCaption, .state = state(selected && !readOnly), .commandId = static_cast<int>(EditCommand::Cut)});
    menu.addItem(
        MenuItem {.caption = copyCaption, .state = state(selected), .commandId = static_cast<int>(EditCommand::Copy)});
    menu.addItem(MenuItem {.caption = pasteCaption,
                           .state = state(!readOnly && !clipboardEmpty),
                           .commandId = static_cast<int>(EditCommand::Paste)});
    menu.addItem(MenuItem {.type = MenuItemType::Separator});
    menu.addItem(MenuItem {.caption = selectAllCaption,
                           .state = state(!m_model.empty()),
                           .commandId = static_cast<int>(EditCommand::SelectAll)});
    if (onContextMenu)
        menu.onPopup = onContextMenu;
    menu.showAt(*host());
}

void UiEdit::wheelEvent(WheelEvent& event)
{
    if (preHandle(event))
        return;
    if (!m_options.multiLine) {
        event.ignore();
        return;
    }
    const FloatRect area = localTextArea();
    const int maximum = std::max(m_model.lineCount() * m_lineHeight - static_cast<int>(area.height) + 4, 0);
    const int step = 3 * m_lineHeight;
    m_scrollY = std::clamp(m_scrollY + (event.delta() > 0 ? step : -step), -maximum, 0);
    if (m_verticalBar != nullptr)
        m_verticalBar->setPosition(-m_scrollY);
    update();
}

// ---- painting ----

void UiEdit::paintEvent(PaintEvent& event)
{
    gfx::Painter& painter = event.painter();
    const FloatRect whole {0, 0, width(), height()};
    gfx::fillRect(painter, toRectF(whole), m_options.background);
    if (m_options.borderColour != 0)
        gfx::drawFrame(painter, toRectF(whole), m_options.borderColour);

    const FloatRect area = localTextArea();
    gfx::PainterStateSaver saver(painter);
    painter.clipRect(toRectF(area));
    const int firstLineY = textTop();
    const auto [from, to] = m_model.selection();
    const bool selection = m_model.hasSelection();
    for (int line = 1; line <= m_model.lineCount(); ++line) {
        const float y = static_cast<float>(firstLineY + m_scrollY + (line - 1) * m_lineHeight);
        if (y + static_cast<float>(m_lineHeight) < area.y)
            continue;
        if (y > area.bottom())
            break;
        const FloatRect box {area.x + static_cast<float>(m_scrollX), y, unbounded,
                             static_cast<float>(m_lineHeight + 4)};
        const int visibleLeft = -m_scrollX;
        const int visibleRight = visibleLeft + static_cast<int>(area.width) + 1;
        if (!m_composition.empty() && line == m_model.caret().line)
            drawComposingLine(painter, line, box, area, visibleLeft, visibleRight);
        else
            drawLine(painter, line, box, visibleLeft, visibleRight, m_options.textColour);
        if (!selection || line < from.line || line > to.line)
            continue;
        const int startColumn = line == from.line ? from.column : 0;
        const int endColumn = line == to.line ? to.column : m_model.lineLength(line);
        const int x0 = columnX(line, startColumn);
        int x1 = columnX(line, endColumn);
        if (line < to.line)
            x1 += 4;  // the selected line break
        if (x1 <= x0)
            continue;
        const FloatRect marked {box.x + static_cast<float>(x0), y - 1, static_cast<float>(x1 - x0),
                                static_cast<float>(m_fontHeight + 3)};
        gfx::fillRect(painter, marked, selectionColour);
        gfx::PainterStateSaver inner(painter);
        painter.clipRect(marked);
        drawLine(painter, line, box, std::max(visibleLeft, x0), std::min(visibleRight, x1), 0xFFFFFFFF);
    }
    if (m_caretVisible && hasFocus()) {
        const IntRect caret = caretRect();
        const float x = static_cast<float>(caret.x) - left();
        const float y = static_cast<float>(caret.y) - top();
        gfx::drawLine(painter, caretColour, x, y, x, y + static_cast<float>(caret.height - 1));
    }
}

}  // namespace quorvo::ui
