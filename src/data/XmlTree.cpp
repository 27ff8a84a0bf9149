// The node table: validity, copies, editing and writing the tree back out.

#include "data/XmlDocument.h"

#include <algorithm>
#include <utility>

namespace quorvo::data {
namespace {

constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"gb2312\" ?>";

}  // namespace

void XmlDocument::clear()
{
    m_sourceData.clear();
    m_parsedText.clear();
    m_nodes.clear();
    m_edited.clear();
    m_cdataSections.clear();
    m_cdataMarker.clear();
    m_rootIndex = 0;
    m_freeList.clear();
    m_released.assign(1, false);
}

int XmlDocument::checkNode(int node) const
{
    if (node <= 0 || static_cast<std::size_t>(node) > m_nodes.size()) {
        return -1;
    }
    if (static_cast<std::size_t>(node) < m_released.size() && m_released[static_cast<std::size_t>(node)]) {
        return -1;
    }
    return node == m_rootIndex ? 0 : 1;
}

bool XmlDocument::getNode(int node, XmlNode& out) const
{
    const int index = mapRoot(node);
    if (!isValid(index)) {
        return false;
    }
    out = nodeOf(record(index));
    return true;
}

XmlNode XmlDocument::nodeOf(const NodeRecord& record) const
{
    return {Text(view(record.name)), Text(view(record.value)),
            record.attributes,       record.children,
            record.parent,           record.index};
}

void XmlDocument::storeEdited(TextRef& ref, const Text& text)
{
    if (ref.source != TextRef::edited) {
        ref = {m_edited.size(), 0, TextRef::edited};
        m_edited.emplace_back();
    }
    m_edited[ref.offset] = text;
    ref.size = text.size();
}

std::optional<XmlNode> XmlDocument::getNode(int node) const
{
    XmlNode out;
    if (!getNode(node, out)) {
        return std::nullopt;
    }
    return out;
}

Text XmlDocument::getName(int node) const
{
    if (m_rootIndex == 0) {
        return {};
    }
    const int index = mapRoot(node);
    return isValid(index) ? Text(view(record(index).name)) : Text();
}

int XmlDocument::releaseNode(int node)
{
    if (node <= 0 || static_cast<std::size_t>(node) > m_nodes.size() || m_released[static_cast<std::size_t>(node)]) {
        return -1;
    }
    const int direct = static_cast<int>(record(node).children.size());
    // Depth first, the node before its children, children in order.
    std::vector<int> pending {node};
    while (!pending.empty()) {
        const int current = pending.back();
        pending.pop_back();
        if (current <= 0 || static_cast<std::size_t>(current) > m_nodes.size()
            || m_released[static_cast<std::size_t>(current)]) {
            continue;
        }
        m_released[static_cast<std::size_t>(current)] = true;
        m_freeList.push_back(current);
        const auto& children = record(current).children;
        pending.insert(pending.end(), children.rbegin(), children.rend());
    }
    return direct;
}

int XmlDocument::removeNode(int node)
{
    const int check = checkNode(node);
    if (check < 1) {
        return check;
    }
    const int parent = record(node).parent;
    if (parent >= 1 && static_cast<std::size_t>(parent) <= m_nodes.size()) {
        auto& siblings = record(parent).children;
        const auto found = std::find(siblings.begin(), siblings.end(), node);
        if (found != siblings.end()) {
            siblings.erase(found);
        }
    }
    return releaseNode(node);
}

void XmlDocument::setNode(int node, const std::optional<Text>& name, const std::optional<Text>& value,
                          const std::optional<std::vector<XmlAttribute>>& attributes)
{
    const int index = mapRoot(node);
    if (!isValid(index)) {
        return;
    }
    NodeRecord& edited = record(index);
    if (name) {
        storeEdited(edited.name, *name);
    }
    if (value) {
        storeEdited(edited.value, *value);
    }
    if (attributes) {
        edited.attributes = *attributes;
    }
}

int XmlDocument::addNode(int parent)
{
    const int parentIndex = mapRoot(parent);
    if (!isValid(parentIndex)) {
        return -1;
    }
    int index = 0;
    if (m_freeList.empty()) {
        index = static_cast<int>(m_nodes.size()) + 1;
        NodeRecord added;
        added.parent = parentIndex;
        added.index = index;
        m_nodes.push_back(std::move(added));
        m_released.push_back(false);
    } else {
        index = m_freeList.front();
        m_freeList.erase(m_freeList.begin());
        if (index <= 0 || static_cast<std::size_t>(index) > m_nodes.size()) {
            return -1;  // an imported free list may name slots that do not exist
        }
        m_released[static_cast<std::size_t>(index)] = false;
        NodeRecord& reused = record(index);
        // An edited slot is kept, emptied, so that reuse does not grow the edits.
        for (TextRef* ref : {&reused.name, &reused.value}) {
            if (ref->source == TextRef::edited) {
                storeEdited(*ref, Text());
            } else {
                *ref = {};
            }
        }
        reused.attributes.clear();
        reused.children.clear();
        reused.parent = parentIndex;
    }
    record(parentIndex).children.push_back(index);
    return index;
}

XmlTables XmlDocument::exportTables() const
{
    XmlTables tables {{}, m_freeList, m_rootIndex};
    tables.nodes.reserve(m_nodes.size());
    for (const NodeRecord& each : m_nodes) {
        tables.nodes.push_back(nodeOf(each));
    }
    return tables;
}

void XmlDocument::importTables(XmlTables tables)
{
    clear();
    m_nodes.reserve(tables.nodes.size());
    m_edited.reserve(2 * tables.nodes.size());
    for (XmlNode& node : tables.nodes) {
        NodeRecord& imported = m_nodes.emplace_back();
        storeEdited(imported.name, node.name);
        storeEdited(imported.value, node.value);
        imported.attributes = std::move(node.attributes);
        imported.children = std::move(node.children);
        imported.parent = node.parent;
        imported.index = node.index;
    }
    m_freeList = std::move(tables.freeList);
    m_rootIndex = tables.rootIndex;
    m_released.assign(m_nodes.size() + 1, false);
    for (const int index : m_freeList) {
        if (index > 0 && static_cast<std::size_t>(index) <= m_nodes.size()) {
            m_released[static_cast<std::size_t>(index)] = true;
        }
    }
}

void XmlDocument::serializeNode(int node, Text& out) const
{
    if (node == 0) {
        if (getName(0).empty()) {
            return;
        }
        out = Text(declaration);
        node = m_rootIndex;
    } else if (!isValid(node)) {
        return;
    }
    // An explicit stack, and each node written once, so neither depth nor an
    // imported table with a cycle can run away.
    std::vector<bool> written(m_nodes.size() + 1, false);
    std::vector<std::pair<int, std::size_t>> open;  // node, next child
    Bytes text = out.str();
    auto enter = [&](int index) {
        written[static_cast<std::size_t>(index)] = true;
        const NodeRecord& entered = record(index);
        const std::string_view value = view(entered.value);
        text += '<';
        text += view(entered.name);
        for (const XmlAttribute& attribute : entered.attributes) {
            text += ' ';
            text += attribute.name.view();
            text += '=';
            text += attribute.value.view();
        }
        text += '>';
        if (value.find('<') == std::string_view::npos) {
            text += value;
        } else {
            text += "<![CDATA[";
            text += value;
            text += "]]>";
        }
        open.emplace_back(index, 0);
    };
    enter(node);
    while (!open.empty()) {
        auto& [index, next] = open.back();
        const NodeRecord& current = record(index);
        if (next < current.children.size()) {
            const int child = current.children[next++];
            if (isValid(child) && !written[static_cast<std::size_t>(child)]) {
                enter(child);
            }
            continue;
        }
        text += "</";
        text += view(current.name);
        text += '>';
        open.pop_back();
    }
    out = Text(text);
}

Text XmlDocument::toText() const
{
    Text out;
    serializeNode(0, out);
    return out;
}

}  // namespace quorvo::data
