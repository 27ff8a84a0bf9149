#include "platform/Profile.h"

#include "platform/Files.h"
#include "runtime/Encoding.h"

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvo::platform {

namespace {

std::mutex& profileMutex()
{
    static std::mutex mutex;
    return mutex;
}

constexpr std::string_view utf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return text::equals(a, b, CaseSensitivity::Insensitive);
}

// One physical line of the file: its bytes without the line end, and where
// the whole line (with its end) sits in the file.
struct Line {
    std::string_view content;
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the line end
};

std::vector<Line> splitLines(std::string_view data)
{
    std::vector<Line> lines;
    std::size_t start = data.starts_with(utf8Bom) ? utf8Bom.size() : 0;
    while (start < data.size()) {
        std::size_t newline = data.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? data.size() : newline + 1;
        std::size_t contentEnd = newline == std::string_view::npos ? data.size() : newline;
        if (contentEnd > start && data[contentEnd - 1] == '\r')
            --contentEnd;
        lines.push_back({data.substr(start, contentEnd - start), start, end});
        start = end;
    }
    return lines;
}

std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trimBlanks(line);
    if (!line.starts_with('['))
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> keyValue(std::string_view line)
{
    const std::string_view trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
        return std::nullopt;
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return KeyValue {trimBlanks(trimmed.substr(0, equals)), trimBlanks(trimmed.substr(equals + 1))};
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

// Where a section's lines are in the file.
struct SectionSpan {
    std::size_t header = 0;       // index of the "[name]" line
    std::size_t lastContent = 0;  // index of its last non-blank line
    std::optional<std::size_t> keyLine;
};

std::optional<SectionSpan> locate(const std::vector<Line>& lines, std::string_view section, std::string_view key)
{
    std::optional<SectionSpan> found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto name = sectionName(lines[i].content)) {
            if (found)
                break;  // the first matching section wins
            if (equalsIgnoringAsciiCase(*name, section))
                found = SectionSpan {i, i, std::nullopt};
            continue;
        }
        if (!found)
            continue;
        if (!trimBlanks(lines[i].content).empty())
            found->lastContent = i;
        if (!found->keyLine) {
            if (auto entry = keyValue(lines[i].content); entry && equalsIgnoringAsciiCase(entry->key, key))
                found->keyLine = i;
        }
    }
    return found;
}

std::string_view lineEndingOf(std::string_view data)
{
    const std::size_t newline = data.find('\n');
    return newline != std::string_view::npos && newline > 0 && data[newline - 1] == '\r' ? "\r\n" : "\n";
}

std::string singleLine(std::string value)
{
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return value;
}

}  // namespace

Text readProfile(const Text& file, const Text& section, const Text& key)
{
    std::lock_guard lock(profileMutex());
    const std::optional<Bytes> data = readFile(file);
    if (!data)
        return {};
    const std::vector<Line> lines = splitLines(*data);
    const std::optional<SectionSpan> span
        = locate(lines, encoding::toUtf8(section.view()), encoding::toUtf8(key.view()));
    if (!span || !span->keyLine)
        return {};
    const std::optional<KeyValue> entry = keyValue(lines[*span->keyLine].content);
    return encoding::fromUtf8(unquote(entry->value));
}

bool writeProfile(const Text& file, const Text& section, const Text& key, const Text& value)
{
    if (section.empty() || key.empty())
        return false;
    std::lock_guard lock(profileMutex());
    const std::string sectionUtf8 = singleLine(encoding::toUtf8(section.view()));
    const std::string keyUtf8 = singleLine(encoding::toUtf8(key.view()));
    const std::string valueUtf8 = singleLine(encoding::toUtf8(value.view()));

    const Bytes original = readFile(file).value_or(Bytes {});
    const std::vector<Line> lines = splitLines(original);
    const std::string_view eol = lineEndingOf(original);
    const std::optional<SectionSpan> span = locate(lines, sectionUtf8, keyUtf8);

    std::string updated;
    updated.reserve(original.size() + keyUtf8.size() + valueUtf8.size() + 16);
    if (span && span->keyLine) {
        const Line& line = lines[*span->keyLine];
        const std::string_view originalEnd = std::string_view(original).substr(
            line.begin + line.content.size(), line.end - line.begin - line.content.size());
        updated.append(original, 0, line.begin);
        // The key keeps the spelling it already has in the file.
        updated += std::string(keyValue(line.content)->key) + "=" + valueUtf8;
        updated += originalEnd.empty() ? eol : originalEnd;
        updated.append(original, line.end);
    } else if (span) {
        const Line& last = lines[span->lastContent];
        updated.append(original, 0, last.end);
        if (last.end == original.size() && !original.empty() && original.back() != '\n')
            updated += eol;
        updated += keyUtf8 + "=" + valueUtf8;
        updated += eol;
        updated.append(original, last.end);
    } else {
        updated = original;
        if (!updated.empty() && updated.back() != '\n')
            updated += eol;
        updated += "[" + sectionUtf8 + "]";
        updated += eol;
        updated += keyUtf8 + "=" + valueUtf8;
        updated += eol;
    }
    return writeFile(file, updated);
}

}  // namespace quorvo::platform
