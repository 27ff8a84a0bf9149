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
    m_nodes.clear();
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
    out = m_nodes[static_cast<std::size_t>(index - 1)];
    return true;
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
    return isValid(index) ? m_nodes[static_cast<std::size_t>(index - 1)].name : Text();
}

int XmlDocument::releaseNode(int node)
{
    if (node <= 0 || static_cast<std::size_t>(node) > m_nodes.size() || m_released[static_cast<std::size_t>(node)]) {
        return -1;
    }
    const int direct = static_cast<int>(m_nodes[static_cast<std::size_t>(node - 1)].children.size());
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
        const auto& children = m_nodes[static_cast<std::size_t>(current - 1)].children;
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
    const int parent = m_nodes[static_cast<std::size_t>(node - 1)].parent;
    if (parent >= 1 && static_cast<std::size_t>(parent) <= m_nodes.size()) {
        auto& siblings = m_nodes[static_cast<std::size_t>(parent - 1)].children;
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
    XmlNode& record = m_nodes[static_cast<std::size_t>(index - 1)];
    if (name) {
        record.name = *name;
    }
    if (value) {
        record.value = *value;
    }
    if (attributes) {
        record.attributes = *attributes;
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
        XmlNode record;
        record.parent = parentIndex;
        record.index = index;
        m_nodes.push_back(std::move(record));
        m_released.push_back(false);
    } else {
        index = m_freeList.front();
        m_freeList.erase(m_freeList.begin());
        if (index <= 0 || static_cast<std::size_t>(index) > m_nodes.size()) {
            return -1;  // an imported free list may name slots that do not exist
        }
        m_released[static_cast<std::size_t>(index)] = false;
        XmlNode& record = m_nodes[static_cast<std::size_t>(index - 1)];
        record.name = Text();
        record.value = Text();
        record.attributes.clear();
        record.children.clear();
        record.parent = parentIndex;
    }
    m_nodes[static_cast<std::size_t>(parentIndex - 1)].children.push_back(index);
    return index;
}

XmlTables XmlDocument::exportTables() const
{
    return {m_nodes, m_freeList, m_rootIndex};
}

void XmlDocument::importTables(XmlTables tables)
{
    clear();
    m_nodes = std::move(tables.nodes);
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
        const XmlNode& record = m_nodes[static_cast<std::size_t>(index - 1)];
        text += '<';
        text += record.name.view();
        for (const XmlAttribute& attribute : record.attributes) {
            text += ' ';
            text += attribute.name.view();
            text += '=';
            text += attribute.value.view();
        }
        text += '>';
        if (record.value.view().find('<') == std::string_view::npos) {
            text += record.value.view();
        } else {
            text += "<![CDATA[";
            text += record.value.view();
            text += "]]>";
        }
        open.emplace_back(index, 0);
    };
    enter(node);
    while (!open.empty()) {
        auto& [index, next] = open.back();
        const XmlNode& record = m_nodes[static_cast<std::size_t>(index - 1)];
        if (next < record.children.size()) {
            const int child = record.children[next++];
            if (isValid(child) && !written[static_cast<std::size_t>(child)]) {
                enter(child);
            }
            continue;
        }
        text += "</";
        text += record.name.view();
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
