#include "http/HttpMessage.h"

#include "runtime/Text.h"

namespace quorvo::server {

bool equalsIgnoringCase(std::string_view left, std::string_view right)
{
    return text::equals(left, right, CaseSensitivity::Insensitive);
}

std::optional<std::string_view> HttpRequest::header(std::string_view name) const
{
    for (const HttpHeader& h : headers) {
        if (equalsIgnoringCase(h.name, name))
            return std::string_view(h.value);
    }
    return std::nullopt;
}

std::string_view HttpRequest::path() const
{
    const std::string_view view(target);
    return view.substr(0, view.find('?'));
}

std::string_view HttpRequest::rawQuery() const
{
    const std::string_view view(target);
    const auto mark = view.find('?');
    return mark == std::string_view::npos ? std::string_view() : view.substr(mark + 1);
}

bool HttpRequest::wantsClose() const
{
    const auto connection = header("Connection");
    if (version == "HTTP/1.0")
        return !(connection && equalsIgnoringCase(*connection, "keep-alive"));
    return connection && equalsIgnoringCase(*connection, "close");
}

void Response::setHeader(std::string name, std::string value)
{
    for (HttpHeader& h : headers) {
        if (equalsIgnoringCase(h.name, name)) {
            h.value = std::move(value);
            return;
        }
    }
    headers.push_back({std::move(name), std::move(value)});
}

std::string_view reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 204:
        return "No Content";
    case 206:
        return "Partial Content";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 308:
        return "Permanent Redirect";
    case 400:
        return "Bad Request";
    case 401:
        return "Unauthorized";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 416:
        return "Range Not Satisfiable";
    case 429:
        return "Too Many Requests";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    case 501:
        return "Not Implemented";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return "Status";
    }
}

}  // namespace quorvo::server
