// Loading: encoding rule, CDATA cut-out and the tokenizer that builds the
// node table. Every pass is a single left-to-right scan with an explicit
// stack, so neither size nor nesting depth of a reply can exhaust the stack.

#include "data/XmlDocument.h"

#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>

namespace quorvo::data {
namespace {

constexpr std::string_view cdataOpen = "<![CDATA[";
constexpr std::string_view cdataClose = "]]>";
constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isAllBlank(std::string_view bytes)
{
    for (const char c : bytes) {
        if (!isBlank(c)) {
            return false;
        }
    }
    return true;
}

std::string_view trimBlanks(std::string_view bytes)
{
    while (!bytes.empty() && isBlank(bytes.front())) {
        bytes.remove_prefix(1);
    }
    while (!bytes.empty() && isBlank(bytes.back())) {
        bytes.remove_suffix(1);
    }
    return bytes;
}

// Calls `onPiece` with the bytes after every "<" (and those before the
// first), optionally not splitting inside double quotes. Returns false as soon
// as `onPiece` does.
template <typename OnPiece>
bool forEachPiece(std::string_view data, std::string_view delimiter, bool quoteAware, OnPiece&& onPiece)
{
    if (delimiter.empty()) {
        return onPiece(data);
    }
    std::size_t pieceStart = 0;
    if (!quoteAware) {
        std::size_t at = data.find(delimiter);
        while (at != std::string_view::npos) {
            if (!onPiece(data.substr(pieceStart, at - pieceStart))) {
                return false;
            }
            pieceStart = at + delimiter.size();
            at = data.find(delimiter, pieceStart);
        }
        return onPiece(data.substr(pieceStart));
    }
    bool inQuotes = false;
    std::size_t i = 0;
    while (i < data.size()) {
        if (data[i] == '"') {
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        if (!inQuotes && data[i] == delimiter[0] && data.compare(i, delimiter.size(), delimiter) == 0) {
            if (!onPiece(data.substr(pieceStart, i - pieceStart))) {
                return false;
            }
            i += delimiter.size();
            pieceStart = i;
            continue;
        }
        ++i;
    }
    return onPiece(data.substr(pieceStart));
}

// Calls `onToken` for each piece of a tag's text between ASCII spaces that
// are not inside double quotes.
template <typename OnToken> void forEachTagToken(std::string_view tagText, OnToken&& onToken)
{
    bool inQuotes = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < tagText.size(); ++i) {
        if (tagText[i] == '"') {
            inQuotes = !inQuotes;
        } else if (tagText[i] == ' ' && !inQuotes) {
            onToken(tagText.substr(start, i - start));
            start = i + 1;
        }
    }
    onToken(tagText.substr(start));
}

// The end of the run of ASCII bytes that starts at `from`, a word at a time.
std::size_t asciiRunEnd(std::string_view bytes, std::size_t from)
{
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    while (from + sizeof(std::uint64_t) <= bytes.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + from, sizeof word);
        if ((word & highBits) != 0) {
            break;
        }
        from += sizeof word;
    }
    while (from < bytes.size() && static_cast<unsigned char>(bytes[from]) < 0x80) {
        ++from;
    }
    return from;
}

// `needle` in `haystack` from `from` on; npos when absent. memmem skips
// ahead where a find of the first byte would stop at every "<".
std::size_t findBytes(std::string_view haystack, std::string_view needle, std::size_t from = 0)
{
    if (from > haystack.size()) {
        return std::string_view::npos;
    }
    const void* found = ::memmem(haystack.data() + from, haystack.size() - from, needle.data(), needle.size());
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - haystack.data()) : std::string_view::npos;
}

// UTF-8 to program text. ASCII is the same in both, so only the runs of
// other bytes go through the converter; a reply is mostly ASCII markup.
Bytes programTextFromUtf8(std::string_view utf8)
{
    Bytes out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t end = asciiRunEnd(utf8, i);
        out.append(utf8.substr(i, end - i));
        i = end;
        while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) >= 0x80) {
            ++end;
        }
        if (end > i) {
            out += encoding::fromUtf8(utf8.substr(i, end - i)).view();
            i = end;
        }
    }
    return out;
}

// closingTagName(piece) == name, without building the name.
bool closingNameEquals(std::string_view piece, std::string_view name)
{
    std::size_t matched = 0;
    for (const char c : piece) {
        if (isBlank(c) || c == '/' || c == '>') {
            continue;
        }
        if (c == '\0') {
            break;  // the name as text ends at a NUL byte
        }
        if (matched == name.size() || name[matched] != c) {
            return false;
        }
        ++matched;
    }
    return matched == name.size();
}

}  // namespace

bool XmlDocument::load(const Bytes& data, bool convertUndeclared, bool quoteAware)
{
    clear();
    m_sourceData = data;
    std::optional<Bytes> converted = convertedText(data, convertUndeclared);
    Bytes work = converted ? std::move(*converted) : data;
    extractCdata(work);
    return parse(work, quoteAware);
}

bool XmlDocument::convertEncoding(Bytes& data, bool convertUndeclared) const
{
    std::optional<Bytes> converted = convertedText(data, convertUndeclared);
    if (!converted) {
        return false;
    }
    data = std::move(*converted);
    return true;
}

std::optional<Bytes> XmlDocument::convertedText(std::string_view data, bool convertUndeclared)
{
    // The data is read as text, so it ends at the first NUL byte.
    const std::string_view asText(data.data(), std::min(data.find('\0'), data.size()));
    const int64_t at = text::find(asText, "encoding", 1, CaseSensitivity::Insensitive);
    // An absent declaration reads as position -1, so the test then looks at
    // the text from byte 7 on, as the rule has always done.
    const int64_t start = at + 8;
    const int64_t end = text::find(asText, "?>", start);
    Text declared = end == -1 ? Text() : text::mid(asText, start, end - start);
    declared = text::replaceAll(declared.view(), "=", "");
    declared = text::replaceAll(declared.view(), "\"", "");
    declared = text::toLower(text::trim(declared.view()).view());

    if (declared == "gb2312") {
        return std::nullopt;
    }
    if (declared != "utf-8" && !convertUndeclared) {
        return std::nullopt;
    }
    std::string_view utf8 = asText;
    if (utf8.starts_with(utf8ByteOrderMark)) {
        // The mark has no place in program text; left in, it would be a
        // stray piece before the first tag.
        utf8.remove_prefix(utf8ByteOrderMark.size());
    }
    return programTextFromUtf8(utf8);
}

Bytes XmlDocument::makeMarker(std::string_view data, int letterCount)
{
    std::mt19937 generator(
        static_cast<std::mt19937::result_type>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> letter('A', 'Z');
    for (int attempt = 0; attempt < 100; ++attempt) {
        Bytes candidate = "@";
        for (int i = 0; i < letterCount; ++i) {
            candidate += static_cast<char>(letter(generator));
        }
        if (data.find(candidate) == std::string_view::npos) {
            return candidate;
        }
    }
    return {};
}

int XmlDocument::extractCdata(Bytes& data)
{
    m_cdataMarker = makeMarker(data);
    if (findBytes(data, cdataOpen) == Bytes::npos) {
        return 0;
    }
    Bytes out;
    out.reserve(data.size());
    int count = 0;
    std::size_t from = 0;
    while (true) {
        const std::size_t open = findBytes(data, cdataOpen, from);
        if (open == Bytes::npos) {
            break;
        }
        const std::size_t close = data.find(cdataClose, open + 1);
        if (close == Bytes::npos) {
            break;  // unterminated: the section stays in the text as it is
        }
        const std::size_t contentStart = open + cdataOpen.size();
        m_cdataSections.push_back(data.substr(contentStart, close - contentStart));
        ++count;
        out.append(data, from, open - from);
        out += m_cdataMarker;
        out += ",";
        out += std::to_string(count);
        out += ".";
        from = close + cdataClose.size();
    }
    out.append(data, from, Bytes::npos);
    data = std::move(out);
    return count;
}

Text XmlDocument::resolveCdata(std::string_view bytes) const
{
    if (m_cdataMarker.empty()) {
        return Text(bytes);
    }
    // Without sections no value can name one: the marker occurs nowhere else.
    if (m_cdataSections.empty()) {
        return Text(bytes);
    }
    const std::size_t at = bytes.find(m_cdataMarker);
    if (at == std::string_view::npos) {
        return Text(bytes);
    }
    const std::size_t numberStart = at + m_cdataMarker.size() + 1;
    const std::size_t dot = bytes.find('.', at);
    if (dot == std::string_view::npos || dot < numberStart) {
        return Text(bytes);
    }
    const int64_t number = numbers::toInteger(bytes.substr(numberStart, dot - numberStart));
    if (number < 1 || number > static_cast<int64_t>(m_cdataSections.size())) {
        return Text(bytes);
    }
    return Text(m_cdataSections[static_cast<std::size_t>(number - 1)]);
}

std::vector<Bytes> XmlDocument::splitOutsideQuotes(std::string_view data, std::string_view delimiter)
{
    std::vector<Bytes> pieces;
    forEachPiece(data, delimiter, true, [&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}

Bytes XmlDocument::stripBlanks(std::string_view bytes)
{
    Bytes out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (!isBlank(c)) {
            out += c;
        }
    }
    return out;
}

Text XmlDocument::closingTagName(std::string_view piece)
{
    Bytes name;
    for (const char c : piece) {
        if (!isBlank(c) && c != '/' && c != '>') {
            name += c;
        }
    }
    return Text(name);
}

bool XmlDocument::parseTag(std::string_view piece, std::size_t closeAt, XmlNode& record, bool opening) const
{
    record.name = Text();
    record.value = Text();
    record.attributes.clear();
    record.children.clear();
    if (closeAt < 1 || closeAt > piece.size()) {
        return false;
    }
    // Each kept token is committed when the next one arrives, so that the
    // last one can still lose the "/" of a self-closing tag.
    bool failed = false;
    bool haveName = false;
    std::string_view pending;
    auto commit = [&](std::string_view token) {
        if (!haveName) {
            record.name = Text(token);
            haveName = true;
            return;
        }
        const std::size_t equals = token.find('=');
        if (equals == std::string_view::npos) {
            failed = true;
            return;
        }
        record.attributes.push_back({Text(token.substr(0, equals)), Text(token.substr(equals + 1))});
    };
    forEachTagToken(piece.substr(0, closeAt - 1), [&](std::string_view token) {
        // Blanks at a token's ends are dropped too, so a start tag may be
        // broken across lines between its name and attributes.
        const std::string_view trimmed = trimBlanks(token);
        if (trimmed.empty() || trimmed == "/") {
            return;
        }
        if (!pending.empty()) {
            commit(pending);
        }
        pending = trimmed;
    });
    if (!pending.empty()) {
        if (!opening && pending.ends_with('/')) {
            pending.remove_suffix(1);
        }
        commit(pending);
    }
    if (opening) {
        record.value = resolveCdata(piece.substr(closeAt));
    }
    return !failed;
}

bool XmlDocument::parse(const Bytes& data, bool quoteAware)
{
    // Bottom entry: the document pseudo-element that collects the top level.
    std::vector<XmlNode> open(1);
    // The children of every open element, innermost last, each element's
    // from its entry in childStart on: a closing element takes its list in
    // one allocation instead of growing it child by child.
    std::vector<int> openChildren;
    std::vector<std::size_t> childStart(1, 0);
    std::vector<XmlNode> nodes;
    nodes.reserve(std::min<std::size_t>(static_cast<std::size_t>(std::count(data.begin(), data.end(), '<')) / 2 + 1,
                                        maximumNodes));
    int counter = 0;

    const bool ok = forEachPiece(data, "<", quoteAware, [&](std::string_view piece) {
        if (isAllBlank(piece)) {
            return true;
        }
        if (piece.front() == '?' || piece.front() == '!') {
            return true;  // declaration, processing instruction, comment, document type
        }
        const std::size_t close = piece.find('>');
        if (close == std::string_view::npos) {
            return false;
        }
        if (static_cast<std::size_t>(counter) + open.size() >= maximumNodes) {
            return false;
        }
        const bool closing = piece.front() == '/';
        const bool selfClosing = close > 0 && piece[close - 1] == '/';
        if (closing) {
            if (selfClosing || open.size() < 2 || !closingNameEquals(piece, open.back().name.view())) {
                return false;
            }
            ++counter;
            XmlNode& record = nodes.emplace_back(std::move(open.back()));
            open.pop_back();
            const auto first = openChildren.begin() + static_cast<std::ptrdiff_t>(childStart.back());
            record.children.assign(first, openChildren.end());
            openChildren.erase(first, openChildren.end());
            childStart.pop_back();
            openChildren.push_back(counter);
            record.index = counter;
            for (const int child : record.children) {
                nodes[static_cast<std::size_t>(child - 1)].parent = counter;
            }
            if (isAllBlank(record.value.view())) {
                record.value = Text();
            }
            return true;
        }
        // Read in place: a node record is large, and moving each one twice
        // was a good part of a load.
        if (selfClosing) {
            XmlNode& record = nodes.emplace_back();
            if (!parseTag(piece, close + 1, record, false)) {
                return false;
            }
            ++counter;
            openChildren.push_back(counter);
            record.index = counter;
        } else {
            XmlNode& record = open.emplace_back();
            if (!parseTag(piece, close + 1, record, true)) {
                return false;
            }
            childStart.push_back(openChildren.size());
        }
        return true;
    });

    if (!ok) {
        clear();
        return false;
    }
    // Elements still open are dropped; what closed inside them stays.
    m_nodes = std::move(nodes);
    m_released.assign(m_nodes.size() + 1, false);
    m_rootIndex = counter;
    return true;
}

}  // namespace quorvo::data
