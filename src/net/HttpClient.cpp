// HttpClient::request on libcurl. The header block, the time limits and the
// result rules follow the exchange the program was designed around; libcurl
// is told to add nothing of its own except the Host line.

#include "net/HttpClient.h"

#include "net/ConnectionLimit.h"
#include "net/CurlEasy.h"
#include "net/RequestPlan.h"

#include <chrono>
#include <string>

namespace quorvo::net {
namespace {

using Clock = std::chrono::steady_clock;

// Past this the header stream is an attack, not a header block.
constexpr std::size_t maximumHeaderStreamBytes = 1024 * 1024;
constexpr int pollIntervalMs = 20;

// What the callbacks learn while the transfer runs.
struct Transfer {
    long totalMs = 15000;
    long phaseMs = 5000;
    int64_t bodyLimit = HttpClient::defaultBodyLimit;
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
    if (transfer.body.size() + length > static_cast<std::size_t>(transfer.bodyLimit)) {
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
    transfer.bodyLimit = plan.bodyLimit;

    const net::curl::EasyHandle easy(curl_easy_init());
    const net::curl::MultiHandle multi(curl_multi_init());
    if (!easy || !multi) {
        return outcome;
    }
    CURL* handle = easy.get();

    net::curl::HeaderList headers;
    if (!net::curl::buildHeaderList(plan, headers)) {
        return outcome;
    }
    net::curl::Options options(handle);
    net::curl::applyPlan(options, plan, headers);
    options.set(CURLOPT_CONNECTTIMEOUT_MS, plan.phaseMs)
        .set(CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(plan.bodyLimit))
        .set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L)
        .set(CURLOPT_HEADERFUNCTION, &onHeader)
        .set(CURLOPT_HEADERDATA, &transfer)
        .set(CURLOPT_WRITEFUNCTION, &onBody)
        .set(CURLOPT_WRITEDATA, &transfer)
        .set(CURLOPT_PREREQFUNCTION, &onConnected)
        .set(CURLOPT_PREREQDATA, &transfer)
        .set(CURLOPT_XFERINFOFUNCTION, &onProgress)
        .set(CURLOPT_XFERINFODATA, &transfer)
        .set(CURLOPT_NOPROGRESS, 0L);
    if (!options.ok()) {
        return outcome;
    }

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
    net::curl::initialiseOnce();
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

}  // namespace quorvo::net
