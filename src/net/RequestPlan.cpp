#include "net/RequestPlan.h"

#include "runtime/Numbers.h"

#include <algorithm>

namespace quorvo::net {
namespace {

constexpr std::string_view defaultAccept
    = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
      "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view fullWidthSpace = "\xA1\xA1";

bool blockHas(const Text& block, std::string_view nameWithColon)
{
    return text::contains(block.view(), nameWithColon, CaseSensitivity::Insensitive);
}

// An HTTP method is a token; anything else would let the caller rewrite the
// request line.
bool isToken(std::string_view word)
{
    if (word.empty()) {
        return false;
    }
    return std::all_of(word.begin(), word.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte > 0x20 && byte < 0x7F && std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
    });
}

ProxySettings proxyFrom(const Text& proxyText)
{
    ProxySettings proxy;
    if (isBlankAfterRemovingSpaces(proxyText)) {
        return proxy;
    }
    const auto fields = text::split(proxyText.view(), "\x01");
    proxy.used = true;
    proxy.server = fields.empty() ? Text() : fields[0];
    if (fields.size() >= 2) {
        proxy.hasCredentials = true;
        proxy.userName = fields[1];
        proxy.password = fields.size() >= 3 ? fields[2] : Text();
    }
    return proxy;
}

}  // namespace

bool isBlankAfterRemovingSpaces(const Text& text)
{
    const Text withoutAscii = text::replaceAll(text.view(), " ", "");
    return text::replaceAll(withoutAscii.view(), fullWidthSpace, "").empty();
}

RequestPlan planRequest(const Text& url, const HttpOptions& options)
{
    RequestPlan plan;
    const int seconds = options.timeoutSeconds > 0 ? options.timeoutSeconds : HttpClient::defaultTimeoutSeconds;
    plan.totalMs = static_cast<long>(seconds) * 1000;
    plan.phaseMs = plan.totalMs / 3;

    plan.secure = text::contains(text::toLower(url.view()).view(), "https://");
    plan.host = HttpClient::hostOf(url, false);
    plan.path = HttpClient::pathOf(url);
    plan.port = HttpClient::portOf(url);
    plan.proxy = proxyFrom(options.proxy);

    plan.method = text::toUpper(options.method.empty() ? std::string_view("GET") : options.method.view());
    plan.userAgent
        = text::trim(options.userAgent.view()).empty() ? Text(HttpClient::defaultUserAgent) : options.userAgent;
    if (!isBlankAfterRemovingSpaces(options.userName)) {
        plan.userName = options.userName;
    }
    if (!isBlankAfterRemovingSpaces(options.password)) {
        plan.password = options.password;
    }
    plan.allowRedirect = options.allowRedirect;
    plan.decodeContent = options.decodeContent;
    plan.bodyLimit = options.bodyLimit > 0 ? options.bodyLimit : HttpClient::defaultBodyLimit;

    // The connection goes where host, port and the secure test point, which
    // is not always what the URL's own scheme says.
    plan.target
        = Text(plan.secure ? "https://" : "http://") + plan.host + ":" + numbers::fromInteger(plan.port) + plan.path;

    Text block = options.headers;
    if (!blockHas(block, "Accept: ")) {
        block += defaultAccept;
    }
    if (!blockHas(block, "Referer: ")) {
        block += Text("Referer: ") + url + "\r\n";
    }
    if (!blockHas(block, "Accept-Language: ")) {
        block += "Accept-Language: zh-cn\r\n";
    }
    if (!text::trim(options.cookies.view()).empty()) {
        plan.cookieLine = Text("Cookie: ") + options.cookies + "\r\n";
    }
    if (plan.method == "POST" && !options.body.empty()) {
        if (!blockHas(block, "Content-Type: ")) {
            block += "Content-Type: application/x-www-form-urlencoded\r\n";
        }
        block += Text("Content-Length: ") + numbers::fromInteger(static_cast<int64_t>(options.body.size())) + "\r\n";
        plan.sendBody = true;
        plan.body = options.body;
    }
    plan.headerBlock = block;

    plan.valid = isToken(plan.method.view()) && !plan.host.empty()
        && (!plan.proxy.used || !text::trim(plan.proxy.server.view()).empty());
    return plan;
}

RequestPlan planStream(const Text& url, const Text& headerLines)
{
    RequestPlan plan;
    plan.method = "GET";
    plan.target = url;
    plan.headerBlock = headerLines;
    plan.http11Only = false;
    plan.proxyFromEnvironment = true;
    plan.valid = !url.empty();
    return plan;
}

Text openRangeLine(int64_t offset)
{
    return "Range:bytes=" + numbers::fromInteger(offset) + "-";
}

std::vector<std::string> wireHeaderLines(const RequestPlan& plan)
{
    std::vector<std::string> lines;
    auto addBlock = [&lines](std::string_view block) {
        for (const Text& line : text::split(block, "\r\n")) {
            if (!line.empty()) {
                lines.push_back(line.str());
            }
        }
    };
    addBlock(plan.headerBlock.view());
    addBlock(plan.cookieLine.view());
    if (!blockHas(plan.headerBlock, "User-Agent: ")) {
        lines.push_back("User-Agent: " + plan.userAgent.str());
    }
    if (plan.rangeFrom > 0) {
        lines.push_back(openRangeLine(plan.rangeFrom).str());
    }
    return lines;
}

Text cookiesFromResponseHeaders(const Text& responseHeaders)
{
    Text cookies;
    if (!text::contains(responseHeaders.view(), "Set-Cookie: ", CaseSensitivity::Insensitive)) {
        return cookies;
    }
    for (const Text& line : text::split(responseHeaders.view(), "\r\n")) {
        if (text::contains(line.view(), "Set-Cookie: ", CaseSensitivity::Insensitive)) {
            const Text rest = line.size() > 12 ? Text(line.view().substr(12)) : Text();
            cookies += HttpClient::cookieValueOf(rest);
            cookies += ";";
        }
    }
    return cookies;
}

}  // namespace quorvo::net
