// Any bytes as a reply's header lines: read into the typed headers, with the
// Content-Range and Retry-After readers on top. What they return must keep
// the promises their callers build on (a range inside its length, a wait of
// at most a day).

#include "net/HttpResponse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool promise)
{
    if (!promise)
        std::abort();
}

void checkRange(const std::optional<quorvo::net::ContentRange>& range)
{
    if (!range)
        return;
    if (range->satisfied()) {
        check(range->first >= 0 && range->first <= range->last);
        check(range->completeLength == -1 || range->last < range->completeLength);
    } else {
        check(range->first == -1 && range->completeLength >= 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    quorvo::net::HttpHeaders headers;
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        headers.addLine(line);
        checkRange(quorvo::net::parseContentRange(line));
        rest.remove_prefix(line.size());
    }
    for (const quorvo::net::HttpHeader& header : headers.all()) {
        check(headers.get(header.name.view()).has_value());
    }
    if (const auto range = headers.get("Content-Range"))
        checkRange(quorvo::net::parseContentRange(range->view()));
    if (const auto wait = quorvo::net::retryAfterOf(headers))
        check(wait->count() >= 0 && wait->count() <= 24 * 60 * 60);
    return 0;
}
