#pragma once

// Parses the head of an HTTP/1.x request. Target bytes above 0x7F are kept
// as they are: the search query arrives as raw GBK bytes.

#include "http/HttpMessage.h"

#include <string_view>
#include <variant>

namespace quorvo::server {

struct ParseFailure {
    int status = 400;  // the status to answer with
};

// `head` runs from the request line up to and including the blank line.
std::variant<HttpRequest, ParseFailure> parseRequestHead(std::string_view head);

// Position just past the blank line that ends a request head ("\r\n\r\n" or
// "\n\n"), or npos when the head is not complete yet.
std::size_t findHeadEnd(std::string_view buffer);

}  // namespace quorvo::server
