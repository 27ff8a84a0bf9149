// HttpClient::request on libcurl. The header block, the time limits and the
// result rules follow the exchange the program was designed around; libcurl
// is told to add nothing of its own except the Host line.

#include "net/HttpClient.h"

#include "net/ConnectionLimit.h"
#include "net/CurlEasy.h"
#include "net/RequestPlan.h"

#include <algorithm>
#include <chrono>
#include <string>

namespace quorvo::net {
namespace {

using Clock = std::chrono::steady_clock;

// How long the loop waits on the network before it looks at the limits and
// the abort hook again.
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
    curl::ReplyHead head;
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
    if (!transfer.head.take(std::string_view(data, length))) {
        return 0;
    }
    if (!transfer.head.complete()) {
        // A new response (informational, redirect, authentication retry) may
        // follow a finished one: only the final one counts.
        transfer.headersComplete = false;
        transfer.body.clear();
    } else if (!transfer.headersComplete) {
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
enum class Stop { None, Deadline, TimedOut, Aborted };

Stop checkLimits(Transfer& transfer, const std::function<bool()>& abort)
{
    if (abort && abort()) {
        return Stop::Aborted;
    }
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
    HttpError error = HttpError::None;
    long status = 0;
    Transfer transfer;
};

HttpError errorOf(Stop stop)
{
    switch (stop) {
    case Stop::None:
        return HttpError::None;
    case Stop::Deadline:
    case Stop::TimedOut:
        return HttpError::Timeout;
    case Stop::Aborted:
        return HttpError::Aborted;
    }
    return HttpError::Network;
}

void perform(const RequestPlan& plan, const std::function<bool()>& abort, Outcome& outcome)
{
    Transfer& transfer = outcome.transfer;
    transfer.totalMs = plan.totalMs;
    transfer.phaseMs = plan.phaseMs;
    transfer.bodyLimit = plan.bodyLimit;
    outcome.error = HttpError::InvalidRequest;

    const curl::EasyHandle easy(curl_easy_init());
    const curl::MultiHandle multi(curl_multi_init());
    if (!easy || !multi) {
        return;
    }
    CURL* handle = easy.get();

    curl::HeaderList headers;
    if (!curl::buildHeaderList(plan, headers)) {
        return;
    }
    curl::Options options(handle);
    curl::applyPlan(options, plan, headers);
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
    if (!options.ok() || curl_multi_add_handle(multi.get(), handle) != CURLM_OK) {
        return;
    }
    transfer.started = Clock::now();
    transfer.lastActivity = transfer.started;
    Stop stop = Stop::None;
    bool multiFailed = false;
    int running = 1;
    while (running > 0) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            multiFailed = true;
            break;
        }
        if (running == 0) {
            break;
        }
        stop = checkLimits(transfer, abort);
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
    if (transfer.headersComplete) {
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &outcome.status);
    }
    curl_multi_remove_handle(multi.get(), handle);
    if (transfer.pastDeadline()) {
        // Checked once more after the last read, as every read is.
        transfer.deadlinePassed = true;
    }

    if (stop != Stop::None) {
        outcome.error = errorOf(stop);
    } else if (transfer.deadlinePassed) {
        outcome.error = HttpError::Timeout;
    } else if (transfer.oversized || transfer.head.tooLarge()) {
        outcome.error = HttpError::TooLarge;
    } else if (multiFailed || !finished) {
        outcome.error = HttpError::Network;
    } else if (result != CURLE_OK) {
        outcome.error = curl::errorOf(result);
    } else if (!transfer.headersComplete) {
        outcome.error = HttpError::Protocol;
    } else {
        outcome.error = HttpError::None;
    }
}

// Waits for one of the server's connection slots, asking the abort hook
// between short waits.
ConnectionLimit::Slot acquireSlot(const std::string& server, long waitMs, const std::function<bool()>& abort)
{
    const auto until = Clock::now() + std::chrono::milliseconds(waitMs);
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
        auto slot = ConnectionLimit::processWide().acquire(
            server, std::clamp(left, std::chrono::milliseconds(0), std::chrono::milliseconds(pollIntervalMs)));
        if (slot.held() || left.count() <= 0 || (abort && abort())) {
            return slot;
        }
    }
}

}  // namespace

HttpResponse HttpClient::request(const Text& url, const HttpOptions& options)
{
    curl::initialiseOnce();
    HttpResponse response;

    const RequestPlan plan = planRequest(url, options);
    if (!plan.valid) {
        response.sentHeaders = options.headers;
        response.error = HttpError::InvalidRequest;
        return response;
    }
    response.sentHeaders = plan.headerBlock;
    if (options.abort && options.abort()) {
        response.error = HttpError::Aborted;
        return response;
    }

    const std::string server
        = (plan.secure ? "https://" : "http://") + plan.host.str() + ":" + std::to_string(plan.port);
    const auto slot = acquireSlot(server, plan.phaseMs, options.abort);
    if (!slot.held()) {
        response.error = options.abort && options.abort() ? HttpError::Aborted : HttpError::Timeout;
        return response;
    }

    Outcome outcome;
    perform(plan, options.abort, outcome);
    Transfer& transfer = outcome.transfer;
    response.error = outcome.error;
    // The final reply's head, whenever one came whole; the body only when
    // the exchange completed.
    if (transfer.headersComplete) {
        response.status = outcome.status;
        response.statusLine = transfer.head.statusLine();
        response.headers = transfer.head.headers();
        response.cookies = cookiesFromResponseHeaders(Text(transfer.head.raw()));
    }
    if (response.error == HttpError::None) {
        response.body = std::move(transfer.body);
    }
    return response;
}

}  // namespace quorvo::net
