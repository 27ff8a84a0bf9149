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
    for (const std::string& line : wireHeaderLines(plan)) {
        if (line.find_first_of("\r\n") != std::string::npos || !appendHeader(list, curlHeaderLine(line))) {
            return false;
        }
    }
    std::vector<std::string> suppressed = {"Expect:", "Proxy-Connection:"};
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

}  // namespace quorvo::net::curl
