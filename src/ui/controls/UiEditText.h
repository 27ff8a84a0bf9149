#pragma once

// The edit control's text model: lines of program text, the caret, the
// selection anchor and the input mode. Columns count characters, not bytes:
// a GBK two-byte character and a GB18030 four-byte sequence are one column
// each, so no caret move, selection or deletion ever splits one.
//
// Lines are numbered from 1, columns from 0. The whole text joins the lines
// with "\r\n". There is no undo: every edit is final.
//
// Every insertion that comes from the user (typing, input-method text, paste)
// goes through insert(), which filters it by the input mode character by
// character; only setText() (the program's own text) bypasses the filter.

#include "runtime/Text.h"

#include <compare>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvo::ui {

struct TextPosition {
    int line = 1;
    int column = 0;
    friend constexpr auto operator<=>(const TextPosition&, const TextPosition&) = default;
};

enum class EditInputMode { Normal = 0, ReadOnly = 1, Password = 2, Integer = 3, Decimal = 4 };

enum class CaretMove { Left, Right, Up, Down, LineStart, LineEnd };

class UiEditText {
public:
    explicit UiEditText(bool multiLine = false);

    [[nodiscard]] bool multiLine() const { return m_multiLine; }
    // Turning multi-line off keeps only the first line.
    void setMultiLine(bool multiLine);
    [[nodiscard]] EditInputMode inputMode() const { return m_inputMode; }
    void setInputMode(EditInputMode mode) { m_inputMode = mode; }

    // The program's own text, not filtered. A line feed not preceded by a
    // carriage return is dropped; a single-line model keeps only the text
    // before the first "\r\n". Caret and anchor go to line 1, column 0.
    void setText(std::string_view text);
    [[nodiscard]] Text text() const;
    [[nodiscard]] std::size_t byteLength() const;
    [[nodiscard]] bool empty() const { return m_lines.size() == 1 && m_lines.front().empty(); }

    [[nodiscard]] int lineCount() const { return static_cast<int>(m_lines.size()); }
    // Empty for a line number out of range.
    [[nodiscard]] Text lineText(int line) const;
    [[nodiscard]] std::string_view lineView(int line) const;
    // Characters in the line.
    [[nodiscard]] int lineLength(int line) const;

    // Byte offsets in text() and (line, column) positions, both ways. An
    // offset inside a character or a line break maps to the character's start.
    [[nodiscard]] std::size_t offsetOf(TextPosition position) const;
    [[nodiscard]] TextPosition positionOf(std::size_t offset) const;
    // Bytes of text() between two offsets, in either order, clamped.
    [[nodiscard]] Text substring(std::size_t from, std::size_t to) const;
    // Text between two positions, in either order.
    [[nodiscard]] Text textBetween(TextPosition a, TextPosition b) const;
    // The position made valid: line within the text, column within the line.
    [[nodiscard]] TextPosition clamp(TextPosition position) const;
    [[nodiscard]] TextPosition endPosition() const;
    // Byte index in the line of a column (clamped to the line).
    [[nodiscard]] std::size_t byteInLine(int line, int column) const;

    // ---- caret and selection ----
    [[nodiscard]] TextPosition caret() const { return m_caret; }
    [[nodiscard]] TextPosition anchor() const { return m_anchor; }
    [[nodiscard]] bool hasSelection() const { return m_caret != m_anchor; }
    // Ordered: first <= second.
    [[nodiscard]] std::pair<TextPosition, TextPosition> selection() const;
    [[nodiscard]] Text selectedText() const;
    // Moves the caret; without `extend` the anchor follows (no selection).
    void setCaret(TextPosition position, bool extend = false);
    void select(TextPosition anchor, TextPosition caret);
    void selectAll();
    void moveCaret(CaretMove move, bool extend = false);

    // Start and end column of the word around `position`: a run of ASCII
    // letters and digits, or a run of multi-byte characters; any other
    // character is a word of its own. At the end of a line the character
    // before the position counts.
    [[nodiscard]] std::pair<int, int> wordAt(TextPosition position) const;
    void selectWord(TextPosition position);
    void selectLine(int line);

    // ---- editing; each returns whether the text changed ----
    // Replaces the selection with `text` filtered by the input mode; refused
    // when read-only or when nothing of `text` passes the filter (the
    // selection then stays).
    bool insert(std::string_view text);
    // Deletes the selection, else the character before the caret (at column 0
    // the line joins the previous one).
    bool deleteBackward();
    // Deletes the selection, else the character after the caret (at a line's
    // end the next line joins it).
    bool deleteForward();
    bool deleteSelection();

    // What insert() would put in the text for `text` at the current selection.
    [[nodiscard]] std::string filtered(std::string_view text) const;
    // Whether one typed character code is accepted.
    [[nodiscard]] bool acceptsCharacter(int code) const;

private:
    [[nodiscard]] std::size_t nextColumnByte(std::string_view line, std::size_t byte) const;
    [[nodiscard]] int columnOfByte(int line, std::size_t byte) const;
    [[nodiscard]] bool decimalPointOutsideSelection() const;
    void replaceRange(TextPosition from, TextPosition to, std::string_view text);

    std::vector<std::string> m_lines {std::string()};
    TextPosition m_caret;
    TextPosition m_anchor;
    bool m_multiLine = false;
    EditInputMode m_inputMode = EditInputMode::Normal;
};

}  // namespace quorvo::ui
