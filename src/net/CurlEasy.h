#pragma once

// libcurl plumbing shared by the exchanges of src/net (never included from
// outside it): the handle owners, the once-per-process set-up, and the one
// place where options are set and every result is checked.

#include "net/HttpResponse.h"
#include "net/RequestPlan.h"

#include <curl/curl.h>

#include <memory>
#include <string>
#include <string_view>

namespace quorvo::net::curl {

void initialiseOnce();

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

// Sets options on one handle; after the first refusal nothing more is set
// and ok() stays false, so a chain of set() calls is checked once at its end.
class Options {
public:
    explicit Options(CURL* handle)
        : m_handle(handle)
    { }

    template <typename Value> Options& set(CURLoption option, Value value)
    {
        if (m_ok && curl_easy_setopt(m_handle, option, value) != CURLE_OK) {
            m_ok = false;
        }
        return *this;
    }
    void fail() { m_ok = false; }
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    CURL* m_handle;
    bool m_ok = true;
};

// The header lines of the plan as libcurl takes them, with the headers
// libcurl would otherwise add of its own accord switched off. False when a
// line holds a line break or the list cannot grow.
bool buildHeaderList(const RequestPlan& plan, HeaderList& list);

// What every exchange sets from its plan: target, schemes, header lines,
// redirects, proxy, server logon and method. `headers` must outlive the
// transfer.
void applyPlan(Options& options, const RequestPlan& plan, const HeaderList& headers);

// What a libcurl result means to the caller.
HttpError errorOf(CURLcode code);

// The head of the final reply, collected from libcurl's header callback line
// by line: an interim reply (100 Continue) or a redirect is replaced by the
// reply that follows it. The whole head stream is capped.
class ReplyHead {
public:
    static constexpr std::size_t maximumBytes = HttpClient::responseHeaderLimit;

    // False once the head stream has passed maximumBytes.
    bool take(std::string_view line);

    [[nodiscard]] bool complete() const { return m_complete; }
    [[nodiscard]] bool tooLarge() const { return m_tooLarge; }
    [[nodiscard]] const HttpHeaders& headers() const { return m_headers; }
    [[nodiscard]] const Text& statusLine() const { return m_statusLine; }
    // The lines of the final head, each ended by CR LF, the blank line last.
    [[nodiscard]] const std::string& raw() const { return m_raw; }

private:
    HttpHeaders m_headers;
    Text m_statusLine;
    std::string m_raw;
    std::size_t m_streamBytes = 0;
    bool m_complete = false;
    bool m_tooLarge = false;
};

}  // namespace quorvo::net::curl
