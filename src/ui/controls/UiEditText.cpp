#include "ui/controls/UiEditText.h"

#include <algorithm>
#include <cassert>

namespace quorvo::ui {

namespace {

constexpr std::string_view lineBreak = "\r\n";

bool isWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Word classes for double-click selection: ASCII letters and digits, wide
// (multi-byte) characters, and everything else.
enum class CharacterClass { Word, Wide, Other };

CharacterClass classify(std::string_view line, std::size_t byte)
{
    const auto c = static_cast<unsigned char>(line[byte]);
    if (c >= 0x80)
        return CharacterClass::Wide;
    return isWordByte(c) ? CharacterClass::Word : CharacterClass::Other;
}

// Splits the program's text into lines: "\r\n" breaks a line, a lone "\n"
// is dropped (as is a lone "\r", which no line may hold).
std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.emplace_back();
            ++i;
        } else if (c != '\n' && c != '\r' && c != '\0') {
            lines.back() += c;
        }
    }
    return lines;
}

}  // namespace

UiEditText::UiEditText(bool multiLine)
    : m_multiLine(multiLine)
{ }

void UiEditText::setMultiLine(bool multiLine)
{
    m_multiLine = multiLine;
    if (!multiLine && m_lines.size() > 1) {
        m_lines.resize(1);
        m_caret = clamp(m_caret);
        m_anchor = clamp(m_anchor);
    }
}

void UiEditText::setText(std::string_view text)
{
    m_lines = splitLines(text);
    if (!m_multiLine)
        m_lines.resize(1);
    m_caret = m_anchor = TextPosition {};
}

Text UiEditText::text() const
{
    std::string out;
    out.reserve(byteLength());
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (i > 0)
            out += lineBreak;
        out += m_lines[i];
    }
    return Text(out);
}

std::size_t UiEditText::byteLength() const
{
    std::size_t length = (m_lines.size() - 1) * lineBreak.size();
    for (const auto& line : m_lines)
        length += line.size();
    return length;
}

Text UiEditText::lineText(int line) const
{
    return Text(lineView(line));
}

std::string_view UiEditText::lineView(int line) const
{
    if (line < 1 || line > lineCount())
        return {};
    return m_lines[static_cast<std::size_t>(line - 1)];
}

std::size_t UiEditText::nextColumnByte(std::string_view line, std::size_t byte) const
{
    const std::size_t length = text::characterLength(line, byte);
    return byte + std::max<std::size_t>(length, 1);
}

int UiEditText::lineLength(int line) const
{
    const std::string_view bytes = lineView(line);
    int columns = 0;
    for (std::size_t i = 0; i < bytes.size(); i = nextColumnByte(bytes, i))
        ++columns;
    return columns;
}

std::size_t UiEditText::byteInLine(int line, int column) const
{
    const std::string_view bytes = lineView(line);
    std::size_t byte = 0;
    for (int c = 0; c < column && byte < bytes.size(); ++c)
        byte = nextColumnByte(bytes, byte);
    return std::min(byte, bytes.size());
}

int UiEditText::columnOfByte(int line, std::size_t byte) const
{
    const std::string_view bytes = lineView(line);
    int column = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t next = nextColumnByte(bytes, i);
        if (next > byte)
            break;
        i = next;
        ++column;
    }
    return column;
}

TextPosition UiEditText::clamp(TextPosition position) const
{
    position.line = std::clamp(position.line, 1, lineCount());
    position.column = std::clamp(position.column, 0, lineLength(position.line));
    return position;
}

TextPosition UiEditText::endPosition() const
{
    return {lineCount(), lineLength(lineCount())};
}

std::size_t UiEditText::offsetOf(TextPosition position) const
{
    position = clamp(position);
    std::size_t offset = 0;
    for (int line = 1; line < position.line; ++line)
        offset += m_lines[static_cast<std::size_t>(line - 1)].size() + lineBreak.size();
    return offset + byteInLine(position.line, position.column);
}

TextPosition UiEditText::positionOf(std::size_t offset) const
{
    int line = 1;
    for (const auto& bytes : m_lines) {
        if (offset <= bytes.size() || line == lineCount())
            return {line, columnOfByte(line, std::min(offset, bytes.size()))};
        if (offset < bytes.size() + lineBreak.size())
            return {line, lineLength(line)};
        offset -= bytes.size() + lineBreak.size();
        ++line;
    }
    return endPosition();
}

Text UiEditText::substring(std::size_t from, std::size_t to) const
{
    const Text whole = text();
    if (from > to)
        std::swap(from, to);
    from = std::min(from, whole.size());
    to = std::min(to, whole.size());
    return Text(whole.view().substr(from, to - from));
}

Text UiEditText::textBetween(TextPosition a, TextPosition b) const
{
    a = clamp(a);
    b = clamp(b);
    if (b < a)
        std::swap(a, b);
    if (a.line == b.line) {
        const std::string_view bytes = lineView(a.line);
        const std::size_t from = byteInLine(a.line, a.column);
        return Text(bytes.substr(from, byteInLine(b.line, b.column) - from));
    }
    std::string out(lineView(a.line).substr(byteInLine(a.line, a.column)));
    for (int line = a.line + 1; line < b.line; ++line) {
        out += lineBreak;
        out += lineView(line);
    }
    out += lineBreak;
    out += lineView(b.line).substr(0, byteInLine(b.line, b.column));
    return Text(out);
}

std::pair<TextPosition, TextPosition> UiEditText::selection() const
{
    return m_anchor < m_caret ? std::pair {m_anchor, m_caret} : std::pair {m_caret, m_anchor};
}

Text UiEditText::selectedText() const
{
    if (!hasSelection())
        return {};
    const auto [from, to] = selection();
    return textBetween(from, to);
}

void UiEditText::setCaret(TextPosition position, bool extend)
{
    m_caret = clamp(position);
    if (!extend)
        m_anchor = m_caret;
}

void UiEditText::select(TextPosition anchor, TextPosition caret)
{
    m_anchor = clamp(anchor);
    m_caret = clamp(caret);
}

void UiEditText::selectAll()
{
    select({1, 0}, endPosition());
}

void UiEditText::moveCaret(CaretMove move, bool extend)
{
    TextPosition to = m_caret;
    switch (move) {
    case CaretMove::Left:
        // Without Shift, Left on a selection collapses it at its start.
        if (!extend && hasSelection()) {
            to = selection().first;
        } else if (to.column > 0) {
            --to.column;
        } else if (m_multiLine && to.line > 1) {
            --to.line;
            to.column = lineLength(to.line);
        }
        break;
    case CaretMove::Right:
        if (!extend && hasSelection()) {
            to = selection().second;
        } else if (to.column < lineLength(to.line)) {
            ++to.column;
        } else if (m_multiLine && to.line < lineCount()) {
            ++to.line;
            to.column = 0;
        }
        break;
    case CaretMove::Up:
        if (m_multiLine && to.line > 1)
            --to.line;
        break;
    case CaretMove::Down:
        if (m_multiLine && to.line < lineCount())
            ++to.line;
        break;
    case CaretMove::LineStart:
        to.column = 0;
        break;
    case CaretMove::LineEnd:
        to.column = lineLength(to.line);
        break;
    }
    setCaret(to, extend);
}

std::pair<int, int> UiEditText::wordAt(TextPosition position) const
{
    position = clamp(position);
    const std::string_view bytes = lineView(position.line);
    const int length = lineLength(position.line);
    if (length == 0)
        return {0, 0};
    const int column = position.column < length ? position.column : length - 1;

    // Byte starts of every character, so that the walk goes both ways.
    std::vector<std::size_t> starts;
    starts.reserve(static_cast<std::size_t>(length));
    for (std::size_t i = 0; i < bytes.size(); i = nextColumnByte(bytes, i))
        starts.push_back(i);

    const CharacterClass kind = classify(bytes, starts[static_cast<std::size_t>(column)]);
    if (kind == CharacterClass::Other)
        return {column, column + 1};
    int start = column;
    while (start > 0 && classify(bytes, starts[static_cast<std::size_t>(start - 1)]) == kind)
        --start;
    int end = column + 1;
    while (end < length && classify(bytes, starts[static_cast<std::size_t>(end)]) == kind)
        ++end;
    return {start, end};
}

void UiEditText::selectWord(TextPosition position)
{
    position = clamp(position);
    const auto [start, end] = wordAt(position);
    select({position.line, start}, {position.line, end});
}

void UiEditText::selectLine(int line)
{
    line = std::clamp(line, 1, lineCount());
    select({line, 0}, {line, lineLength(line)});
}

bool UiEditText::decimalPointOutsideSelection() const
{
    const auto [from, to] = selection();
    const Text before = textBetween({1, 0}, from);
    const Text after = textBetween(to, endPosition());
    return before.view().find('.') != std::string_view::npos || after.view().find('.') != std::string_view::npos;
}

std::string UiEditText::filtered(std::string_view input) const
{
    std::string out;
    if (m_inputMode == EditInputMode::ReadOnly)
        return out;
    bool decimalPointSeen = m_inputMode == EditInputMode::Decimal && decimalPointOutsideSelection();
    for (std::size_t i = 0; i < input.size();) {
        const std::size_t length = std::max<std::size_t>(text::characterLength(input, i), 1);
        const auto c = static_cast<unsigned char>(input[i]);
        if (c == '\r' || c == '\n') {
            // A line break: kept as "\r\n" in a multi-line edit; a single-line
            // edit keeps only what came before it, as setText does.
            if (!m_multiLine)
                break;
            if (c == '\n' || (i + 1 < input.size() && input[i + 1] == '\n')) {
                out += lineBreak;
                i += (c == '\r') ? 2 : 1;
            } else {
                ++i;  // a lone carriage return
            }
            continue;
        }
        if (length > 1 || c >= 0x80) {
            if (m_inputMode == EditInputMode::Normal || m_inputMode == EditInputMode::Password)
                out.append(input.substr(i, length));
        } else {
            bool accepted = c >= 28 && c <= 126;
            if (m_inputMode == EditInputMode::Integer)
                accepted = (c >= '0' && c <= '9') || c == '-';
            if (m_inputMode == EditInputMode::Decimal) {
                accepted = c >= 45 && c <= 57;
                if (c == '.') {
                    accepted = !decimalPointSeen;
                    decimalPointSeen = true;
                }
            }
            if (accepted)
                out += static_cast<char>(c);
        }
        i += length;
    }
    return out;
}

bool UiEditText::acceptsCharacter(int code) const
{
    if (code < 28 || code > 126)
        return false;
    const char c = static_cast<char>(code);
    return filtered(std::string_view(&c, 1)).size() == 1;
}

void UiEditText::replaceRange(TextPosition from, TextPosition to, std::string_view inserted)
{
    assert(from <= to && "replaceRange wants an ordered range");
    const std::size_t fromByte = byteInLine(from.line, from.column);
    const std::size_t toByte = byteInLine(to.line, to.column);
    const auto first = static_cast<std::size_t>(from.line - 1);
    const auto last = static_cast<std::size_t>(to.line - 1);
    const std::string tail = m_lines[last].substr(toByte);
    std::string head = m_lines[first].substr(0, fromByte);
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                  m_lines.begin() + static_cast<std::ptrdiff_t>(last) + 1);

    std::vector<std::string> pieces = splitLines(inserted);
    const int caretLine = from.line + static_cast<int>(pieces.size()) - 1;
    pieces.front().insert(0, head);
    const std::size_t caretByte = pieces.back().size();
    pieces.back() += tail;
    m_lines[first] = std::move(pieces.front());
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(first) + 1,
                   std::make_move_iterator(pieces.begin() + 1), std::make_move_iterator(pieces.end()));
    m_caret = {caretLine, columnOfByte(caretLine, caretByte)};
    m_anchor = m_caret;
}

bool UiEditText::insert(std::string_view input)
{
    const std::string accepted = filtered(input);
    if (accepted.empty())
        return false;
    const auto [from, to] = selection();
    replaceRange(from, to, accepted);
    return true;
}

bool UiEditText::deleteSelection()
{
    if (m_inputMode == EditInputMode::ReadOnly || !hasSelection())
        return false;
    const auto [from, to] = selection();
    replaceRange(from, to, {});
    return true;
}

bool UiEditText::deleteBackward()
{
    if (m_inputMode == EditInputMode::ReadOnly)
        return false;
    if (hasSelection())
        return deleteSelection();
    TextPosition from = m_caret;
    if (from.column > 0) {
        --from.column;
    } else if (from.line > 1) {
        --from.line;
        from.column = lineLength(from.line);
    } else {
        return false;
    }
    replaceRange(from, m_caret, {});
    return true;
}

bool UiEditText::deleteForward()
{
    if (m_inputMode == EditInputMode::ReadOnly)
        return false;
    if (hasSelection())
        return deleteSelection();
    TextPosition to = m_caret;
    if (to.column < lineLength(to.line)) {
        ++to.column;
    } else if (to.line < lineCount()) {
        ++to.line;
        to.column = 0;
    } else {
        return false;
    }
    replaceRange(m_caret, to, {});
    return true;
}

}  // namespace quorvo::ui
