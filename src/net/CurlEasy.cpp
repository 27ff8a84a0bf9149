#include "net/CurlEasy.h"

#include <mutex>
#include <string_view>
#include <vector>

namespace quorvo::net::curl {
namespace {

constexpr long maximumRedirects = 10;

bool isAllowedProxy(const Text& server)
{
    const Text lower = text::toLower(server.view());
    if (!text::contains(lower.view(), "://")) {
        return true;
    }
    return text::startsWith(lower.view(), "http://") || text::startsWith(lower.view(), "https://");
}

// A header line curl should send as given. "Name:" with nothing after it
// would make curl drop the header instead; "Name;" is its way to send it empty.
std::string curlHeaderLine(const std::string& line)
{
    const auto colon = line.find(':');
    if (colon != std::string::npos && text::trim(std::string_view(line).substr(colon + 1)).empty()) {
        return line.substr(0, colon) + ";";
    }
    return line;
}

bool appendHeader(HeaderList& list, const std::string& line)
{
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
        return false;
    }
    static_cast<void>(list.release());
    list.reset(grown);
    return true;
}

}  // namespace

void initialiseOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool buildHeaderList(const RequestPlan& plan, HeaderList& list)
{
    bool ownAcceptEncoding = false;
    for (const std::string& line : wireHeaderLines(plan)) {
        if (line.find_first_of("\r\n") != std::string::npos || !appendHeader(list, curlHeaderLine(line))) {
            return false;
        }
        ownAcceptEncoding
            = ownAcceptEncoding || text::startsWith(line, "Accept-Encoding:", CaseSensitivity::Insensitive);
    }
    std::vector<std::string> suppressed = {"Expect:", "Proxy-Connection:"};
    if (plan.decodeContent && !ownAcceptEncoding) {
        // Decoding on, but the request says nothing of encodings unless the
        // caller's own lines do.
        suppressed.emplace_back("Accept-Encoding:");
    }
    if (plan.method == "POST") {
        if (!text::contains(plan.headerBlock.view(), "Content-Type: ", CaseSensitivity::Insensitive)) {
            suppressed.emplace_back("Content-Type:");
        }
        if (!text::contains(plan.headerBlock.view(), "Content-Length: ", CaseSensitivity::Insensitive)) {
            suppressed.emplace_back("Content-Length:");
        }
    }
    for (const std::string& line : suppressed) {
        if (!appendHeader(list, line)) {
            return false;
        }
    }
    return true;
}

void applyPlan(Options& options, const RequestPlan& plan, const HeaderList& headers)
{
    options.set(CURLOPT_URL, plan.target.c_str())
        .set(CURLOPT_PROTOCOLS_STR, "http,https")
        .set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https")
        .set(CURLOPT_NOSIGNAL, 1L)
        .set(CURLOPT_HTTPHEADER, headers.get())
        .set(CURLOPT_FOLLOWLOCATION, plan.allowRedirect ? 1L : 0L)
        .set(CURLOPT_MAXREDIRS, maximumRedirects);
    if (plan.decodeContent) {
        // Turns libcurl's decoding on. A caller's own Accept-Encoding line (or
        // the empty one buildHeaderList adds) keeps libcurl's line off the wire.
        options.set(CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    }
    if (plan.http11Only) {
        options.set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    }
    if (plan.proxy.used) {
        if (!isAllowedProxy(plan.proxy.server)) {
            options.fail();
            return;
        }
        options.set(CURLOPT_PROXY, plan.proxy.server.c_str()).set(CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (plan.proxy.hasCredentials) {
            options.set(CURLOPT_PROXYUSERNAME, plan.proxy.userName.c_str())
                .set(CURLOPT_PROXYPASSWORD, plan.proxy.password.c_str());
        }
    } else if (!plan.proxyFromEnvironment) {
        // An empty proxy keeps libcurl from taking one from the environment.
        options.set(CURLOPT_PROXY, "");
    }
    if (!plan.userName.empty()) {
        // More than one method: credentials go out only when the server asks.
        options.set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST))
            .set(CURLOPT_USERNAME, plan.userName.c_str())
            .set(CURLOPT_PASSWORD, plan.password.c_str());
    }
    if (plan.method == "POST") {
        options.set(CURLOPT_POST, 1L)
            .set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(plan.body.size()))
            .set(CURLOPT_POSTFIELDS, plan.body.c_str());
    } else if (plan.method == "GET") {
        options.set(CURLOPT_HTTPGET, 1L);
    } else if (plan.method == "HEAD") {
        options.set(CURLOPT_NOBODY, 1L);
    } else {
        options.set(CURLOPT_CUSTOMREQUEST, plan.method.c_str());
    }
}

HttpError errorOf(CURLcode code)
{
    switch (code) {
    case CURLE_OK:
        return HttpError::None;
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_BAD_FUNCTION_ARGUMENT:
    case CURLE_NOT_BUILT_IN:
        return HttpError::InvalidRequest;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED:
    case CURLE_LOGIN_DENIED:
        return HttpError::Connect;
    case CURLE_OPERATION_TIMEDOUT:
        return HttpError::Timeout;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_RANGE_ERROR:
        return HttpError::Protocol;
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_OUT_OF_MEMORY:
        return HttpError::TooLarge;
    case CURLE_BAD_CONTENT_ENCODING:
        return HttpError::Decoding;
    case CURLE_ABORTED_BY_CALLBACK:
    case CURLE_WRITE_ERROR:
        return HttpError::Aborted;
    default:
        // Broken connections: reset, partial body, nothing at all.
        return HttpError::Network;
    }
}

bool ReplyHead::take(std::string_view line)
{
    m_streamBytes += line.size();
    if (m_streamBytes > maximumBytes) {
        m_tooLarge = true;
        return false;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    const bool statusLine = text::startsWith(line, "HTTP/", CaseSensitivity::Insensitive);
    if (m_raw.empty() || (m_complete && statusLine)) {
        // A new reply (after an interim reply or a redirect): only the last counts.
        m_headers.clear();
        m_raw.clear();
        m_complete = false;
        m_statusLine = Text(line);
    } else if (m_complete) {
        return true;  // trailer lines after a chunked body
    } else if (line.empty()) {
        m_complete = true;
    } else {
        m_headers.addLine(line);
    }
    m_raw.append(line);
    m_raw.append("\r\n");
    return true;
}

}  // namespace quorvo::net::curl
