// Loading: encoding rule, CDATA cut-out and the tokenizer that builds the
// node table. Every pass is a single left-to-right scan with an explicit
// stack, so neither size nor nesting depth of a reply can exhaust the stack.

#include "data/XmlDocument.h"

#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

#include <chrono>
#include <random>

namespace quorvo {
namespace {

constexpr std::string_view cdataOpen = "<![CDATA[";
constexpr std::string_view cdataClose = "]]>";
constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool isAllBlank(std::string_view bytes) {
    for (const char c : bytes) {
        if (!isBlank(c)) {
            return false;
        }
    }
    return true;
}

std::string_view trimBlanks(std::string_view bytes) {
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
bool forEachPiece(std::string_view data, std::string_view delimiter, bool quoteAware, OnPiece&& onPiece) {
    if (delimiter.empty()) {
        return onPiece(data);
    }
    std::size_t pieceStart = 0;
    bool inQuotes = false;
    std::size_t i = 0;
    while (i < data.size()) {
        if (quoteAware && data[i] == '"') {
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        if (!inQuotes && data.compare(i, delimiter.size(), delimiter) == 0) {
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

// Splits a tag's text at ASCII spaces that are not inside double quotes.
std::vector<std::string_view> tagTokens(std::string_view tagText) {
    std::vector<std::string_view> tokens;
    bool inQuotes = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < tagText.size(); ++i) {
        if (tagText[i] == '"') {
            inQuotes = !inQuotes;
        } else if (tagText[i] == ' ' && !inQuotes) {
            tokens.push_back(tagText.substr(start, i - start));
            start = i + 1;
        }
    }
    tokens.push_back(tagText.substr(start));
    return tokens;
}

}  // namespace

bool XmlDocument::load(const Bytes& data, bool convertUndeclared, bool quoteAware) {
    clear();
    m_sourceData = data;
    Bytes work = data;
    convertEncoding(work, convertUndeclared);
    extractCdata(work);
    return parse(work, quoteAware);
}

bool XmlDocument::convertEncoding(Bytes& data, bool convertUndeclared) const {
    const Text asText = Text::fromBytes(data);
    const int64_t at = text::find(asText.view(), "encoding", 1, CaseSensitivity::Insensitive);
    // An absent declaration reads as position -1, so the test then looks at
    // the text from byte 7 on, as the rule has always done.
    const int64_t start = at + 8;
    const int64_t end = text::find(asText.view(), "?>", start);
    Text declared = end == -1 ? Text() : text::mid(asText.view(), start, end - start);
    declared = text::replaceAll(declared.view(), "=", "");
    declared = text::replaceAll(declared.view(), "\"", "");
    declared = text::toLower(text::trim(declared.view()).view());

    if (declared == "gb2312") {
        return false;
    }
    if (declared != "utf-8" && !convertUndeclared) {
        return false;
    }
    std::string_view utf8 = asText.view();
    if (utf8.starts_with(utf8ByteOrderMark)) {
        // The mark has no place in program text; left in, it would be a
        // stray piece before the first tag.
        utf8.remove_prefix(utf8ByteOrderMark.size());
    }
    data = encoding::fromUtf8(utf8).str();
    return true;
}

Bytes XmlDocument::makeMarker(std::string_view data, int letterCount) {
    std::mt19937 generator(static_cast<std::mt19937::result_type>(
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

int XmlDocument::extractCdata(Bytes& data) {
    m_cdataMarker = makeMarker(data);
    Bytes out;
    out.reserve(data.size());
    int count = 0;
    std::size_t from = 0;
    while (true) {
        const std::size_t open = data.find(cdataOpen, from);
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

Text XmlDocument::resolveCdata(std::string_view bytes) const {
    if (m_cdataMarker.empty()) {
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

std::vector<Bytes> XmlDocument::splitOutsideQuotes(std::string_view data, std::string_view delimiter) {
    std::vector<Bytes> pieces;
    forEachPiece(data, delimiter, true, [&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    });
    return pieces;
}

Bytes XmlDocument::stripBlanks(std::string_view bytes) {
    Bytes out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (!isBlank(c)) {
            out += c;
        }
    }
    return out;
}

Text XmlDocument::closingTagName(std::string_view piece) {
    Bytes name;
    for (const char c : piece) {
        if (!isBlank(c) && c != '/' && c != '>') {
            name += c;
        }
    }
    return Text(name);
}

bool XmlDocument::parseTag(std::string_view piece, std::size_t closeAt, XmlNode& record, bool opening) const {
    record.name = Text();
    record.value = Text();
    record.attributes.clear();
    record.children.clear();
    if (closeAt < 1 || closeAt > piece.size()) {
        return false;
    }
    std::vector<std::string_view> kept;
    for (const std::string_view token : tagTokens(piece.substr(0, closeAt - 1))) {
        // Blanks at a token's ends are dropped too, so a start tag may be
        // broken across lines between its name and attributes.
        const std::string_view trimmed = trimBlanks(token);
        if (!trimmed.empty() && trimmed != "/") {
            kept.push_back(trimmed);
        }
    }
    if (!opening && !kept.empty() && kept.back().ends_with('/')) {
        kept.back().remove_suffix(1);
    }
    if (!kept.empty()) {
        record.name = Text(kept.front());
    }
    if (opening) {
        record.value = resolveCdata(piece.substr(closeAt));
    }
    for (std::size_t i = 1; i < kept.size(); ++i) {
        const std::size_t equals = kept[i].find('=');
        if (equals == std::string_view::npos) {
            return false;
        }
        record.attributes.push_back({Text(kept[i].substr(0, equals)), Text(kept[i].substr(equals + 1))});
    }
    return true;
}

bool XmlDocument::parse(const Bytes& data, bool quoteAware) {
    // Bottom entry: the document pseudo-element that collects the top level.
    std::vector<XmlNode> open(1);
    std::vector<XmlNode> nodes;
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
            if (selfClosing || open.size() < 2 || closingTagName(piece) != open.back().name) {
                return false;
            }
            ++counter;
            XmlNode record = std::move(open.back());
            open.pop_back();
            open.back().children.push_back(counter);
            record.index = counter;
            for (const int child : record.children) {
                nodes[static_cast<std::size_t>(child - 1)].parent = counter;
            }
            if (isAllBlank(record.value.view())) {
                record.value = Text();
            }
            nodes.push_back(std::move(record));
            return true;
        }
        XmlNode record;
        if (!parseTag(piece, close + 1, record, !selfClosing)) {
            return false;
        }
        if (selfClosing) {
            ++counter;
            open.back().children.push_back(counter);
            record.index = counter;
            nodes.push_back(std::move(record));
        } else {
            open.push_back(std::move(record));
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

}  // namespace quorvo
