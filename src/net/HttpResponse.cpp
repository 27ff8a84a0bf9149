#include "net/HttpResponse.h"

#include <curl/curl.h>

#include <algorithm>
#include <ctime>
#include <limits>

namespace quorvo::net {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A whole field of ASCII digits that fits an int64_t.
std::optional<int64_t> parseCount(std::string_view digits)
{
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    int64_t value = 0;
    for (const char c : digits) {
        const int digit = c - '0';
        if (value > (std::numeric_limits<int64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

std::optional<Text> HttpHeaders::get(std::string_view name) const
{
    for (auto field = m_fields.rbegin(); field != m_fields.rend(); ++field) {
        if (text::equals(field->name.view(), name, CaseSensitivity::Insensitive))
            return field->value;
    }
    return std::nullopt;
}

void HttpHeaders::add(Text name, Text value)
{
    m_fields.push_back(HttpHeader {std::move(name), std::move(value)});
}

void HttpHeaders::addLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    if (line.empty())
        return;
    if (line.front() == ' ' || line.front() == '\t') {
        // An obsolete folded line: more of the previous value.
        if (!m_fields.empty()) {
            const std::string_view more = text::trimSpacesAndTabs(line);
            Text& value = m_fields.back().value;
            value = value.empty() ? Text(more) : value + " " + more;
        }
        return;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return;
    add(Text(text::trimSpacesAndTabs(line.substr(0, colon))), Text(text::trimSpacesAndTabs(line.substr(colon + 1))));
}

std::string_view describe(HttpError error)
{
    switch (error) {
    case HttpError::None:
        return "no error";
    case HttpError::InvalidRequest:
        return "the request cannot be sent";
    case HttpError::Connect:
        return "could not connect";
    case HttpError::Timeout:
        return "no answer in time";
    case HttpError::Network:
        return "the server stopped sending";
    case HttpError::Protocol:
        return "not an HTTP reply";
    case HttpError::TooLarge:
        return "the reply is too large";
    case HttpError::Aborted:
        return "stopped";
    case HttpError::Decoding:
        return "the reply's encoding could not be decoded";
    }
    return "unknown error";
}

std::optional<ContentRange> parseContentRange(std::string_view value)
{
    value = text::trimSpacesAndTabs(value);
    constexpr std::string_view unit = "bytes ";
    if (value.size() < unit.size() || !text::equals(value.substr(0, unit.size()), unit, CaseSensitivity::Insensitive))
        return std::nullopt;
    value.remove_prefix(unit.size());
    const std::size_t slash = value.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view span = value.substr(0, slash);
    const std::string_view complete = value.substr(slash + 1);

    ContentRange range;
    if (complete != "*") {
        const std::optional<int64_t> length = parseCount(complete);
        if (!length)
            return std::nullopt;
        range.completeLength = *length;
    }
    if (span == "*") {
        // An unsatisfied range names the length it could not serve.
        if (range.completeLength < 0)
            return std::nullopt;
        return range;
    }
    const std::size_t dash = span.find('-');
    if (dash == std::string_view::npos)
        return std::nullopt;
    const std::optional<int64_t> first = parseCount(span.substr(0, dash));
    const std::optional<int64_t> last = parseCount(span.substr(dash + 1));
    if (!first || !last || *last < *first)
        return std::nullopt;
    if (range.completeLength >= 0 && *last >= range.completeLength)
        return std::nullopt;
    range.first = *first;
    range.last = *last;
    return range;
}

std::optional<std::chrono::seconds> retryAfterOf(const HttpHeaders& headers)
{
    const std::optional<Text> value = headers.get("Retry-After");
    if (!value || value->empty())
        return std::nullopt;
    const std::string_view field = value->view();
    // More than any real wait: a day is plenty.
    constexpr int64_t longest = 24 * 60 * 60;
    if (std::all_of(field.begin(), field.end(), isDigit))
        return std::chrono::seconds(std::min(longest, parseCount(field).value_or(longest)));
    const std::time_t at = curl_getdate(value->c_str(), nullptr);
    if (at < 0)
        return std::nullopt;
    return std::chrono::seconds(std::min<int64_t>(longest, std::max<std::time_t>(0, at - std::time(nullptr))));
}

}  // namespace quorvo::net
