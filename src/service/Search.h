#pragma once

// The song search: one request to the service's search method, its XML reply
// read into result rows, and the `bypass` filter that leaves out songs
// already on disk or already queued.

#include "net/HttpResponse.h"
#include "runtime/Text.h"
#include "service/ServiceHost.h"
#include "service/SongNaming.h"
#include "service/SongRecord.h"

#include <functional>
#include <vector>

namespace quorvo::service {

// The product text the search and link requests carry as user agent.
inline constexpr std::string_view serviceUserAgent = "Quorvo\xD2\xF4\xC0\xD6\xCF\xC2\xD4\xD8";  // Quorvo音乐下载

// A 60-song reply is about 30 KB; a reply beyond this is not a search result
// and is refused before it takes the memory.
inline constexpr int64_t searchReplyLimit = 8LL * 1024 * 1024;

// startSearch's rule: repeating the last query does not search again.
class SearchGate {
public:
    // True (and the query becomes the last one) when `query` differs from the
    // last query byte for byte. An emptied box counts as a new query.
    bool startSearch(const Text& query);
    [[nodiscard]] const Text& lastQuery() const { return m_lastQuery; }

private:
    Text m_lastQuery;
};

struct SearchFilter {
    // The `bypass` setting: leave out songs that exist or are queued.
    bool bypass = false;
    // The scheme and save directory of the moment, for the `bypass` test.
    SongNaming naming;
    // "Is some download row named this?"
    std::function<bool(const Text& name)> isQueued;
};

// Called after each song of the reply, listed or not: (i, count).
using SearchProgress = std::function<void(int64_t done, int64_t count)>;
// Called with each row as soon as it is made, before that song's progress.
using SearchRowListed = std::function<void(const SongRecord& row)>;

// The width of the search box's progress bar after song i of count.
int64_t searchProgressWidth(int64_t done, int64_t count);

// How the search's request went, for a caller that must tell a service that
// did not answer from a search that found nothing.
struct SearchReport {
    bool answered = false;                        // an HTTP response came back
    bool searchDocument = false;                  // and it was a search result (2xx, read whole, with a song list)
    long status = 0;                              // the reply's status; 0 without an answer
    net::HttpError error = net::HttpError::None;  // why the exchange failed, if it did
};

// runSearch steps 2-6: the rows for `query`, in reply order. An empty query,
// a failed request or a reply that is not a search document gives no rows.
std::vector<SongRecord> runSearch(const ServiceEndpoints& service, const Text& query, const SearchFilter& filter,
                                  const SearchProgress& progress = {}, const SearchRowListed& listed = {},
                                  SearchReport* report = nullptr);

}  // namespace quorvo::service
