#include "runtime/Text.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace quorvo {

namespace {

unsigned char byteAt(std::string_view bytes, std::size_t offset)
{
    return static_cast<unsigned char>(bytes[offset]);
}

char foldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool bytesEqual(std::string_view a, std::string_view b, CaseSensitivity sensitivity)
{
    if (a.size() != b.size())
        return false;
    if (sensitivity == CaseSensitivity::Sensitive)
        return a == b;
    // Folding both sides byte by byte is safe here: only ASCII letters fold,
    // and a match is only accepted at a character boundary of the haystack.
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(a[i]) != foldAscii(b[i]))
            return false;
    }
    return true;
}

bool isFullWidthSpace(std::string_view bytes, std::size_t offset)
{
    return offset + 1 < bytes.size() && byteAt(bytes, offset) == 0xA1 && byteAt(bytes, offset + 1) == 0xA1;
}

Text changeCase(std::string_view input, bool upper)
{
    std::string out(input);
    for (std::size_t i = 0; i < out.size();) {
        const std::size_t length = text::characterLength(out, i);
        if (length == 1) {
            char& c = out[i];
            if (upper && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            else if (!upper && c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        }
        i += length;
    }
    return Text(out);
}

}  // namespace

Text::Text(std::string_view bytes)
    : m_bytes(bytes.substr(0, std::min(bytes.find('\0'), bytes.size())))
{ }

Text::Text(std::string&& bytes)
    : m_bytes(std::move(bytes))
{
    m_bytes.resize(std::min(m_bytes.find('\0'), m_bytes.size()));
}

Text::Text(const char* bytes)
    : m_bytes(bytes ? bytes : "")
{ }

Text& Text::operator+=(const Text& other)
{
    m_bytes += other.m_bytes;
    return *this;
}

Text& Text::operator+=(std::string_view other)
{
    m_bytes += other.substr(0, std::min(other.find('\0'), other.size()));
    return *this;
}

void PrintTo(const Text& text, std::ostream* out)
{
    *out << '"';
    for (const char c : text.m_bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"')
            *out << c;
        else
            *out << "\\x" << std::hex << std::setw(2) << std::setfill('0') << static_cast<int>(byte) << std::dec;
    }
    *out << '"';
}

namespace text {

std::size_t characterLength(std::string_view bytes, std::size_t offset)
{
    if (offset >= bytes.size())
        return 0;
    const unsigned char lead = byteAt(bytes, offset);
    if (lead < 0x80)
        return 1;
    const std::size_t remaining = bytes.size() - offset;
    if (remaining >= 4 && lead >= 0x81 && lead <= 0xFE) {
        const unsigned char second = byteAt(bytes, offset + 1);
        const unsigned char third = byteAt(bytes, offset + 2);
        const unsigned char fourth = byteAt(bytes, offset + 3);
        if (second >= 0x30 && second <= 0x39 && third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39)
            return 4;
    }
    // A lead byte takes the next byte only when that is a trail byte: a
    // stray lead must not swallow a "/" or a control character behind it.
    const unsigned char trail = remaining >= 2 ? byteAt(bytes, offset + 1) : 0;
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

bool isCharacterBoundary(std::string_view bytes, std::size_t offset)
{
    std::size_t i = 0;
    while (i < offset && i < bytes.size())
        i += characterLength(bytes, i);
    return i == offset;
}

std::size_t boundaryAtOrBefore(std::string_view bytes, std::size_t maxBytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::size_t next = i + characterLength(bytes, i);
        if (next > maxBytes)
            break;
        i = next;
    }
    return i;
}

int64_t find(std::string_view haystack, std::string_view needle, int64_t start, CaseSensitivity sensitivity)
{
    if (needle.empty())
        return -1;
    start = std::max<int64_t>(start, 1);
    if (static_cast<std::size_t>(start - 1) > haystack.size())
        return -1;
    const std::size_t from = static_cast<std::size_t>(start - 1);
    for (std::size_t i = 0; i + needle.size() <= haystack.size(); i += characterLength(haystack, i)) {
        if (i >= from && bytesEqual(haystack.substr(i, needle.size()), needle, sensitivity))
            return static_cast<int64_t>(i) + 1;
    }
    return -1;
}

int64_t findLast(std::string_view haystack, std::string_view needle, int64_t start, CaseSensitivity sensitivity)
{
    if (needle.empty())
        return -1;
    const std::size_t limit = start < 1 ? haystack.size() : static_cast<std::size_t>(start - 1);
    int64_t found = -1;
    for (std::size_t i = 0; i + needle.size() <= haystack.size() && i <= limit; i += characterLength(haystack, i)) {
        if (bytesEqual(haystack.substr(i, needle.size()), needle, sensitivity))
            found = static_cast<int64_t>(i) + 1;
    }
    return found;
}

bool contains(std::string_view haystack, std::string_view needle, CaseSensitivity sensitivity)
{
    return find(haystack, needle, 1, sensitivity) != -1;
}

bool startsWith(std::string_view text, std::string_view prefix, CaseSensitivity sensitivity)
{
    return prefix.size() <= text.size() && bytesEqual(text.substr(0, prefix.size()), prefix, sensitivity);
}

bool endsWith(std::string_view text, std::string_view suffix, CaseSensitivity sensitivity)
{
    if (suffix.size() > text.size())
        return false;
    const std::size_t offset = text.size() - suffix.size();
    return isCharacterBoundary(text, offset) && bytesEqual(text.substr(offset), suffix, sensitivity);
}

bool equals(std::string_view left, std::string_view right, CaseSensitivity sensitivity)
{
    return bytesEqual(left, right, sensitivity);
}

Text replaceAll(std::string_view text, std::string_view from, std::string_view to, CaseSensitivity sensitivity)
{
    if (from.empty())
        return Text(text);
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + from.size() <= text.size() && bytesEqual(text.substr(i, from.size()), from, sensitivity)) {
            out += to;
            i += from.size();
            continue;
        }
        const std::size_t length = characterLength(text, i);
        out += text.substr(i, length);
        i += length;
    }
    return Text(out);
}

Text toUpper(std::string_view text)
{
    return changeCase(text, true);
}
Text toLower(std::string_view text)
{
    return changeCase(text, false);
}

Text trimLeft(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ')
            i += 1;
        else if (isFullWidthSpace(text, i))
            i += 2;
        else
            break;
    }
    return Text(text.substr(i));
}

Text trimRight(std::string_view text)
{
    // Walk forward so a trailing "A1 A1" is only taken when it is a whole character.
    std::size_t keep = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = characterLength(text, i);
        const bool blank = text[i] == ' ' || (length == 2 && isFullWidthSpace(text, i));
        i += length;
        if (!blank)
            keep = i;
    }
    return Text(text.substr(0, keep));
}

Text trim(std::string_view text)
{
    return trimLeft(trimRight(text).view());
}

std::string_view trimSpacesAndTabs(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

Text left(std::string_view text, int64_t count)
{
    if (count <= 0)
        return {};
    return Text(text.substr(0, static_cast<std::size_t>(count)));
}

Text right(std::string_view text, int64_t count)
{
    if (count <= 0)
        return {};
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(count));
    return Text(text.substr(text.size() - n));
}

Text mid(std::string_view text, int64_t start, int64_t count)
{
    if (start < 1 || count <= 0 || static_cast<std::size_t>(start - 1) >= text.size())
        return {};
    return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

std::vector<Text> split(std::string_view text, std::string_view delimiter)
{
    std::vector<Text> pieces;
    if (text.empty())
        return pieces;
    if (delimiter.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    // No byte of a multi-byte character is below 0x30, so a delimiter that
    // starts with such a byte only ever matches at a character boundary and
    // a byte search finds the same pieces as the walk below.
    if (static_cast<unsigned char>(delimiter.front()) < 0x30) {
        pieces.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), delimiter.front())) + 1);
        std::size_t pieceStart = 0;
        for (std::size_t at = text.find(delimiter); at != std::string_view::npos;
             at = text.find(delimiter, pieceStart)) {
            pieces.emplace_back(text.substr(pieceStart, at - pieceStart));
            pieceStart = at + delimiter.size();
        }
        if (pieceStart < text.size())
            pieces.emplace_back(text.substr(pieceStart));
        return pieces;
    }
    std::size_t pieceStart = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        if (i + delimiter.size() <= text.size() && text.substr(i, delimiter.size()) == delimiter) {
            pieces.emplace_back(text.substr(pieceStart, i - pieceStart));
            i += delimiter.size();
            pieceStart = i;
            continue;
        }
        i += characterLength(text, i);
    }
    if (pieceStart < text.size())
        pieces.emplace_back(text.substr(pieceStart));
    return pieces;
}

}  // namespace text
}  // namespace quorvo
