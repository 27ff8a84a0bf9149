#include "service/HighlightMarkup.h"

#include <algorithm>
#include <string>
#include <utility>

namespace quorvo::service {

namespace {

// Replaces every `from` scanning left to right, case-sensitively, resuming
// after each match; replaced text is not rescanned. The patterns start with
// "&", which is never part of a multi-byte character, so a byte search
// cannot match inside one. In place: `to` is never longer than `from`.
void replaceEachInPlace(std::string& bytes, std::string_view from, std::string_view to)
{
    std::size_t match = bytes.find(from);
    std::size_t write = match;
    while (match != std::string::npos) {
        std::copy(to.begin(), to.end(), bytes.begin() + static_cast<std::ptrdiff_t>(write));
        write += to.size();
        const std::size_t after = match + from.size();
        match = bytes.find(from, after);
        const std::size_t end = match == std::string::npos ? bytes.size() : match;
        // The writing end never passes the reading one: `to` is no longer than `from`.
        std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(after), bytes.begin() + static_cast<std::ptrdiff_t>(end),
                  bytes.begin() + static_cast<std::ptrdiff_t>(write));
        write += end - after;
        if (match == std::string::npos)
            bytes.resize(write);
    }
}

}  // namespace

Text stripHighlightMarkup(std::string_view text)
{
    // Every pattern starts with "&"; most fields hold none.
    if (text.find('&') == std::string_view::npos) {
        return Text(text);
    }
    std::string bytes(text);
    replaceEachInPlace(bytes, "&lt;em&gt;", "");
    replaceEachInPlace(bytes, "&lt;/em&gt;", "");
    replaceEachInPlace(bytes, "&amp;", "&");
    return Text(std::move(bytes));
}

}  // namespace quorvo::service
