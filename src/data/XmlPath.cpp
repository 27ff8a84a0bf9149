// The path language: steps separated by "/", resolved from document level.
//   "<#N"  absolute node N ("<#0" is the document element)
//   "<@k"  the k-th child (at document level: the document element for k = 1)
//   name   the first child with exactly that name
// Digits after "<#" and "<@" are read up to the first non-digit, so "<@3<"
// is the third child.

#include "data/XmlDocument.h"

#include <limits>

namespace quorvo::data {
namespace {

// Leading decimal digits; nullopt when there are none or they overflow an int.
std::optional<int> leadingNumber(std::string_view text)
{
    int64_t value = 0;
    bool digits = false;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        digits = true;
        value = value * 10 + (c - '0');
        if (value > std::numeric_limits<int>::max()) {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

}  // namespace

int XmlDocument::resolveStep(int current, std::string_view step) const
{
    const bool atDocumentLevel = current == -1;
    if (step.starts_with("<#")) {
        const int number = leadingNumber(step.substr(2)).value_or(0);
        if (number == 0 && step != "<#0") {
            return -1;
        }
        return number;
    }
    if (step.starts_with("<@")) {
        const std::optional<int> position = leadingNumber(step.substr(2));
        if (!position) {
            return -1;
        }
        if (atDocumentLevel) {
            return *position == 1 && m_rootIndex != 0 ? m_rootIndex : -1;
        }
        const int index = mapRoot(current);
        if (!isValid(index)) {
            return -1;
        }
        const auto& children = record(index).children;
        if (*position < 1 || static_cast<std::size_t>(*position) > children.size()) {
            return -1;
        }
        return children[static_cast<std::size_t>(*position - 1)];
    }
    if (step.starts_with("<")) {
        return -1;
    }
    if (atDocumentLevel) {
        return m_rootIndex != 0 && view(record(m_rootIndex).name) == step ? m_rootIndex : -1;
    }
    const int index = mapRoot(current);
    if (!isValid(index)) {
        return -1;
    }
    // The name first: it rules out almost every child without a look at the
    // release table.
    const std::size_t nodeCount = m_nodes.size();
    for (const int child : record(index).children) {
        if (child > 0 && static_cast<std::size_t>(child) <= nodeCount && view(record(child).name) == step
            && isValid(child)) {
            return child;
        }
    }
    return -1;
}

int XmlDocument::indexByPath(const Text& path) const
{
    if (m_rootIndex == 0 || !isValid(m_rootIndex)) {
        return -1;
    }
    // Steps between "/" ("/" never occurs inside a multi-byte character);
    // a trailing "/" adds no step.
    std::string_view rest = path.view();
    if (rest.empty()) {
        return -1;
    }
    int current = -1;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view step = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (current != -1 && !isValid(mapRoot(current))) {
            return -1;
        }
        current = resolveStep(current, step);
        if (current == -1) {
            return -1;
        }
    }
    const int index = mapRoot(current);
    return isValid(index) ? index : -1;
}

bool XmlDocument::getNodeByPath(const Text& path, XmlNode& out) const
{
    const int index = indexByPath(path);
    if (index == -1) {
        return false;
    }
    out = nodeOf(record(index));
    return true;
}

std::optional<XmlNode> XmlDocument::getNodeByPath(const Text& path) const
{
    XmlNode out;
    if (!getNodeByPath(path, out)) {
        return std::nullopt;
    }
    return out;
}

std::string_view XmlDocument::valueOf(int node) const
{
    const int index = mapRoot(node);
    return isValid(index) ? view(record(index).value) : std::string_view();
}

std::span<const int> XmlDocument::childrenOf(int node) const
{
    const int index = mapRoot(node);
    if (!isValid(index)) {
        return {};
    }
    return record(index).children;
}

Text XmlDocument::valueAt(const Text& path) const
{
    const int index = indexByPath(path);
    return index == -1 ? Text() : Text(view(record(index).value));
}

}  // namespace quorvo::data
