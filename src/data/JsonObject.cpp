#include "data/JsonObject.h"

#include "data/JsonPath.h"
#include "data/JsonValue.h"
#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

#include <cmath>
#include <cstdlib>

namespace quorvo::data {

namespace detail {
namespace {

std::optional<Path> pathOf(const Text& path, PathForm form)
{
    return parsePath(encoding::toUtf8(path.view()), form);
}

const Json* lookup(const Json& root, const Text& path, PathForm form)
{
    const auto steps = pathOf(path, form);
    return steps ? find(root, *steps) : nullptr;
}

Text programText(const std::string& utf8)
{
    return encoding::fromUtf8(utf8);
}

std::optional<Json> parseProgramText(const Text& text)
{
    return parseText(encoding::toUtf8(text.view()), JsonObject::maximumDepth);
}

// A value to store: the text as a string, or (raw) the text parsed as a value.
std::optional<Json> valueFrom(const Text& text, bool raw)
{
    if (raw) {
        return parseProgramText(text);
    }
    return Json(encoding::toUtf8(text.view()));
}

// Stores at the end of a non-empty path, if its parent exists and the result
// stays within the nesting limit.
bool storeAt(Json& root, const Path& path, Json value)
{
    if (path.empty() || static_cast<int>(path.size()) + depthOf(value) > JsonObject::maximumDepth) {
        return false;
    }
    const Path parentPath(path.begin(), path.end() - 1);
    Json* parent = find(root, parentPath);
    return parent != nullptr && store(*parent, path.back(), std::move(value));
}

// UTF-16 code units, the way a script counts a string's length.
int64_t scriptLength(const std::string& utf8)
{
    int64_t units = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

bool truthy(const Json& value)
{
    switch (value.type()) {
    case Json::value_t::boolean:
        return value.get<bool>();
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: {
        const double number = value.get<double>();
        return number != 0 && !std::isnan(number);
    }
    case Json::value_t::string:
        return !value.get_ref<const std::string&>().empty();
    case Json::value_t::object:
    case Json::value_t::array:
        return true;
    default:
        return false;
    }
}

}  // namespace
}  // namespace detail

using namespace detail;

JsonObject::JsonObject()
    : m_value(std::make_shared<Value>())
{ }
JsonObject::JsonObject(std::shared_ptr<Value> value)
    : m_value(std::move(value))
{ }
JsonObject::~JsonObject() = default;
JsonObject::JsonObject(JsonObject&&) noexcept = default;
JsonObject& JsonObject::operator=(JsonObject&&) noexcept = default;

JsonObject JsonObject::clone() const
{
    return JsonObject(m_value);
}

void JsonObject::init()
{
    m_value = std::make_shared<Value>();
}

bool JsonObject::parse(const Text& text)
{
    m_value->json = nullptr;
    auto parsed = parseProgramText(text);
    if (!parsed || parsed->is_null()) {
        return false;
    }
    m_value->json = std::move(*parsed);
    return true;
}

Text JsonObject::toText() const
{
    return programText(toJsonText(m_value->json));
}

void JsonObject::setText(const Text& path, const Text& value)
{
    if (const auto steps = pathOf(path, PathForm::Dot)) {
        storeAt(m_value->json, *steps, Json(encoding::toUtf8(value.view())));
    }
}

void JsonObject::setJson(const Text& path, const Text& json)
{
    const auto steps = pathOf(path, PathForm::Dot);
    auto parsed = parseProgramText(json);
    if (steps && parsed) {
        storeAt(m_value->json, *steps, std::move(*parsed));
    }
}

void JsonObject::setNumber(const Text& path, double value)
{
    if (!std::isfinite(value)) {
        return;  // "nan" and "inf" are not numbers a script can be written with
    }
    const auto steps = pathOf(path, PathForm::Dot);
    if (!steps) {
        return;
    }
    // Written with six decimals and trailing zeros removed, as the value
    // always went into the script text.
    const Text written = numbers::fromReal(value);
    storeAt(m_value->json, *steps, numberValue(std::strtod(written.c_str(), nullptr)));
}

double JsonObject::getNumber(const Text& path) const
{
    const Json* found = lookup(m_value->json, path, PathForm::Dot);
    if (found == nullptr) {
        return 0;
    }
    if (found->is_number()) {
        return found->get<double>();
    }
    if (found->is_boolean()) {
        return found->get<bool>() ? -1 : 0;
    }
    return 0;
}

Text JsonObject::getJson(const Text& path) const
{
    const Json* found = lookup(m_value->json, path, PathForm::Dot);
    return found == nullptr ? Text() : programText(toJsonText(*found));
}

Text JsonObject::getText(const Text& path, bool asJson) const
{
    const Json* found = lookup(m_value->json, path, PathForm::IndexAware);
    if (found == nullptr) {
        return {};
    }
    return programText(asJson ? toJsonText(*found) : toScriptText(*found));
}

JsonObject JsonObject::getObject(const Text& path) const
{
    JsonObject copy;
    const Json* found = lookup(m_value->json, path, PathForm::IndexAware);
    copy.m_value->json = found == nullptr ? Json(nullptr) : *found;
    return copy;
}

int64_t JsonObject::length(const Text& path) const
{
    const Json* found = lookup(m_value->json, path, PathForm::Optional);
    if (found == nullptr) {
        return 0;
    }
    if (found->is_array()) {
        return static_cast<int64_t>(found->size());
    }
    if (found->is_string()) {
        return scriptLength(found->get_ref<const std::string&>());
    }
    if (found->is_object()) {
        // An object's own "length" member is what a script would read.
        const auto member = found->find("length");
        if (member != found->end() && member->is_number()) {
            return numbers::truncateToInteger(member->get<double>());
        }
    }
    return 0;
}

void JsonObject::push(const Text& value, const Text& path, bool raw)
{
    const auto steps = pathOf(path, PathForm::Optional);
    auto element = valueFrom(value, raw);
    if (!steps || !element) {
        return;
    }
    Json& root = m_value->json;
    Json* target = find(root, *steps);
    if (target == nullptr || !target->is_array()) {
        // Whatever is there (or nothing) is first replaced by an empty array.
        if (steps->empty()) {
            root = Json::array();
        } else if (!storeAt(root, *steps, Json::array())) {
            return;
        }
        target = find(root, *steps);
        if (target == nullptr) {
            return;
        }
    }
    if (static_cast<int>(steps->size()) + 1 + depthOf(*element) > maximumDepth) {
        return;
    }
    target->push_back(std::move(*element));
}

JsonObject JsonObject::getItemObject(int64_t index, const Text& path) const
{
    JsonObject copy;
    const Json* found = elementOf(lookup(m_value->json, path, PathForm::Optional), index);
    copy.m_value->json = found == nullptr ? Json(nullptr) : *found;
    return copy;
}

Text JsonObject::getItem(int64_t index, const Text& path, bool asJson) const
{
    const Json* found = elementOf(lookup(m_value->json, path, PathForm::Optional), index);
    if (found == nullptr) {
        return {};
    }
    return programText(asJson ? toJsonText(*found) : toScriptText(*found));
}

void JsonObject::setItem(int64_t index, const Text& value, bool raw)
{
    auto element = valueFrom(value, raw);
    if (!element || 1 + depthOf(*element) > maximumDepth) {
        return;
    }
    PathStep step;
    step.isIndex = true;
    step.index = index;
    store(m_value->json, step, std::move(*element));
}

void JsonObject::removeItem(int64_t index)
{
    Json& root = m_value->json;
    if (!root.is_array()) {
        return;
    }
    // splice(index, 1): a negative index counts from the end.
    const auto size = static_cast<int64_t>(root.size());
    int64_t at = index < 0 ? std::max<int64_t>(size + index, 0) : index;
    if (at < size) {
        root.erase(static_cast<std::size_t>(at));
    }
}

void JsonObject::reset(int typeCode)
{
    if (typeCode == typeNone || typeCode == typeObject) {
        m_value->json = Json::object();
    } else if (typeCode == typeArray) {
        m_value->json = Json::array();
    }
}

bool JsonObject::assign(const Text& value, bool raw)
{
    auto parsed = valueFrom(value, raw);
    if (!parsed) {
        return false;
    }
    m_value->json = std::move(*parsed);
    return truthy(m_value->json);
}

bool JsonObject::has(const Text& path) const
{
    const Json* found = lookup(m_value->json, path, PathForm::Dot);
    return found != nullptr && !found->is_null();
}

std::vector<Text> JsonObject::keys(const Text& path) const
{
    std::vector<Text> names;
    const Json* found = lookup(m_value->json, path, PathForm::Optional);
    if (found == nullptr) {
        return names;
    }
    if (found->is_object()) {
        for (const auto& member : found->items()) {
            names.push_back(programText(member.key()));
        }
    } else if (found->is_array()) {
        for (std::size_t i = 0; i < found->size(); ++i) {
            names.emplace_back(std::to_string(i));
        }
    } else if (found->is_string()) {
        const int64_t count = scriptLength(found->get_ref<const std::string&>());
        for (int64_t i = 0; i < count; ++i) {
            names.emplace_back(std::to_string(i));
        }
    }
    return names;
}

int JsonObject::typeOf(const Text& path) const
{
    const Json* found = lookup(m_value->json, path, PathForm::Optional);
    if (found == nullptr || found->is_null()) {
        return typeNone;
    }
    if (found->is_string()) {
        return typeString;
    }
    if (found->is_number()) {
        return typeNumber;
    }
    if (found->is_array()) {
        return typeArray;
    }
    return typeObject;
}

}  // namespace quorvo::data
