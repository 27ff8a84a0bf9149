#include "net/HttpStream.h"

#include "net/CurlEasy.h"

#include <string>

namespace quorvo::net {
namespace {

// How long the loop waits on the network before it asks the hooks again.
constexpr int pollIntervalMs = 20;

class Exchange {
public:
    Exchange(CURL* handle, const StreamHandlers& handlers)
        : m_handle(handle)
        , m_handlers(handlers)
    { }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<Exchange*>(self)->m_head.take(std::string_view(data, size * count)) ? size * count : 0;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        // Any count other than the length makes libcurl stop with a write error.
        return static_cast<Exchange*>(self)->takeBody(std::string_view(data, size * count)) ? size * count : 0;
    }

    // The reply of a transfer that ended without a body byte.
    bool finishWithoutBody() { return m_replied || handOverReply(); }

    // False (and the exchange is to stop) when a hook says so.
    bool goOn()
    {
        if (m_handlers.abort && m_handlers.abort()) {
            m_stopped = true;
            m_aborted = true;
            return false;
        }
        if (m_handlers.idle && !m_handlers.idle()) {
            m_stopped = true;
            return false;
        }
        return true;
    }

    [[nodiscard]] bool stoppedByHook() const { return m_stopped; }
    [[nodiscard]] bool aborted() const { return m_aborted; }
    [[nodiscard]] bool replied() const { return m_replied; }
    [[nodiscard]] bool headTooLarge() const { return m_head.tooLarge(); }

private:
    bool takeBody(std::string_view bytes)
    {
        if (!m_replied && !handOverReply()) {
            return false;
        }
        if (m_handlers.body && !m_handlers.body(bytes)) {
            m_stopped = true;
            return false;
        }
        return true;
    }

    bool handOverReply()
    {
        m_replied = true;
        StreamReply reply;
        curl_off_t length = -1;
        curl_easy_getinfo(m_handle, CURLINFO_RESPONSE_CODE, &reply.status);
        curl_easy_getinfo(m_handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        reply.contentLength = length;
        reply.headers = m_head.headers();
        if (const std::optional<Text> range = reply.headers.get("Content-Range")) {
            reply.contentRange = parseContentRange(range->view());
        }
        if (const std::optional<Text> encoding = reply.headers.get("Content-Encoding")) {
            const Text lower = text::toLower(encoding->view());
            if (lower != "identity") {
                reply.contentEncoding = lower;
            }
        }
        if (m_handlers.reply && !m_handlers.reply(reply)) {
            m_stopped = true;
            return false;
        }
        return true;
    }

    CURL* m_handle;
    const StreamHandlers& m_handlers;
    curl::ReplyHead m_head;
    bool m_replied = false;
    bool m_stopped = false;
    bool m_aborted = false;
};

StreamResult failed(HttpError error, Text detail = {})
{
    return StreamResult {StreamEnd::Failed, error, false, std::move(detail)};
}

}  // namespace

StreamResult streamRequest(const RequestPlan& plan, const StreamSettings& settings, const StreamHandlers& handlers)
{
    curl::initialiseOnce();
    if (!plan.valid) {
        return failed(HttpError::InvalidRequest);
    }
    RequestPlan decoding = plan;
    decoding.decodeContent = settings.decodeContent;
    const curl::EasyHandle easy(curl_easy_init());
    const curl::MultiHandle multi(curl_multi_init());
    curl::HeaderList headers;
    if (!easy || !multi) {
        return failed(HttpError::TooLarge, "out of memory");
    }
    if (!curl::buildHeaderList(decoding, headers)) {
        return failed(HttpError::InvalidRequest);
    }
    CURL* handle = easy.get();
    Exchange exchange(handle, handlers);
    std::string errorText(CURL_ERROR_SIZE, '\0');

    curl::Options options(handle);
    curl::applyPlan(options, decoding, headers);
    options.set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connectTimeout.count()))
        .set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L)
        .set(CURLOPT_HEADERFUNCTION, &Exchange::onHeader)
        .set(CURLOPT_HEADERDATA, &exchange)
        .set(CURLOPT_WRITEFUNCTION, &Exchange::onBody)
        .set(CURLOPT_WRITEDATA, &exchange)
        .set(CURLOPT_ERRORBUFFER, errorText.data());
    if (settings.receiveBufferBytes > 0) {
        options.set(CURLOPT_BUFFERSIZE, settings.receiveBufferBytes);
    }
    if (settings.lowSpeedBytesPerSecond > 0) {
        options.set(CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytesPerSecond)
            .set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(settings.lowSpeedTime.count()));
    }
    if (!options.ok()) {
        return failed(HttpError::InvalidRequest);
    }
    if (curl_multi_add_handle(multi.get(), handle) != CURLM_OK) {
        return failed(HttpError::TooLarge, "out of memory");
    }

    // The multi loop rather than curl_easy_perform: libcurl's progress
    // callback comes only about once a second while the server is silent,
    // the hooks here at least every poll interval.
    bool loopFailed = false;
    int running = 1;
    while (running > 0) {
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            loopFailed = true;
            break;
        }
        if (running == 0 || !exchange.goOn()) {
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, pollIntervalMs, nullptr);
    }
    CURLcode code = CURLE_OK;
    bool finished = false;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == handle) {
            code = message->data.result;
            finished = true;
        }
    }
    curl_multi_remove_handle(multi.get(), handle);

    StreamResult result;
    result.detail = Text(errorText.c_str());
    if (exchange.stoppedByHook()) {
        result.end = StreamEnd::Stopped;
        result.error = exchange.aborted() ? HttpError::Aborted : HttpError::None;
    } else if (loopFailed || !finished) {
        result.end = StreamEnd::Failed;
        result.error = HttpError::Network;
    } else if (code == CURLE_OK) {
        if (exchange.finishWithoutBody()) {
            result.end = StreamEnd::Completed;
        } else {
            result.end = StreamEnd::Stopped;
        }
    } else {
        result.end = StreamEnd::Failed;
        result.error = exchange.headTooLarge() ? HttpError::TooLarge : curl::errorOf(code);
        if (result.error == HttpError::Aborted) {
            // A write error no hook asked for.
            result.error = HttpError::Network;
        }
    }
    result.replied = exchange.replied();
    return result;
}

}  // namespace quorvo::net
