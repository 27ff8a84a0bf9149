// The URL and cookie helpers of HttpClient: plain text rules, no I/O.

#include "net/HttpClient.h"

#include "runtime/Numbers.h"

namespace quorvo::net {

Text HttpClient::hostOf(const Text& url, bool keepPort)
{
    const Text lower = text::toLower(url.view());
    int64_t start = 1;
    if (text::startsWith(lower.view(), "http://")) {
        start = 8;
    } else if (text::startsWith(lower.view(), "https://")) {
        start = 9;
    }
    const int64_t slash = text::find(lower.view(), "/", start);
    Text host = slash == -1 ? text::mid(lower.view(), start, static_cast<int64_t>(lower.size()))
                            : text::mid(lower.view(), start, slash - start);
    if (!keepPort) {
        const int64_t colon = text::find(host.view(), ":");
        if (colon != -1) {
            host = text::left(host.view(), colon - 1);
        }
    }
    return host;
}

Text HttpClient::pathOf(const Text& url)
{
    const Text host = hostOf(url, false);
    const int64_t hostAt = text::find(url.view(), host.view(), 1, CaseSensitivity::Insensitive);
    // An empty host is never found; the search for "/" then starts at the beginning.
    const int64_t slash = text::find(url.view(), "/", hostAt == -1 ? 1 : hostAt, CaseSensitivity::Insensitive);
    if (slash == -1) {
        return Text("/");
    }
    return text::mid(url.view(), slash, static_cast<int64_t>(url.size()));
}

int64_t HttpClient::portOf(const Text& url)
{
    const Text host = hostOf(url, true);
    const int64_t colon = text::find(host.view(), ":");
    if (colon != -1) {
        // Leading decimal digits only; anything else reads as 0.
        int64_t port = 0;
        for (std::size_t i = static_cast<std::size_t>(colon); i < host.size(); ++i) {
            const char c = host.view()[i];
            if (c < '0' || c > '9') {
                break;
            }
            port = port * 10 + (c - '0');
            if (port > 0xFFFFFF) {
                return 0;  // not a port; the exchange then fails to connect
            }
        }
        return port;
    }
    return text::contains(text::toLower(url.view()).view(), "https") ? 443 : 80;
}

Text HttpClient::cookieValueOf(const Text& line)
{
    const int64_t semicolon = text::find(line.view(), ";", 1, CaseSensitivity::Insensitive);
    if (semicolon == -1) {
        return {};
    }
    return text::left(line.view(), semicolon - 1);
}

}  // namespace quorvo::net
