#include "service/ByteRange.h"

#include "runtime/Text.h"

#include <limits>
#include <optional>

namespace quorvo::server {

namespace {

struct Number {
    std::uint64_t value = 0;
    bool overflow = false;  // more than 64 bits: far beyond any file
};

std::optional<Number> parseNumber(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    Number number;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const std::uint64_t digit = static_cast<std::uint64_t>(c - '0');
        if (number.value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            number.overflow = true;
        else
            number.value = number.value * 10 + digit;
    }
    return number;
}

}  // namespace

RangeDecision decideRange(std::string_view value, std::uint64_t size)
{
    RangeDecision whole;
    const auto equals = value.find('=');
    if (equals == std::string_view::npos
        || !text::equals(text::trimSpacesAndTabs(value.substr(0, equals)), "bytes", CaseSensitivity::Insensitive))
        return whole;
    const std::string_view spec = text::trimSpacesAndTabs(value.substr(equals + 1));
    if (spec.find(',') != std::string_view::npos)
        return whole;
    const auto dash = spec.find('-');
    if (dash == std::string_view::npos)
        return whole;
    const std::string_view firstText = text::trimSpacesAndTabs(spec.substr(0, dash));
    const std::string_view lastText = text::trimSpacesAndTabs(spec.substr(dash + 1));

    if (firstText.empty()) {
        // Suffix range: the last S bytes.
        const auto suffix = parseNumber(lastText);
        if (!suffix)
            return whole;
        if (suffix->value == 0 && !suffix->overflow)
            return {RangeDecision::Kind::Unsatisfiable};
        if (size == 0)
            return {RangeDecision::Kind::Unsatisfiable};
        const std::uint64_t length = suffix->overflow ? size : std::min(suffix->value, size);
        return {RangeDecision::Kind::Partial, size - length, size - 1};
    }

    const auto first = parseNumber(firstText);
    if (!first)
        return whole;
    std::optional<Number> last;
    if (!lastText.empty()) {
        last = parseNumber(lastText);
        if (!last)
            return whole;
        // last < first makes the header invalid, hence ignored.
        if (!first->overflow && !last->overflow && last->value < first->value)
            return whole;
        if (first->overflow && !last->overflow)
            return whole;
    }
    if (first->overflow || first->value >= size)
        return {RangeDecision::Kind::Unsatisfiable};
    std::uint64_t end = size - 1;
    if (last && !last->overflow)
        end = std::min(end, last->value);
    return {RangeDecision::Kind::Partial, first->value, end};
}

}  // namespace quorvo::server
