#pragma once

// The JSON value behind JsonObject and the text forms it is read and written
// in. Internal to src/data.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace quorvo::data::detail {

using Json = nlohmann::ordered_json;

struct Value {
    Json json = Json::object();
};

// Parses UTF-8 JSON text, also accepting what a script literal would allow
// beyond JSON: unquoted member names and single-quoted strings. Refuses
// nesting deeper than `maximumDepth`. nullopt when the text is not a value.
std::optional<Json> parseText(std::string_view utf8, int maximumDepth);

// Compact JSON text, member order as created. Never throws.
std::string toJsonText(const Json& value);

// A value as a script would turn it into text: strings as they are, numbers
// in decimal, "true"/"false", "" for null, "[object Object]" for objects,
// the comma-joined elements for arrays.
std::string toScriptText(const Json& value);

// Decimal form of a number as a script writes it.
std::string numberText(double value);

// Levels of containers in a value (a scalar has depth 0).
int depthOf(const Json& value);

// A finite number as a value, whole numbers stored as integers.
Json numberValue(double value);

}  // namespace quorvo::data::detail
