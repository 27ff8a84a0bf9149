#include "http/RequestLog.h"

namespace quorvo::server {

std::shared_ptr<RequestLog::Entry> RequestLog::add(const HttpRequest& request, int status)
{
    auto entry = std::make_shared<Entry>();
    entry->method = request.method;
    entry->target = request.target;
    entry->headers = request.headers;
    entry->status = status;
    return push(std::move(entry));
}

std::shared_ptr<RequestLog::Entry> RequestLog::addUnparsed(int status)
{
    auto entry = std::make_shared<Entry>();
    entry->method.assign(1, '-');
    entry->target.assign(1, '-');
    entry->status = status;
    return push(std::move(entry));
}

std::shared_ptr<RequestLog::Entry> RequestLog::push(std::shared_ptr<Entry> entry)
{
    const std::lock_guard lock(m_mutex);
    entry->sequence = m_nextSequence++;
    m_entries.push_back(entry);
    while (m_entries.size() > m_capacity)
        m_entries.pop_front();
    return entry;
}

void RequestLog::clear()
{
    const std::lock_guard lock(m_mutex);
    m_entries.clear();
}

std::string RequestLog::render() const
{
    std::string out;
    const std::lock_guard lock(m_mutex);
    for (const auto& entry : m_entries) {
        out += std::to_string(entry->sequence);
        out += '\t';
        out += escapeLogField(entry->method);
        out += '\t';
        out += escapeLogField(entry->target);
        out += '\t';
        out += std::to_string(entry->status);
        out += '\t';
        out += std::to_string(entry->bodyBytes.load());
        for (const HttpHeader& header : entry->headers) {
            out += '\t';
            out += escapeLogField(header.name);
            out += ": ";
            out += escapeLogField(header.value);
        }
        out += '\n';
    }
    return out;
}

std::string escapeLogField(std::string_view bytes)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7E || byte == '\\') {
            out += "\\x";
            out += hexDigits[byte >> 4];
            out += hexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeLogField(std::string_view text)
{
    const auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0
            && hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace quorvo::server
