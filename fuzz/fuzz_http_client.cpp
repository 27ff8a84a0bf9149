// Any bytes as what a server sends back: a loopback server in this process
// answers each HttpClient::request with the fuzz input, then closes. The
// typed response must keep its promises (no body with an error, a status a
// reply can have, every header findable by its name). The URL helpers get
// the same bytes as a URL.

#include "ReplyServer.h"

#include "net/HttpClient.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool promise)
{
    if (!promise)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    quorvo::fuzz::ReplyServer& server = quorvo::fuzz::ReplyServer::instance();
    server.setReply(bytes);
    const quorvo::Text url("http://127.0.0.1:" + std::to_string(server.port()) + "/fuzz?x=1");

    for (const bool decode : {false, true}) {
        quorvo::net::HttpOptions options;
        options.timeoutSeconds = 3;
        options.cookies = "A=1;";
        options.decodeContent = decode;
        const quorvo::net::HttpResponse response = quorvo::net::HttpClient::request(url, options);
        check(response.status >= 0 && response.status <= 999);
        if (response.error != quorvo::net::HttpError::None)
            check(response.body.empty());
        if (response.ok())
            check(response.status >= 200 && response.status <= 299);
        for (const quorvo::net::HttpHeader& header : response.headers.all())
            check(response.header(header.name.view()).has_value());
    }

    const quorvo::Text asUrl = quorvo::Text::fromBytes(bytes.substr(0, 512));
    static_cast<void>(quorvo::net::HttpClient::hostOf(asUrl, true));
    static_cast<void>(quorvo::net::HttpClient::pathOf(asUrl));
    static_cast<void>(quorvo::net::HttpClient::portOf(asUrl));
    static_cast<void>(quorvo::net::HttpClient::cookieValueOf(asUrl));
    return 0;
}
