// Loading: encoding rule, CDATA cut-out and the tokenizer that builds the
// node table. Every pass is a single left-to-right scan with an explicit
// stack, so neither size nor nesting depth of a reply can exhaust the stack.

#include "data/XmlDocument.h"

#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

#include <algorithm>
#include <array>
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

// The end of the run of ASCII bytes that starts at `from`, four words at a
// time and then a word at a time.
std::size_t asciiRunEnd(std::string_view bytes, std::size_t from)
{
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    while (from + 4 * sizeof(std::uint64_t) <= bytes.size()) {
        std::uint64_t words[4] = {};
        std::memcpy(words, bytes.data() + from, sizeof words);
        if (((words[0] | words[1] | words[2] | words[3]) & highBits) != 0) {
            break;
        }
        from += sizeof words;
    }
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

// How many times `wanted` occurs, in byte-wide counters so that the compiler
// can compare a vector register's worth of bytes at once.
std::size_t countByte(std::string_view bytes, char wanted)
{
    constexpr std::size_t lanes = 16;
    constexpr std::size_t blockSize = 255 * lanes;  // a byte counter takes 255 hits
    std::size_t count = 0;
    std::size_t i = 0;
    while (bytes.size() - i >= lanes) {
        const std::size_t blockEnd = i + std::min(blockSize, (bytes.size() - i) / lanes * lanes);
        std::array<std::uint8_t, lanes> hits {};
        for (; i < blockEnd; i += lanes) {
            for (std::size_t lane = 0; lane < lanes; ++lane) {
                hits[lane] = static_cast<std::uint8_t>(hits[lane] + (bytes[i + lane] == wanted ? 1 : 0));
            }
        }
        for (const std::uint8_t laneHits : hits) {
            count += laneHits;
        }
    }
    for (; i < bytes.size(); ++i) {
        count += bytes[i] == wanted ? 1 : 0;
    }
    return count;
}

// `needle` in `haystack` from `from` on; npos when absent. The scan stops
// only at `needle[anchor]`, chosen as a byte that is rare in replies: a find
// of "<" or of a capital letter would stop at every tag or word.
std::size_t findBytes(std::string_view haystack, std::string_view needle, std::size_t anchor, std::size_t from = 0)
{
    if (needle.empty() || from > haystack.size() || haystack.size() - from < needle.size()) {
        return std::string_view::npos;
    }
    const char* const begin = haystack.data();
    const char* at = begin + from + anchor;
    const char* const last = begin + haystack.size() - needle.size() + anchor;  // last possible anchor
    while (at <= last) {
        const void* found = std::memchr(at, needle[anchor], static_cast<std::size_t>(last - at) + 1);
        if (found == nullptr) {
            return std::string_view::npos;
        }
        const char* const start = static_cast<const char*>(found) - anchor;
        if (std::memcmp(start, needle.data(), needle.size()) == 0) {
            return static_cast<std::size_t>(start - begin);
        }
        at = static_cast<const char*>(found) + 1;
    }
    return std::string_view::npos;
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

// The bytes a Text made of `bytes` holds: those before the first NUL.
std::string_view beforeNul(std::string_view bytes)
{
    return bytes.substr(0, std::min(bytes.find('\0'), bytes.size()));
}

// True when closingNameEquals may compare `name` as one block: it has none of
// the bytes that the comparison skips.
bool isPlainName(std::string_view name)
{
    for (const char c : name) {
        if (isBlank(c) || c == '/' || c == '>') {
            return false;
        }
    }
    return true;
}

// closingNameEquals(piece, name), with the common "/name>" compared at once.
bool closesElement(std::string_view piece, std::string_view name, bool plainName)
{
    if (!plainName || piece.size() < name.size() + 2 || piece.compare(1, name.size(), name) != 0
        || piece[name.size() + 1] != '>') {
        return closingNameEquals(piece, name);
    }
    // After the name only skipped bytes may follow, up to a NUL.
    for (const char c : piece.substr(name.size() + 2)) {
        if (c == '\0') {
            return true;
        }
        if (!isBlank(c) && c != '/' && c != '>') {
            return false;
        }
    }
    return true;
}

// What a byte means to readTagText, one table look-up per byte.
constexpr unsigned splitsTag = 1;  // a blank, another control byte or a quote
constexpr unsigned isSlash = 2;
constexpr std::array<unsigned char, 256> tagByteKinds = [] {
    std::array<unsigned char, 256> kinds {};
    for (std::size_t c = 0; c <= ' '; ++c) {
        kinds[c] = splitsTag;
    }
    kinds['"'] = splitsTag;
    kinds['/'] = isSlash;
    return kinds;
}();

// The name and attributes in a tag's text (the bytes before its first ">"),
// by the tag rules of load: tokens between spaces outside quotes, trimmed,
// "/" tokens dropped, the first the name, each other one split at its first
// "="; a self-closing tag's last token loses its "/". False when a token
// after the name has no "=" (the others are still read). The name is cut at
// a NUL as its Text would be.
bool readTagText(std::string_view tagText, bool opening, std::string_view& name, std::vector<XmlAttribute>& attributes,
                 bool& plainName)
{
    name = {};
    // Most tags are a bare name: one token, nothing to trim.
    bool bare = true;
    unsigned seen = 0;
    for (const char c : tagText) {
        const unsigned kind = tagByteKinds[static_cast<unsigned char>(c)];
        if ((kind & splitsTag) != 0) {
            bare = false;
            break;
        }
        seen |= kind;
    }
    const bool slash = (seen & isSlash) != 0;
    if (bare) {
        if (!tagText.empty() && tagText != "/") {
            if (!opening && tagText.ends_with('/')) {
                tagText.remove_suffix(1);
            }
            name = tagText;
        }
        plainName = !slash;
        return true;
    }
    // Each kept token is committed when the next one arrives, so that the
    // last one can still lose the "/" of a self-closing tag.
    bool failed = false;
    bool haveName = false;
    std::string_view pending;
    auto commit = [&](std::string_view token) {
        if (!haveName) {
            name = beforeNul(token);
            haveName = true;
            return;
        }
        const std::size_t equals = token.find('=');
        if (equals == std::string_view::npos) {
            failed = true;
            return;
        }
        attributes.push_back({Text(token.substr(0, equals)), Text(token.substr(equals + 1))});
    };
    forEachTagToken(tagText, [&](std::string_view token) {
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
    plainName = isPlainName(name);
    return !failed;
}

// The CDATA section (numbered from 1) a value whose first CDATA marker starts
// at `at` reads as; 0 when the marker names none and the value stays itself.
std::size_t sectionNamedAt(std::string_view bytes, std::size_t at, std::string_view marker, std::size_t sectionCount)
{
    const std::size_t numberStart = at + marker.size() + 1;
    const std::size_t dot = bytes.find('.', at);
    if (dot == std::string_view::npos || dot < numberStart) {
        return 0;
    }
    const int64_t number = numbers::toInteger(bytes.substr(numberStart, dot - numberStart));
    if (number < 1 || number > static_cast<int64_t>(sectionCount)) {
        return 0;
    }
    return static_cast<std::size_t>(number);
}

}  // namespace

bool XmlDocument::load(const Bytes& data, bool convertUndeclared, bool quoteAware)
{
    clear();
    m_sourceData = data;
    std::optional<Bytes> converted = convertedText(data, convertUndeclared);
    m_parsedText = converted ? std::move(*converted) : data;
    extractCdata(m_parsedText);
    return parseOwnText(quoteAware);
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
    // The marker only has to be absent from the data, so a small generator
    // does; seeding a Mersenne twister cost more than the rest of the search.
    std::minstd_rand generator(static_cast<std::minstd_rand::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
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
    constexpr std::size_t anchor = 1;  // the "!": rare, where "<" starts every tag
    if (findBytes(data, cdataOpen, anchor) == Bytes::npos) {
        return 0;
    }
    Bytes out;
    out.reserve(data.size());
    int count = 0;
    std::size_t from = 0;
    while (true) {
        const std::size_t open = findBytes(data, cdataOpen, anchor, from);
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

bool XmlDocument::parse(const Bytes& data, bool quoteAware)
{
    m_parsedText = data;
    return parseOwnText(quoteAware);
}

bool XmlDocument::parseOwnText(bool quoteAware)
{
    const Bytes& data = m_parsedText;
    // An element between its start and end tag. Its node record is made only
    // when it closes, in its final place: records are numbered in closing
    // order, and building one early meant moving it.
    struct OpenElement {
        std::string_view name;
        std::string_view value;        // as the start tag left it
        std::size_t valueSection = 0;  // the CDATA section the value reads as, or 0
        std::vector<XmlAttribute> attributes;
        std::size_t childStart = 0;  // its children in openChildren
        bool plainName = false;
    };
    std::vector<OpenElement> open;
    // The children of every open element (and of the document level),
    // innermost last: a closing element takes its list in one allocation
    // instead of growing it child by child.
    std::vector<int> openChildren;
    std::vector<NodeRecord> nodes;
    nodes.reserve(std::min<std::size_t>(countByte(data, '<') / 2 + 1, maximumNodes));
    int counter = 0;

    // Names and values read as text end at a NUL byte; most replies hold none.
    bool mayHoldNul = data.find('\0') != Bytes::npos;
    for (const Bytes& section : m_cdataSections) {
        mayHoldNul = mayHoldNul || section.find('\0') != Bytes::npos;
    }
    const auto nameRef = [&](std::string_view bytes) {
        if (mayHoldNul) {
            bytes = beforeNul(bytes);
        }
        if (bytes.empty()) {
            return TextRef {};  // a tag without a name has no place in the text
        }
        return TextRef {static_cast<std::size_t>(bytes.data() - data.data()), bytes.size(), TextRef::parsedText};
    };
    const auto valueRef = [&](const OpenElement& element) {
        const bool inSection = element.valueSection != 0;
        std::string_view bytes
            = inSection ? std::string_view(m_cdataSections[element.valueSection - 1]) : element.value;
        if (mayHoldNul) {
            bytes = beforeNul(bytes);
        }
        if (isAllBlank(bytes)) {
            return TextRef {};
        }
        if (inSection) {
            return TextRef {0, bytes.size(), static_cast<std::uint32_t>(element.valueSection)};
        }
        return TextRef {static_cast<std::size_t>(bytes.data() - data.data()), bytes.size(), TextRef::parsedText};
    };

    // Where the CDATA marker stands in the data, found once: values are
    // met in data order, so a cursor tells which marker, if any, is the first
    // in each, as a search of every value for it would.
    std::vector<std::size_t> markers;
    if (!m_cdataMarker.empty() && !m_cdataSections.empty()) {
        for (std::size_t at = findBytes(data, m_cdataMarker, 0); at != Bytes::npos;
             at = findBytes(data, m_cdataMarker, 0, at + 1)) {
            markers.push_back(at);
        }
    }
    std::size_t nextMarker = 0;
    const auto sectionOf = [&](std::string_view raw) -> std::size_t {
        const auto start = static_cast<std::size_t>(raw.data() - data.data());
        while (nextMarker < markers.size() && markers[nextMarker] < start) {
            ++nextMarker;
        }
        if (nextMarker == markers.size() || markers[nextMarker] + m_cdataMarker.size() > start + raw.size()) {
            return 0;
        }
        return sectionNamedAt(raw, markers[nextMarker] - start, m_cdataMarker, m_cdataSections.size());
    };

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
        // The open elements count with the pseudo-element of the document level.
        if (static_cast<std::size_t>(counter) + open.size() + 1 >= maximumNodes) {
            return false;
        }
        const bool closing = piece.front() == '/';
        const bool selfClosing = close > 0 && piece[close - 1] == '/';
        if (closing) {
            if (selfClosing || open.empty() || !closesElement(piece, open.back().name, open.back().plainName)) {
                return false;
            }
            ++counter;
            OpenElement& element = open.back();
            const auto first = openChildren.begin() + static_cast<std::ptrdiff_t>(element.childStart);
            NodeRecord& record = nodes.emplace_back(
                NodeRecord {nameRef(element.name), valueRef(element), std::move(element.attributes),
                            std::vector<int>(first, openChildren.end()), 0, counter});
            openChildren.erase(first, openChildren.end());
            open.pop_back();
            openChildren.push_back(counter);
            for (const int child : record.children) {
                nodes[static_cast<std::size_t>(child - 1)].parent = counter;
            }
            return true;
        }
        if (selfClosing) {
            NodeRecord& record = nodes.emplace_back();
            std::string_view name;
            bool plainName = false;
            if (!readTagText(piece.substr(0, close), false, name, record.attributes, plainName)) {
                return false;
            }
            record.name = nameRef(name);
            ++counter;
            openChildren.push_back(counter);
            record.index = counter;
            return true;
        }
        OpenElement& element = open.emplace_back();
        if (!readTagText(piece.substr(0, close), true, element.name, element.attributes, element.plainName)) {
            return false;
        }
        element.value = piece.substr(close + 1);
        element.valueSection = sectionOf(element.value);
        element.childStart = openChildren.size();
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
