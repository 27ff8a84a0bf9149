#include "data/JsonPath.h"

namespace quorvo::data::detail {
namespace {

// Arrays grow by assignment past their end, with null in the gap, as script
// arrays do; a gap wider than this is refused rather than allocated.
constexpr int64_t maximumArrayGap = 65536;

bool isNameByte(char c)
{
    return c != '.' && c != '[' && c != ']' && c != ' ' && c != '\t';
}

bool parseBracket(std::string_view text, std::size_t& at, PathStep& step)
{
    ++at;  // "["
    if (at < text.size() && (text[at] == '\'' || text[at] == '"')) {
        const char quote = text[at++];
        const std::size_t end = text.find(quote, at);
        if (end == std::string_view::npos || end + 1 >= text.size() || text[end + 1] != ']') {
            return false;
        }
        step.name = std::string(text.substr(at, end - at));
        at = end + 2;
        return true;
    }
    bool negative = false;
    if (at < text.size() && text[at] == '-') {
        negative = true;
        ++at;
    }
    int64_t value = 0;
    bool digits = false;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        digits = true;
        value = value < 1'000'000'000'000 ? value * 10 + (text[at] - '0') : value;
        ++at;
    }
    if (!digits || at >= text.size() || text[at] != ']') {
        return false;
    }
    ++at;
    step.isIndex = true;
    step.index = negative ? -value : value;
    return true;
}

bool parseName(std::string_view text, std::size_t& at, PathStep& step)
{
    const std::size_t start = at;
    while (at < text.size() && isNameByte(text[at])) {
        ++at;
    }
    if (at == start || (text[start] >= '0' && text[start] <= '9')) {
        return false;  // not an identifier: the expression would not compile
    }
    step.name = std::string(text.substr(start, at - start));
    return true;
}

}  // namespace

std::optional<Path> parsePath(std::string_view text, PathForm form)
{
    Path path;
    if (text.empty()) {
        if (form == PathForm::Optional) {
            return path;
        }
        return std::nullopt;
    }
    std::size_t at = 0;
    PathStep first;
    if (text[0] == '[') {
        if (form != PathForm::IndexAware || !parseBracket(text, at, first)) {
            return std::nullopt;
        }
    } else if (!parseName(text, at, first)) {
        return std::nullopt;
    }
    path.push_back(std::move(first));
    while (at < text.size()) {
        PathStep step;
        if (text[at] == '.') {
            ++at;
            if (!parseName(text, at, step)) {
                return std::nullopt;
            }
        } else if (text[at] == '[') {
            if (!parseBracket(text, at, step)) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
        path.push_back(std::move(step));
    }
    return path;
}

namespace {

const Json* child(const Json& parent, const PathStep& step)
{
    if (parent.is_object()) {
        const std::string key = step.isIndex ? std::to_string(step.index) : step.name;
        const auto found = parent.find(key);
        return found == parent.end() ? nullptr : &*found;
    }
    if (parent.is_array() && step.isIndex) {
        if (step.index < 0 || static_cast<std::size_t>(step.index) >= parent.size()) {
            return nullptr;
        }
        return &parent[static_cast<std::size_t>(step.index)];
    }
    return nullptr;
}

}  // namespace

const Json* find(const Json& root, const Path& path)
{
    const Json* current = &root;
    for (const PathStep& step : path) {
        current = child(*current, step);
        if (current == nullptr) {
            return nullptr;
        }
    }
    return current;
}

Json* find(Json& root, const Path& path)
{
    return const_cast<Json*>(find(static_cast<const Json&>(root), path));
}

const Json* elementOf(const Json* value, int64_t index)
{
    if (value == nullptr) {
        return nullptr;
    }
    PathStep step;
    step.isIndex = true;
    step.index = index;
    return child(*value, step);
}

bool store(Json& parent, const PathStep& step, Json value)
{
    if (parent.is_object()) {
        parent[step.isIndex ? std::to_string(step.index) : step.name] = std::move(value);
        return true;
    }
    if (parent.is_array() && step.isIndex && step.index >= 0) {
        const auto size = static_cast<int64_t>(parent.size());
        if (step.index >= size + maximumArrayGap) {
            return false;
        }
        auto& elements = parent.get_ref<Json::array_t&>();
        if (step.index >= size) {
            elements.resize(static_cast<std::size_t>(step.index) + 1);
        }
        elements[static_cast<std::size_t>(step.index)] = std::move(value);
        return true;
    }
    return false;  // a property on a scalar, or a name on an array: not kept
}

}  // namespace quorvo::data::detail
