// HttpClient::request on libcurl. The header block, the time limits and the
// result rules follow the exchange the program was designed around; libcurl
// is told to add nothing of its own except the Host line.

#include "net/HttpClient.h"

#include "net/ConnectionLimit.h"
#include "net/RequestPlan.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quorvo {
namespace {

using Clock = std::chrono::steady_clock;

// Replies are small answers (XML, JSON, lyrics); a body beyond this is not
// one of them and would only exhaust memory.
constexpr curl_off_t maximumBodyBytes = 256LL * 1024 * 1024;
// Past this the header stream is an attack, not a header block.
constexpr std::size_t maximumHeaderStreamBytes = 1024 * 1024;
constexpr long maximumRedirects = 10;
constexpr int pollIntervalMs = 20;

void initialiseCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiDeleter {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// What the callbacks learn while the transfer runs.
struct Transfer {
    long totalMs = 15000;
    long phaseMs = 5000;
    Clock::time_point started = Clock::now();
    Clock::time_point lastActivity = Clock::now();
    Clock::time_point bodyStarted;
    bool connected = false;
    bool headersComplete = false;
    bool deadlinePassed = false;
    bool oversized = false;
    curl_off_t uploaded = 0;
    std::string headerBlock;  // current response, lines ended by CR LF
    std::size_t headerStreamBytes = 0;
    Bytes body;

    [[nodiscard]] long msSince(Clock::time_point from) const
    {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from).count());
    }

    // Past the read deadline: the body read so far is worthless.
    [[nodiscard]] bool pastDeadline() const { return headersComplete && msSince(bodyStarted) > totalMs; }
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    transfer.lastActivity = Clock::now();
    transfer.headerStreamBytes += length;
    if (transfer.headerStreamBytes > maximumHeaderStreamBytes) {
        return 0;
    }
    std::string_view line(data, length);
    if (line.starts_with("HTTP/")) {
        // A new response (informational, redirect, authentication retry):
        // only the final one counts.
        transfer.headerBlock.clear();
        transfer.headersComplete = false;
        transfer.body.clear();
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (transfer.headerBlock.size() <= HttpClient::responseHeaderLimit) {
        transfer.headerBlock.append(line);
        transfer.headerBlock.append("\r\n");
    }
    if (line.empty()) {
        transfer.headersComplete = true;
        transfer.bodyStarted = Clock::now();
    }
    return length;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    transfer.lastActivity = Clock::now();
    if (transfer.body.size() + length > static_cast<std::size_t>(maximumBodyBytes)) {
        transfer.oversized = true;
        return 0;
    }
    transfer.body.append(data, length);
    if (transfer.pastDeadline()) {
        transfer.deadlinePassed = true;
        return 0;
    }
    return length;
}

// Called once a connection is up, right before each request goes out.
int onConnected(void* user, char* /*primaryIp*/, char* /*localIp*/, int /*primaryPort*/, int /*localPort*/)
{
    auto& transfer = *static_cast<Transfer*>(user);
    transfer.connected = true;
    transfer.lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

int onProgress(void* user, curl_off_t /*downloadTotal*/, curl_off_t /*downloaded*/, curl_off_t /*uploadTotal*/,
               curl_off_t uploaded)
{
    auto& transfer = *static_cast<Transfer*>(user);
    // Upload progress is activity on the send side.
    if (uploaded != transfer.uploaded) {
        transfer.uploaded = uploaded;
        transfer.lastActivity = Clock::now();
    }
    return 0;
}

// Why the loop stopped the transfer itself, if it did.
enum class Stop { None, Deadline, TimedOut };

Stop checkLimits(Transfer& transfer)
{
    if (transfer.pastDeadline()) {
        transfer.deadlinePassed = true;
        return Stop::Deadline;
    }
    if (!transfer.connected) {
        // libcurl's own connect time-out covers this; the check is a backstop.
        return transfer.msSince(transfer.started) > transfer.phaseMs + 1000 ? Stop::TimedOut : Stop::None;
    }
    if (transfer.msSince(transfer.lastActivity) > transfer.phaseMs) {
        return Stop::TimedOut;  // nothing sent or received for a whole phase
    }
    if (!transfer.headersComplete && transfer.msSince(transfer.started) > transfer.totalMs + transfer.phaseMs) {
        return Stop::TimedOut;  // a header block trickling in forever
    }
    return Stop::None;
}

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

struct Outcome {
    bool completed = false;  // a final response came and its body was read to the end
    Transfer transfer;
};

Outcome perform(const net::RequestPlan& plan)
{
    Outcome outcome;
    Transfer& transfer = outcome.transfer;
    transfer.totalMs = plan.totalMs;
    transfer.phaseMs = plan.phaseMs;

    EasyHandle easy(curl_easy_init());
    MultiHandle multi(curl_multi_init());
    if (!easy || !multi) {
        return outcome;
    }
    CURL* handle = easy.get();

    HeaderList headers;
    for (const std::string& line : net::wireHeaderLines(plan)) {
        if (line.find_first_of("\r\n") != std::string::npos || !appendHeader(headers, curlHeaderLine(line))) {
            return outcome;
        }
    }
    // Headers libcurl would otherwise add of its own accord.
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
        if (!appendHeader(headers, line)) {
            return outcome;
        }
    }

    curl_easy_setopt(handle, CURLOPT_URL, plan.target.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, plan.allowRedirect ? 1L : 0L);
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, maximumRedirects);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, plan.phaseMs);
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, maximumBodyBytes);
    curl_easy_setopt(handle, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // An empty proxy also keeps libcurl from taking one from the environment.
    curl_easy_setopt(handle, CURLOPT_PROXY, plan.proxy.used ? plan.proxy.server.c_str() : "");
    if (plan.proxy.used) {
        if (!isAllowedProxy(plan.proxy.server)) {
            return outcome;
        }
        curl_easy_setopt(handle, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (plan.proxy.hasCredentials) {
            curl_easy_setopt(handle, CURLOPT_PROXYUSERNAME, plan.proxy.userName.c_str());
            curl_easy_setopt(handle, CURLOPT_PROXYPASSWORD, plan.proxy.password.c_str());
        }
    }
    if (!plan.userName.empty()) {
        // More than one method: credentials go out only when the server asks.
        curl_easy_setopt(handle, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
        curl_easy_setopt(handle, CURLOPT_USERNAME, plan.userName.c_str());
        curl_easy_setopt(handle, CURLOPT_PASSWORD, plan.password.c_str());
    }

    if (plan.method == "POST") {
        curl_easy_setopt(handle, CURLOPT_POST, 1L);
        curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(plan.body.size()));
        curl_easy_setopt(handle, CURLOPT_POSTFIELDS, plan.body.c_str());
    } else if (plan.method == "GET") {
        curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
    } else if (plan.method == "HEAD") {
        curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, plan.method.c_str());
    }

    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_PREREQFUNCTION, &onConnected);
    curl_easy_setopt(handle, CURLOPT_PREREQDATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &onProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);

    if (curl_multi_add_handle(multi.get(), handle) != CURLM_OK) {
        return outcome;
    }
    transfer.started = Clock::now();
    transfer.lastActivity = transfer.started;
    Stop stop = Stop::None;
    int running = 1;
    while (running > 0) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            stop = Stop::TimedOut;
            break;
        }
        if (running == 0) {
            break;
        }
        stop = checkLimits(transfer);
        if (stop != Stop::None) {
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, pollIntervalMs, nullptr);
    }
    CURLcode result = CURLE_OK;
    bool finished = false;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
            result = message->data.result;
            finished = true;
        }
    }
    curl_multi_remove_handle(multi.get(), handle);
    if (transfer.pastDeadline()) {
        // Checked once more after the last read, as every read is.
        transfer.deadlinePassed = true;
    }
    outcome.completed = stop == Stop::None && finished && result == CURLE_OK && transfer.headersComplete
        && !transfer.deadlinePassed && !transfer.oversized;
    return outcome;
}

}  // namespace

Bytes HttpClient::request(const Text& url, const HttpOptions& options, HttpExchange* exchange)
{
    initialiseCurlOnce();
    HttpExchange local;
    HttpExchange& out = exchange != nullptr ? *exchange : local;
    out = HttpExchange {};

    const net::RequestPlan plan = net::planRequest(url, options);
    if (!plan.valid) {
        out.sentHeaders = options.headers;
        return {};
    }
    out.sentHeaders = plan.headerBlock;

    const std::string server
        = (plan.secure ? "https://" : "http://") + plan.host.str() + ":" + std::to_string(plan.port);
    const auto slot = net::ConnectionLimit::processWide().acquire(server, std::chrono::milliseconds(plan.phaseMs));
    if (!slot.held()) {
        out.responseHeaders = Text(std::string(responseHeaderLimit, ' '));
        return {};
    }

    Outcome outcome = perform(plan);
    const Transfer& transfer = outcome.transfer;
    // A header block that does not fit the 4096-byte buffer is not returned,
    // and neither is one that never arrived: both leave the buffer's blanks.
    if (transfer.headersComplete && transfer.headerBlock.size() < responseHeaderLimit) {
        out.responseHeaders = Text(transfer.headerBlock);
    } else {
        out.responseHeaders = Text(std::string(responseHeaderLimit, ' '));
    }
    out.cookies = net::cookiesFromResponseHeaders(out.responseHeaders);
    if (!outcome.completed) {
        return {};
    }
    return std::move(outcome.transfer.body);
}

}  // namespace quorvo
