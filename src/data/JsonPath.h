#pragma once

// Member paths over a JSON value: "a.b[2]", "[0].url", "['odd name']".
// Internal to src/data.

#include "data/JsonValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvo::data::detail {

struct PathStep {
    bool isIndex = false;
    int64_t index = 0;  // isIndex: "[n]"
    std::string name;   // otherwise: ".name" or "['name']"
};

using Path = std::vector<PathStep>;

enum class PathForm {
    Dot,         // must name a member; "" and a leading "[" are errors
    Optional,    // "" is the root value itself
    IndexAware,  // may start with "[n]"; "" is an error
};

// The steps of a UTF-8 path; nullopt for a path the form does not allow.
std::optional<Path> parsePath(std::string_view utf8, PathForm form);

// The value a path names, or nullptr when it is missing.
const Json* find(const Json& root, const Path& path);
Json* find(Json& root, const Path& path);

// Element `index` of a value as `value[index]` reads it: an array element, or
// the member named by the decimal index of an object; nullptr otherwise.
const Json* elementOf(const Json* value, int64_t index);

// Stores `value` at the place one step below `parent`. Creates no
// intermediate containers; returns false when the place cannot hold a value.
bool store(Json& parent, const PathStep& step, Json value);

}  // namespace quorvo::data::detail
