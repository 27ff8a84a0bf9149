#pragma once

// What the server answered, one entry per request, for tests to read back
// over GET /_log. An entry is written before the first byte of its response
// leaves the server, so a client that has seen a reply always finds it here.

#include "http/HttpMessage.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace quorvo::server {

class RequestLog {
public:
    struct Entry {
        std::uint64_t sequence = 0;
        std::string method;
        std::string target;
        std::vector<HttpHeader> headers;
        int status = 0;
        std::atomic<std::uint64_t> bodyBytes {0};
    };

    explicit RequestLog(std::size_t capacity = 200000)
        : m_capacity(capacity)
    { }

    using Observer = std::function<void(const Entry&)>;

    std::shared_ptr<Entry> add(const HttpRequest& request, int status);
    std::shared_ptr<Entry> addUnparsed(int status);
    void clear();

    // Called once a response has been sent (or abandoned); set before serving.
    void setObserver(Observer observer) { m_observer = std::move(observer); }
    void finished(const Entry& entry) const
    {
        if (m_observer)
            m_observer(entry);
    }

    // One line per entry, oldest first:
    // sequence TAB method TAB target TAB status TAB body-bytes {TAB name ": " value}
    // Bytes outside 0x20..0x7E and the backslash are written as \xHH.
    [[nodiscard]] std::string render() const;

private:
    std::shared_ptr<Entry> push(std::shared_ptr<Entry> entry);

    mutable std::mutex m_mutex;
    std::deque<std::shared_ptr<Entry>> m_entries;
    std::uint64_t m_nextSequence = 1;
    std::size_t m_capacity;
    Observer m_observer;
};

// \xHH escaping used by the log (and its inverse, for readers).
std::string escapeLogField(std::string_view bytes);
std::string unescapeLogField(std::string_view text);

}  // namespace quorvo::server
