#include "http/RequestParser.h"

#include "runtime/Text.h"

#include <cstddef>

namespace quorvo::server {

namespace {

constexpr std::size_t maxTargetLength = 16 * 1024;

bool isTokenChar(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return true;
    if (c >= 'a' && c <= 'z')
        return true;
    if (c >= 'A' && c <= 'Z')
        return true;
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

bool isToken(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (!isTokenChar(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

// Blanks, controls and DEL never belong in a target; bytes above 0x7F do
// (raw GBK queries).
bool isTargetByte(unsigned char c)
{
    return c > 0x20 && c != 0x7F;
}

// Splits the head into lines, accepting CRLF and bare LF endings.
std::vector<std::string_view> splitLines(std::string_view head)
{
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const auto newline = head.find('\n');
        std::string_view line = head.substr(0, newline);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (newline == std::string_view::npos)
            break;
        head.remove_prefix(newline + 1);
    }
    return lines;
}

}  // namespace

std::size_t findHeadEnd(std::string_view buffer)
{
    for (std::size_t i = 0; i < buffer.size(); ++i) {
        if (buffer[i] != '\n')
            continue;
        if (i + 1 < buffer.size() && buffer[i + 1] == '\n')
            return i + 2;
        if (i + 2 < buffer.size() && buffer[i + 1] == '\r' && buffer[i + 2] == '\n')
            return i + 3;
    }
    return std::string_view::npos;
}

std::variant<HttpRequest, ParseFailure> parseRequestHead(std::string_view head)
{
    HttpRequest request;
    request.rawHead = std::string(head);
    std::vector<std::string_view> lines = splitLines(head);
    // The blank line that ends the head.
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    if (lines.empty())
        return ParseFailure {400};

    const std::string_view requestLine = lines.front();
    const auto firstSpace = requestLine.find(' ');
    const auto lastSpace = requestLine.rfind(' ');
    if (firstSpace == std::string_view::npos || lastSpace == firstSpace)
        return ParseFailure {400};
    const std::string_view method = requestLine.substr(0, firstSpace);
    const std::string_view target = requestLine.substr(firstSpace + 1, lastSpace - firstSpace - 1);
    const std::string_view version = requestLine.substr(lastSpace + 1);
    if (!isToken(method) || target.empty())
        return ParseFailure {400};
    for (const char c : target) {
        if (!isTargetByte(static_cast<unsigned char>(c)))
            return ParseFailure {400};
    }
    if (target.size() > maxTargetLength)
        return ParseFailure {414};
    if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || version[6] != '.' || version[5] < '0'
        || version[5] > '9' || version[7] < '0' || version[7] > '9')
        return ParseFailure {400};
    if (version != "HTTP/1.1" && version != "HTTP/1.0")
        return ParseFailure {505};
    if (target.front() != '/' && !(method == "OPTIONS" && target == "*"))
        return ParseFailure {400};

    request.method = std::string(method);
    request.target = std::string(target);
    request.version = std::string(version);

    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        // Folded continuation lines are obsolete and ambiguous: refuse them.
        if (line.front() == ' ' || line.front() == '\t')
            return ParseFailure {400};
        const auto colon = line.find(':');
        if (colon == std::string_view::npos)
            return ParseFailure {400};
        const std::string_view name = line.substr(0, colon);
        if (!isToken(name))
            return ParseFailure {400};
        request.headers.push_back({std::string(name), std::string(text::trimSpacesAndTabs(line.substr(colon + 1)))});
    }
    return request;
}

}  // namespace quorvo::server
