#include "data/JsonValue.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace quorvo::data::detail {
namespace {

// Builds the value without nlohmann's ordered_map insertion, which looks each
// new member name up linearly: a reply with many members would take quadratic
// time. A duplicate name keeps its first position and takes the last value,
// as a script object literal does.
class Builder final : public nlohmann::json_sax<Json> {
public:
    explicit Builder(int maximumDepth)
        : m_maximumDepth(maximumDepth)
    { }

    bool null() override { return add(Json(nullptr)); }
    bool boolean(bool value) override { return add(Json(value)); }
    bool number_integer(number_integer_t value) override { return add(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return add(Json(value)); }
    bool number_float(number_float_t value, const string_t& /*text*/) override { return add(numberValue(value)); }
    bool string(string_t& value) override { return add(Json(std::move(value))); }
    bool binary(binary_t& /*value*/) override { return false; }
    bool start_object(std::size_t /*count*/) override { return open(Json::object()); }
    bool key(string_t& name) override
    {
        m_key = std::move(name);
        return true;
    }
    bool end_object() override { return close(); }
    bool start_array(std::size_t /*count*/) override { return open(Json::array()); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                     const nlohmann::detail::exception& /*error*/) override
    {
        return false;
    }

    Json takeRoot() { return std::move(m_root); }

private:
    struct Frame {
        Json* container = nullptr;
        std::unordered_map<std::string, std::size_t> memberAt;  // objects only
    };

    bool add(Json value)
    {
        put(std::move(value));
        return true;
    }

    Json* put(Json value)
    {
        if (m_open.empty()) {
            m_root = std::move(value);
            return &m_root;
        }
        Frame& frame = m_open.back();
        if (frame.container->is_array()) {
            auto& elements = frame.container->get_ref<Json::array_t&>();
            elements.push_back(std::move(value));
            return &elements.back();
        }
        auto& members = static_cast<Json::object_t::Container&>(frame.container->get_ref<Json::object_t&>());
        const auto [found, inserted] = frame.memberAt.try_emplace(m_key, members.size());
        if (!inserted) {
            members[found->second].second = std::move(value);
            return &members[found->second].second;
        }
        members.emplace_back(m_key, std::move(value));
        return &members.back().second;
    }

    bool open(Json container)
    {
        if (static_cast<int>(m_open.size()) >= m_maximumDepth) {
            return false;
        }
        Json* placed = put(std::move(container));
        m_open.push_back(Frame {placed, {}});
        return true;
    }

    bool close()
    {
        m_open.pop_back();
        return true;
    }

    int m_maximumDepth;
    Json m_root;
    std::vector<Frame> m_open;
    std::string m_key;
};

bool isIdentifierStart(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || byte >= 0x80;
}

bool isIdentifierPart(char c)
{
    return isIdentifierStart(c) || (c >= '0' && c <= '9');
}

// Rewrites the script-literal conveniences into JSON: single-quoted strings
// become double-quoted ones, bare member names get quotes. Everything else is
// copied, so real syntax errors stay errors.
std::string scriptLiteralToJson(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 16);
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            const std::size_t start = i++;
            while (i < text.size() && text[i] != '"') {
                i += text[i] == '\\' ? 2 : 1;
            }
            i = std::min(i + 1, text.size());
            out.append(text.substr(start, i - start));
        } else if (c == '\'') {
            out += '"';
            ++i;
            while (i < text.size() && text[i] != '\'') {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    if (text[i + 1] == '\'') {
                        out += '\'';
                    } else {
                        out.append(text.substr(i, 2));
                    }
                    i += 2;
                } else {
                    if (text[i] == '"') {
                        out += '\\';
                    }
                    out += text[i++];
                }
            }
            out += '"';
            i = std::min(i + 1, text.size());
        } else if ((c >= '0' && c <= '9') || c == '.') {
            // A number, exponent letters included.
            while (i < text.size()
                   && (isIdentifierPart(text[i]) || text[i] == '.'
                       || ((text[i] == '+' || text[i] == '-') && (text[i - 1] == 'e' || text[i - 1] == 'E')))) {
                out += text[i++];
            }
        } else if (isIdentifierStart(c)) {
            const std::size_t start = i;
            while (i < text.size() && isIdentifierPart(text[i])) {
                ++i;
            }
            const std::string_view word = text.substr(start, i - start);
            std::size_t next = i;
            while (next < text.size()
                   && (text[next] == ' ' || text[next] == '\t' || text[next] == '\r' || text[next] == '\n')) {
                ++next;
            }
            const bool isMemberName = next < text.size() && text[next] == ':';
            if (isMemberName && word != "true" && word != "false" && word != "null") {
                out += '"';
                out.append(word);
                out += '"';
            } else {
                out.append(word);
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::optional<Json> parseStrict(std::string_view utf8, int maximumDepth)
{
    Builder builder(maximumDepth);
    const bool ok = Json::sax_parse(utf8, &builder, nlohmann::detail::input_format_t::json, true, false);
    if (!ok) {
        return std::nullopt;
    }
    return builder.takeRoot();
}

void appendScriptText(const Json& value, std::string& out, int depth)
{
    switch (value.type()) {
    case Json::value_t::string:
        out += value.get_ref<const std::string&>();
        break;
    case Json::value_t::number_integer:
        out += std::to_string(value.get<int64_t>());
        break;
    case Json::value_t::number_unsigned:
        out += std::to_string(value.get<uint64_t>());
        break;
    case Json::value_t::number_float:
        out += numberText(value.get<double>());
        break;
    case Json::value_t::boolean:
        out += value.get<bool>() ? "true" : "false";
        break;
    case Json::value_t::object:
        out += "[object Object]";
        break;
    case Json::value_t::array: {
        if (depth > 2 * 512) {
            break;  // unreachable for stored values; a backstop for the recursion
        }
        bool first = true;
        for (const Json& element : value) {
            if (!first) {
                out += ',';
            }
            first = false;
            appendScriptText(element, out, depth + 1);
        }
        break;
    }
    default:
        break;  // null, discarded, binary
    }
}

}  // namespace

std::optional<Json> parseText(std::string_view utf8, int maximumDepth)
{
    if (auto value = parseStrict(utf8, maximumDepth)) {
        return value;
    }
    return parseStrict(scriptLiteralToJson(utf8), maximumDepth);
}

std::string toJsonText(const Json& value)
{
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string toScriptText(const Json& value)
{
    std::string out;
    appendScriptText(value, out, 0);
    return out;
}

std::string numberText(double value)
{
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    char buffer[400];
    const double magnitude = std::fabs(value);
    if (value == std::trunc(value) && magnitude < 1e21) {
        std::snprintf(buffer, sizeof buffer, "%.0f", value == 0 ? 0.0 : value);
        return buffer;
    }
    const bool fixed = magnitude >= 1e-6 && magnitude < 1e21;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      fixed ? std::chars_format::fixed : std::chars_format::scientific);
    std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    if (e != std::string::npos) {
        // "1e-07" is written "1e-7", "1e+21" stays.
        const int exponent = std::atoi(text.c_str() + e + 1);
        text = text.substr(0, e) + (exponent < 0 ? "e-" : "e+") + std::to_string(std::abs(exponent));
    }
    return text;
}

int depthOf(const Json& value)
{
    // Iterative: a value built by many edits must not exhaust the stack here.
    int deepest = 0;
    std::vector<std::pair<const Json*, int>> pending {{&value, 0}};
    while (!pending.empty()) {
        const auto [current, depth] = pending.back();
        pending.pop_back();
        if (!current->is_structured()) {
            continue;
        }
        deepest = std::max(deepest, depth + 1);
        for (const Json& child : *current) {
            pending.emplace_back(&child, depth + 1);
        }
    }
    return deepest;
}

Json numberValue(double value)
{
    constexpr double largestExactInteger = 9007199254740992.0;  // 2^53
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) <= largestExactInteger) {
        return Json(static_cast<int64_t>(value));
    }
    return Json(value);
}

}  // namespace quorvo::data::detail
