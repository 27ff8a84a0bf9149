#pragma once

// Program text: GBK-compatible bytes (the two-byte characters of GB18030 are
// exactly GBK's; its four-byte sequences keep every other character). A Text
// never holds a NUL byte. Positions are 1-based byte offsets; a failed search
// yields -1. Searches step over a multi-byte character as a whole, so they
// never match inside one, and case folding touches ASCII letters only. A lead
// byte without a valid trail byte is a character of its own, so the byte
// after it is always seen.

#include <compare>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvo {

// A byte buffer with its length; may hold NUL bytes; empty is a valid value.
using Bytes = std::string;

class Text {
public:
    Text() = default;
    // Copies bytes up to (not including) the first NUL.
    Text(std::string_view bytes);  // NOLINT(google-explicit-constructor): text literals read naturally
    Text(const char* bytes);       // NOLINT(google-explicit-constructor)
    Text(const std::string& bytes)
        : Text(std::string_view(bytes))
    { }  // NOLINT
    // Takes the bytes over (cut at the first NUL) instead of copying them.
    Text(std::string&& bytes);  // NOLINT(google-explicit-constructor)

    // Converting Bytes to Text stops at the first NUL byte.
    static Text fromBytes(std::string_view bytes) { return Text(bytes); }

    [[nodiscard]] const std::string& str() const { return m_bytes; }
    [[nodiscard]] std::string_view view() const { return m_bytes; }
    [[nodiscard]] const char* c_str() const { return m_bytes.c_str(); }
    [[nodiscard]] std::size_t size() const { return m_bytes.size(); }
    [[nodiscard]] bool empty() const { return m_bytes.empty(); }
    [[nodiscard]] unsigned char byteAt(std::size_t index) const { return static_cast<unsigned char>(m_bytes[index]); }

    Text& operator+=(const Text& other);
    Text& operator+=(std::string_view other);
    Text& operator+=(const char* other) { return *this += std::string_view(other ? other : ""); }
    // One allocation for the joined text when the left one is kept.
    friend Text operator+(const Text& left, const Text& right)
    {
        Text joined;
        joined.m_bytes.reserve(left.size() + right.size());
        joined.m_bytes += left.m_bytes;
        joined.m_bytes += right.m_bytes;
        return joined;
    }
    friend Text operator+(Text&& left, const Text& right) { return std::move(left += right); }
    friend Text operator+(const Text& left, std::string_view right)
    {
        Text joined;
        joined.m_bytes.reserve(left.size() + right.size());
        joined.m_bytes += left.m_bytes;
        return joined += right;
    }
    friend Text operator+(Text&& left, std::string_view right) { return std::move(left += right); }
    friend Text operator+(Text left, const char* right) { return left += std::string_view(right); }
    friend Text operator+(const char* left, const Text& right) { return Text(left) += right; }

    friend bool operator==(const Text&, const Text&) = default;
    friend std::strong_ordering operator<=>(const Text&, const Text&) = default;
    friend bool operator==(const Text& left, std::string_view right) { return left.view() == right; }
    friend bool operator==(const Text& left, const char* right) { return left.view() == std::string_view(right); }
    friend bool operator==(const Text& left, const std::string& right) { return left.view() == right; }

    // Lets test frameworks print a Text readably.
    friend void PrintTo(const Text& text, std::ostream* out);

private:
    std::string m_bytes;
};

enum class CaseSensitivity { Sensitive, Insensitive };

namespace text {

// Length in bytes of the character that starts at byte offset `offset`
// (0-based): 1 for ASCII, 4 for a GB18030 four-byte sequence, 2 for a byte of
// 0x80 or above followed by a trail byte (0x40..0xFE except 0x7F), and 1 for
// such a byte followed by anything else or by the end of the text.
std::size_t characterLength(std::string_view bytes, std::size_t offset);

// True when `offset` (0-based) is the start of a character.
bool isCharacterBoundary(std::string_view bytes, std::size_t offset);

// Largest character boundary at or below `maxBytes`.
std::size_t boundaryAtOrBefore(std::string_view bytes, std::size_t maxBytes);

// 1-based position of `needle` at or after position `start`, or -1.
// An empty needle is never found.
int64_t find(std::string_view haystack, std::string_view needle, int64_t start = 1,
             CaseSensitivity sensitivity = CaseSensitivity::Sensitive);

// 1-based position of the last occurrence of `needle` that starts at or
// before position `start` (-1: anywhere), or -1.
int64_t findLast(std::string_view haystack, std::string_view needle, int64_t start = -1,
                 CaseSensitivity sensitivity = CaseSensitivity::Sensitive);

bool contains(std::string_view haystack, std::string_view needle,
              CaseSensitivity sensitivity = CaseSensitivity::Sensitive);
bool startsWith(std::string_view text, std::string_view prefix,
                CaseSensitivity sensitivity = CaseSensitivity::Sensitive);
bool endsWith(std::string_view text, std::string_view suffix, CaseSensitivity sensitivity = CaseSensitivity::Sensitive);
bool equals(std::string_view left, std::string_view right, CaseSensitivity sensitivity = CaseSensitivity::Sensitive);

// Replaces every occurrence of `from` (matched on character boundaries).
Text replaceAll(std::string_view text, std::string_view from, std::string_view to,
                CaseSensitivity sensitivity = CaseSensitivity::Sensitive);

// ASCII letters only; bytes of multi-byte characters are left alone even
// where a trail byte happens to be an ASCII letter.
Text toUpper(std::string_view text);
Text toLower(std::string_view text);

// Remove ASCII spaces and full-width spaces (A1 A1).
Text trim(std::string_view text);
Text trimLeft(std::string_view text);
Text trimRight(std::string_view text);
// ASCII spaces and tabs off both ends, as a view into `text`: the optional
// whitespace around protocol fields, where a full-width space is data.
std::string_view trimSpacesAndTabs(std::string_view text);

// Byte-based substrings, clamped to the text. `start` is 1-based.
Text left(std::string_view text, int64_t count);
Text right(std::string_view text, int64_t count);
Text mid(std::string_view text, int64_t start, int64_t count);

// Pieces between delimiters; a trailing empty piece is dropped, so "a,b," gives
// {"a","b"} and "" gives {}. An empty delimiter gives the whole text.
std::vector<Text> split(std::string_view text, std::string_view delimiter);

}  // namespace text
}  // namespace quorvo
