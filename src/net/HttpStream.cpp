#include "net/HttpStream.h"

#include "net/CurlEasy.h"
#include "runtime/Numbers.h"

#include <algorithm>
#include <ctime>
#include <string>

namespace quorvo::net {
namespace {

// Past this the header stream is an attack, not a header block.
constexpr std::size_t maximumHeaderStreamBytes = 1024 * 1024;

class Exchange {
public:
    Exchange(CURL* handle, const StreamHandlers& handlers)
        : m_handle(handle)
        , m_handlers(handlers)
    { }

    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<Exchange*>(self)->takeHeader(std::string_view(data, size * count)) ? size * count : 0;
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self)
    {
        // Any count other than the length makes libcurl stop with a write error.
        return static_cast<Exchange*>(self)->takeBody(std::string_view(data, size * count)) ? size * count : 0;
    }

    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<Exchange*>(self)->goOn() ? 0 : 1;
    }

    // The reply of a transfer that ended without a body byte.
    bool finishWithoutBody() { return m_replied || handOverReply(); }

    [[nodiscard]] bool stoppedByHook() const { return m_stopped; }

private:
    bool takeHeader(std::string_view line)
    {
        m_headerStreamBytes += line.size();
        if (m_headerStreamBytes > maximumHeaderStreamBytes) {
            return false;
        }
        if (text::startsWith(line, "HTTP/", CaseSensitivity::Insensitive)) {
            // A new reply (after a redirect or an interim reply): only the final one counts.
            m_headers.clear();
        }
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.remove_suffix(1);
        }
        m_headers.append(line);
        m_headers.append("\r\n");
        return true;
    }

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
        reply.headers = Text(std::move(m_headers));
        m_headers.clear();
        if (m_handlers.reply && !m_handlers.reply(reply)) {
            m_stopped = true;
            return false;
        }
        return true;
    }

    bool goOn()
    {
        if ((m_handlers.abort && m_handlers.abort()) || (m_handlers.idle && !m_handlers.idle())) {
            m_stopped = true;
            return false;
        }
        return true;
    }

    CURL* m_handle;
    const StreamHandlers& m_handlers;
    std::string m_headers;
    std::size_t m_headerStreamBytes = 0;
    bool m_replied = false;
    bool m_stopped = false;
};

}  // namespace

StreamEnd streamRequest(const RequestPlan& plan, const StreamSettings& settings, const StreamHandlers& handlers)
{
    curl::initialiseOnce();
    if (!plan.valid) {
        return StreamEnd::Failed;
    }
    const curl::EasyHandle easy(curl_easy_init());
    curl::HeaderList headers;
    if (!easy || !curl::buildHeaderList(plan, headers)) {
        return StreamEnd::Failed;
    }
    CURL* handle = easy.get();
    Exchange exchange(handle, handlers);

    curl::Options options(handle);
    curl::applyPlan(options, plan, headers);
    options.set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connectTimeout.count()))
        .set(CURLOPT_HEADERFUNCTION, &Exchange::onHeader)
        .set(CURLOPT_HEADERDATA, &exchange)
        .set(CURLOPT_WRITEFUNCTION, &Exchange::onBody)
        .set(CURLOPT_WRITEDATA, &exchange)
        .set(CURLOPT_NOPROGRESS, 0L)
        .set(CURLOPT_XFERINFOFUNCTION, &Exchange::onProgress)
        .set(CURLOPT_XFERINFODATA, &exchange);
    if (settings.receiveBufferBytes > 0) {
        options.set(CURLOPT_BUFFERSIZE, settings.receiveBufferBytes);
    }
    if (settings.lowSpeedBytesPerSecond > 0) {
        options.set(CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytesPerSecond)
            .set(CURLOPT_LOW_SPEED_TIME, static_cast<long>(settings.lowSpeedTime.count()));
    }
    if (!options.ok()) {
        return StreamEnd::Failed;
    }

    const CURLcode code = curl_easy_perform(handle);
    if (code == CURLE_OK) {
        return exchange.finishWithoutBody() ? StreamEnd::Completed : StreamEnd::Stopped;
    }
    return exchange.stoppedByHook() ? StreamEnd::Stopped : StreamEnd::Failed;
}

std::optional<Text> headerField(std::string_view headers, std::string_view name)
{
    std::optional<Text> value;
    for (const Text& line : text::split(headers, "\r\n")) {
        const std::string_view view = line.view();
        if (view.size() > name.size() && view[name.size()] == ':'
            && text::startsWith(view, name, CaseSensitivity::Insensitive)) {
            value = text::trim(view.substr(name.size() + 1));
        }
    }
    return value;
}

std::optional<std::chrono::seconds> retryAfterOf(std::string_view headers)
{
    const std::optional<Text> value = headerField(headers, "Retry-After");
    if (!value || value->empty())
        return std::nullopt;
    const std::string_view field = value->view();
    if (std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        // More digits than any real wait: a day is plenty.
        constexpr int64_t longest = 24 * 60 * 60;
        return std::chrono::seconds(field.size() > 6 ? longest : std::min(longest, numbers::toInteger(field)));
    }
    const std::time_t at = curl_getdate(value->c_str(), nullptr);
    if (at < 0)
        return std::nullopt;
    return std::chrono::seconds(std::max<std::time_t>(0, at - std::time(nullptr)));
}

}  // namespace quorvo::net
