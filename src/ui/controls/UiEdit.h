#pragma once

// UiEdit: the drawn text-entry box (the search box, the save-folder box, the
// speed-limit box). Text, caret and selection live in a UiEditText; the box
// draws them, turns keys, mouse, committed input-method text and the shared
// context menu into edits, and keeps the caret in view. While the input
// method composes, the composition is drawn at the caret, underlined, and
// only its commit enters the text; losing the focus cancels it.
//
// Specialising: a derived box replaces adjustTextArea() (room for a button
// at the right end, say) and/or preHandle(), which sees every event first
// and may consume it. Key presses also reach the program's bound KeyDown
// handler (Enter arrives as Key::Return, code 13).

#include "ui/controls/UiEditText.h"
#include "ui/core/UiControl.h"

#include "gfx/Color.h"
#include "gfx/Font.h"
#include "gfx/Image.h"
#include "gfx/StringFormat.h"
#include "gfx/Surface.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quorvo::ui {

class UiScrollBar;
class UiEditButton;
class UiHost;

namespace editscroll {
inline constexpr unsigned Horizontal = 1;
inline constexpr unsigned Vertical = 2;
}  // namespace editscroll

// The shared context menu's commands: the key letters they stand for.
enum class EditCommand { Cut = 88, Copy = 67, Paste = 86, SelectAll = 65 };

struct EditOptions {
    bool multiLine = false;
    EditInputMode inputMode = EditInputMode::Normal;
    Text mask = "*";
    // editscroll:: bits; none: both when multi-line, none otherwise.
    std::optional<unsigned> scrollBars {};
    gfx::Argb textColour = 0xE6000000;
    gfx::Argb background = 0xA0FFFFFF;
    gfx::Argb borderColour = 0x50000000;
    gfx::Font font {};  // null: the framework's default font
    int leftMargin = 3;
    // With no input for this long the caret stops blinking and stays shown, as
    // on the desktops around us, so that an idle window does not wake at all.
    std::chrono::milliseconds caretBlinkTimeout {10000};
};

class UiEdit : public UiControl {
public:
    explicit UiEdit(FloatRect rect, const Text& text = {}, EditOptions options = {});
    ~UiEdit() override;

    [[nodiscard]] const UiEditText& model() const { return m_model; }

    // The whole text ("\r\n" between lines).
    [[nodiscard]] Text editText() const { return m_model.text(); }
    // Replaces the text; the caret goes to the end or to the start.
    void setEditText(const Text& text, bool caretToEnd = false);
    [[nodiscard]] Text selectedText() const;
    void select(TextPosition anchor, TextPosition caret);
    void selectAll();

    [[nodiscard]] EditInputMode inputMode() const { return m_model.inputMode(); }
    void setInputMode(EditInputMode mode);
    void setMask(const Text& mask);
    void setTextColour(gfx::Argb colour);
    void setBackgroundColour(gfx::Argb colour);
    void setBorderColour(gfx::Argb colour);
    void setLeftMargin(int margin);

    // Typed, pasted or committed text as the user would enter it (filtered by
    // the input mode, replacing the selection). Returns whether the text changed.
    bool insertText(std::string_view text);

    // The embedded button at the right end: a four-frame strip (normal,
    // hover, pressed, disabled), a tooltip and the hand cursor.
    void setEmbeddedButton(gfx::Image strip, int frameWidth, int frameHeight, const Text& tooltip);
    [[nodiscard]] UiEditButton* embeddedButton() const { return m_button; }
    // Clicks the embedded button as a mouse click would.
    void pressEmbeddedButton();
    std::function<void()> onButtonClicked;

    // Raised after every change of the text.
    std::function<void()> onTextChanged;
    // Called with the context menu's window once it is open.
    std::function<void(UiHost& menuWindow)> onContextMenu;

    // Layout, in window coordinates: where text is drawn.
    [[nodiscard]] FloatRect textArea() const;
    // Caret rectangle in window coordinates (1 wide, a line high plus 3).
    [[nodiscard]] IntRect caretRect() const;
    [[nodiscard]] bool isCaretShown() const { return m_caretVisible; }
    // Position under a window point, and the window point of a position.
    [[nodiscard]] TextPosition positionAt(IntPoint windowPoint) const;
    [[nodiscard]] IntPoint pointOf(TextPosition position) const;
    [[nodiscard]] int scrollX() const { return m_scrollX; }
    [[nodiscard]] int scrollY() const { return m_scrollY; }
    [[nodiscard]] int lineHeight() const { return m_lineHeight; }
    // What the input method is composing at the caret (not part of the
    // text; drawn inline, underlined); empty when nothing is being composed.
    [[nodiscard]] const Text& composition() const { return m_composition; }
    [[nodiscard]] int compositionCursor() const { return m_compositionCursor; }
    // Where the composition is drawn, in window coordinates (empty when none).
    [[nodiscard]] IntRect compositionRect() const;
    [[nodiscard]] bool acceptsTextInput() const override;
    [[nodiscard]] UiScrollBar* verticalBar() const { return m_verticalBar; }
    [[nodiscard]] UiScrollBar* horizontalBar() const { return m_horizontalBar; }

    static constexpr auto caretBlinkInterval = std::chrono::milliseconds(500);
    static constexpr auto tripleClickWindow = std::chrono::milliseconds(500);

protected:
    // The text area inside the box (local coordinates). Default: right by
    // the left margin, down by 1, narrower by the margin plus 18.
    [[nodiscard]] virtual FloatRect adjustTextArea(FloatRect area) const;
    // Sees every event first; true consumes it.
    virtual bool preHandle(Event& event);

    void createEvent(Event& event) override;
    void destroyEvent(Event& event) override;
    void paintEvent(PaintEvent& event) override;
    void keyDownEvent(KeyEvent& event) override;
    void charEvent(CharEvent& event) override;
    void textEvent(TextEvent& event) override;
    void compositionEvent(CompositionEvent& event) override;
    void commandEvent(CommandEvent& event) override;
    void timerEvent(TimerEvent& event) override;
    void mouseDownEvent(MouseEvent& event) override;
    void mouseMoveEvent(MouseEvent& event) override;
    void mouseUpEvent(MouseEvent& event) override;
    void rightMouseUpEvent(MouseEvent& event) override;
    void wheelEvent(WheelEvent& event) override;
    void focusInEvent(FocusEvent& event) override;
    void focusOutEvent(FocusEvent& event) override;
    void resizeEvent(ResizeEvent& event) override;

private:
    // Ctrl+letter or a context-menu command; false when not handled.
    bool editCommand(int letter);
    bool handleKey(Key key, bool shift);
    void showContextMenu();
    void textChanged();
    void caretMoved();
    void scrollToCaret();
    void updateScrollBars();
    void updateInputRect();
    void setCaretVisible(bool visible);
    [[nodiscard]] std::string displayLine(int line) const;
    [[nodiscard]] int columnX(int line, int column) const;
    // Characters of displayLine() that `columns` characters of text show as.
    [[nodiscard]] int displayCharacters(int columns) const;
    // Width of the first `characters` characters of a run laid out alone.
    [[nodiscard]] int runWidth(std::string_view run, int characters) const;
    // Calls visit(run, startColumn, endColumn, x) for the line's runs up to
    // the one holding `untilColumn`, while it returns true.
    template <typename Visit> void forEachRun(int line, int untilColumn, Visit&& visit) const;
    // Draws the runs of a line that meet [visibleLeft, visibleRight) (text x).
    void drawLine(gfx::Painter& painter, int line, FloatRect box, int visibleLeft, int visibleRight,
                  gfx::Argb colour) const;
    void drawComposingLine(gfx::Painter& painter, int line, FloatRect box, FloatRect area, int visibleLeft,
                           int visibleRight) const;
    [[nodiscard]] int columnAt(int line, int x) const;
    [[nodiscard]] const gfx::Font& font() const;
    [[nodiscard]] FloatRect localTextArea() const;
    [[nodiscard]] int textTop() const;
    void restartCaretBlink();
    void clearComposition();
    // Width of the composition's first `characters` characters (all when -1).
    [[nodiscard]] int compositionWidth(int characters = -1) const;

    UiEditText m_model;
    EditOptions m_options;
    gfx::StringFormat m_format;
    int m_fontHeight = 0;
    int m_lineHeight = 0;
    int m_scrollX = 0;
    int m_scrollY = 0;
    bool m_caretVisible = false;
    int m_blinksLeft = 0;  // caret toggles until it rests, counted from the last input
    bool m_dragging = false;
    std::optional<std::chrono::steady_clock::time_point> m_lastDoubleClick;
    UiScrollBar* m_verticalBar = nullptr;
    UiScrollBar* m_horizontalBar = nullptr;
    UiEditButton* m_button = nullptr;
    // Measuring needs a painter; this 1 x 1 surface gives one.
    gfx::Surface m_measureSurface;
    // Lines are measured and drawn in runs of `lineRun` characters, each laid
    // out alone at the sum of the widths before it: a keystroke lays out the
    // runs it changed, not the whole line, and measuring agrees with drawing.
    // Widths are remembered by the run's text (the font never changes).
    static constexpr int lineRun = 64;
    mutable std::unordered_map<std::string, int> m_runWidths;
    int m_maskCharacters = 1;
    Text m_composition;
    int m_compositionCursor = 0;
    int m_compositionSelected = 0;
};

}  // namespace quorvo::ui
