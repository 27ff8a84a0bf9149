#pragma once

// One JSON value, read and edited through member paths such as
// "file_list[0].url". Text goes in and out as program text; inside, the value
// is UTF-8 JSON. A reply is parsed as data, never run as script.
//
// Path forms, relative to the root value:
//   dot form       "a.b[2]": a member path that must not be empty
//   optional form  the same, or "" for the root value itself
//   index-aware    "[0].a" starting with an element of the root array, else dot form
// A missing member, an index out of range or a step into something that is
// not a container makes the path "missing": reads give "", 0, false or type 0,
// and writes do nothing.

#include "runtime/Text.h"

#include <memory>
#include <vector>

namespace quorvo::data {

namespace detail {
struct Value;
}

class JsonObject {
public:
    // Type codes of typeOf and reset.
    static constexpr int typeNone = 0;  // missing, null or undefined
    static constexpr int typeNumber = 2;
    static constexpr int typeObject = 4;  // also booleans
    static constexpr int typeArray = 5;
    static constexpr int typeString = 6;

    // Deeper nesting than this is refused when text is parsed or stored:
    // no reply needs it, and everything that walks a value stays bounded.
    static constexpr int maximumDepth = 512;

    // An empty object value, ready to use.
    JsonObject();
    ~JsonObject();
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;
    JsonObject(JsonObject&&) noexcept;
    JsonObject& operator=(JsonObject&&) noexcept;

    // A second object on the same value: changes through one show in the other.
    [[nodiscard]] JsonObject clone() const;
    // Back to an empty object value (the state after construction).
    void init();

    // True when the text is JSON (or a plain script literal: unquoted keys,
    // single-quoted strings) whose value is not null. The old value is
    // replaced even when parsing fails; it is then null.
    bool parse(const Text& text);
    [[nodiscard]] Text toText() const;

    void setText(const Text& path, const Text& value);
    void setJson(const Text& path, const Text& json);
    void setNumber(const Text& path, double value);
    [[nodiscard]] double getNumber(const Text& path) const;
    [[nodiscard]] Text getJson(const Text& path) const;
    [[nodiscard]] Text getText(const Text& path, bool asJson = false) const;
    [[nodiscard]] JsonObject getObject(const Text& path) const;
    [[nodiscard]] int64_t length(const Text& path = {}) const;
    void push(const Text& value, const Text& path = {}, bool raw = false);
    [[nodiscard]] JsonObject getItemObject(int64_t index, const Text& path = {}) const;
    [[nodiscard]] Text getItem(int64_t index, const Text& path = {}, bool asJson = false) const;
    void setItem(int64_t index, const Text& value, bool raw = false);
    void removeItem(int64_t index);
    void reset(int typeCode);
    bool assign(const Text& value, bool raw = false);
    [[nodiscard]] bool has(const Text& path) const;
    [[nodiscard]] std::vector<Text> keys(const Text& path = {}) const;
    [[nodiscard]] int typeOf(const Text& path = {}) const;

private:
    explicit JsonObject(std::shared_ptr<detail::Value> value);

    std::shared_ptr<detail::Value> m_value;
};

}  // namespace quorvo::data
