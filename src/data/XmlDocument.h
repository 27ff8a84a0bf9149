#pragma once

// A forgiving XML reader and editor: the text is cut at every "<" into tag
// pieces, elements are numbered in the order in which they close, attribute
// values keep their quotes and no entity is decoded. Callers depend on these
// properties (absolute node numbers in paths, attribute values as written), so
// they are the contract, not accidents. Node index 0 stands for the document
// element wherever a node index is accepted.
//
// Names and values stay where load found them (in the document's own copy of
// the converted text, or in its CDATA sections) and are read as views; only
// names and values set by an edit get storage of their own. A load therefore
// allocates for the node table and the child lists, not for every value.

#include "runtime/Text.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace quorvo::data {

struct XmlAttribute {
    Text name;   // bytes before the first "="
    Text value;  // every byte after it, double quotes as written

    friend bool operator==(const XmlAttribute&, const XmlAttribute&) = default;
};

struct XmlNode {
    Text name;
    Text value;  // text after the start tag up to the next "<"; "" when only blanks
    std::vector<XmlAttribute> attributes;
    std::vector<int> children;  // node indices, document order
    int parent = 0;             // 0 for the document element
    int index = 0;

    friend bool operator==(const XmlNode&, const XmlNode&) = default;
};

// The three tables that make a document, for export and import.
struct XmlTables {
    std::vector<XmlNode> nodes;
    std::vector<int> freeList;
    int rootIndex = 0;
};

class XmlDocument {
public:
    // More elements than this make a load fail: a reply that large is not an
    // answer the program asked for, and holding it would exhaust memory.
    static constexpr std::size_t maximumNodes = 1'000'000;

    [[nodiscard]] XmlDocument clone() const { return *this; }
    [[nodiscard]] Bytes getSourceData() const { return m_sourceData; }
    [[nodiscard]] Text toText() const;
    // Appends the node's XML; node 0 replaces `out` with the declaration first.
    void serializeNode(int node, Text& out) const;

    bool load(const Bytes& data, bool convertUndeclared = false, bool quoteAware = false);
    void clear();

    // -1: invalid or released; 0: the document element; 1: any other node.
    [[nodiscard]] int checkNode(int node) const;
    bool getNode(int node, XmlNode& out) const;
    [[nodiscard]] std::optional<XmlNode> getNode(int node) const;
    int removeNode(int node);
    int releaseNode(int node);
    void setNode(int node, const std::optional<Text>& name = std::nullopt,
                 const std::optional<Text>& value = std::nullopt,
                 const std::optional<std::vector<XmlAttribute>>& attributes = std::nullopt);
    int addNode(int parent);

    bool getNodeByPath(const Text& path, XmlNode& out) const;
    [[nodiscard]] std::optional<XmlNode> getNodeByPath(const Text& path) const;
    // The value of the node a path names; "" when the path fails.
    [[nodiscard]] Text valueAt(const Text& path) const;
    // The value of a node without a copy; "" for an invalid index. The view
    // lasts until the document is loaded, cleared, imported or edited again.
    [[nodiscard]] std::string_view valueOf(int node) const;
    // The children of a node without a copy; none for an invalid index.
    [[nodiscard]] std::span<const int> childrenOf(int node) const;
    // The node index a path names; -1 when it fails.
    [[nodiscard]] int indexByPath(const Text& path) const;
    // One path step from `current` (-1 = document level); -1 = no such node.
    [[nodiscard]] int resolveStep(int current, std::string_view step) const;

    [[nodiscard]] XmlTables exportTables() const;
    void importTables(XmlTables tables);

    [[nodiscard]] Text getName(int node) const;
    [[nodiscard]] int rootIndex() const { return m_rootIndex; }
    [[nodiscard]] int nodeTableSize() const { return static_cast<int>(m_nodes.size()); }
    [[nodiscard]] const std::vector<int>& freeList() const { return m_freeList; }

    // The steps of load, public because their rules are part of the contract.
    int extractCdata(Bytes& data);
    bool parse(const Bytes& data, bool quoteAware);
    bool convertEncoding(Bytes& data, bool convertUndeclared) const;
    [[nodiscard]] const std::vector<Bytes>& cdataSections() const { return m_cdataSections; }
    [[nodiscard]] const Bytes& cdataMarker() const { return m_cdataMarker; }

    static std::vector<Bytes> splitOutsideQuotes(std::string_view data, std::string_view delimiter);
    static Bytes stripBlanks(std::string_view bytes);
    static Text closingTagName(std::string_view piece);
    static Bytes makeMarker(std::string_view data, int letterCount = 5);

private:
    // Where a name or value lives: bytes of the parsed text, of a CDATA
    // section (sources 1..n), or a text an edit stored.
    struct TextRef {
        static constexpr std::uint32_t parsedText = 0;
        static constexpr std::uint32_t edited = UINT32_MAX;
        std::size_t offset = 0;  // into the source; for an edited text, its index
        std::size_t size = 0;
        std::uint32_t source = parsedText;
    };
    struct NodeRecord {
        TextRef name;
        TextRef value;
        std::vector<XmlAttribute> attributes;
        std::vector<int> children;
        int parent = 0;
        int index = 0;
    };

    [[nodiscard]] int mapRoot(int node) const { return node == 0 ? m_rootIndex : node; }
    // checkNode(node) >= 0, inline: path steps test every child they pass.
    [[nodiscard]] bool isValid(int node) const
    {
        const auto at = static_cast<std::size_t>(node);
        return node > 0 && at <= m_nodes.size() && !(at < m_released.size() && m_released[at]);
    }
    [[nodiscard]] const NodeRecord& record(int index) const { return m_nodes[static_cast<std::size_t>(index - 1)]; }
    [[nodiscard]] NodeRecord& record(int index) { return m_nodes[static_cast<std::size_t>(index - 1)]; }
    [[nodiscard]] std::string_view view(const TextRef& ref) const
    {
        if (ref.source == TextRef::parsedText)
            return std::string_view(m_parsedText).substr(ref.offset, ref.size);
        if (ref.source == TextRef::edited)
            return m_edited[ref.offset].view();
        return std::string_view(m_cdataSections[ref.source - 1]).substr(ref.offset, ref.size);
    }
    // Stores an edit's text, in the slot the reference already has when it has one.
    void storeEdited(TextRef& ref, const Text& text);
    [[nodiscard]] XmlNode nodeOf(const NodeRecord& record) const;
    bool parseOwnText(bool quoteAware);
    // The encoding rule of convertEncoding: the converted text, or nullopt when it stays as it is.
    static std::optional<Bytes> convertedText(std::string_view data, bool convertUndeclared);

    Bytes m_sourceData;
    // The text the node table refers to: the converted text with its CDATA cut out.
    Bytes m_parsedText;
    std::vector<NodeRecord> m_nodes;
    std::vector<Text> m_edited;
    std::vector<Bytes> m_cdataSections;
    Bytes m_cdataMarker;
    int m_rootIndex = 0;
    std::vector<int> m_freeList;
    std::vector<bool> m_released;  // mirrors m_freeList for constant-time checks
};

}  // namespace quorvo::data
