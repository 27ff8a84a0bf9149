#include "service/Search.h"

#include "data/XmlDocument.h"
#include "net/HttpClient.h"
#include "platform/Files.h"
#include "runtime/Numbers.h"
#include "service/HighlightMarkup.h"

namespace quorvo::service {

namespace {

// The rate list split at ",": an empty piece between two commas counts, a
// trailing empty piece does not.
std::vector<Text> splitRates(std::string_view rates)
{
    return text::split(rates, ",");
}

}  // namespace

bool SearchGate::startSearch(const Text& query)
{
    if (query == m_lastQuery)
        return false;
    m_lastQuery = query;
    return true;
}

int64_t searchProgressWidth(int64_t done, int64_t count)
{
    if (count <= 0)
        return 0;
    return numbers::truncateToInteger(static_cast<double>(done) / static_cast<double>(count) * 394.0);
}

std::vector<SongRecord> runSearch(const ServiceEndpoints& service, const Text& query, const SearchFilter& filter,
                                  const SearchProgress& progress, const SearchRowListed& listed, SearchReport* report)
{
    std::vector<SongRecord> rows;
    if (query.empty())
        return rows;

    net::HttpOptions options;
    options.userAgent = Text(serviceUserAgent);
    options.bodyLimit = searchReplyLimit;
    const net::HttpResponse response = net::HttpClient::request(service.searchUrl(query), options);
    data::XmlDocument document;
    // An error page is no search result, even when it is XML.
    const bool isDocument = response.ok() && document.load(response.body) && !document.getName(0).empty();
    const int songList = isDocument ? document.indexByPath("<#0/song_list/") : -1;
    if (report) {
        report->answered = response.status != 0;
        report->status = response.status;
        report->error = response.error;
        report->searchDocument = songList != -1;
    }
    if (!isDocument)
        return rows;

    // The fields of song i are those the path "<#0/song_list/<@i</title/"
    // names, read from the song's node directly: one path per reply, not
    // one per field.
    const std::span<const int> songs = document.childrenOf(songList);
    const auto count = static_cast<int64_t>(songs.size());
    const Text base = service.baseAddress();
    for (int64_t i = 1; i <= count; ++i) {
        const int song = songs[static_cast<std::size_t>(i - 1)];
        const auto field = [&](std::string_view name) { return document.valueOf(document.resolveStep(song, name)); };
        const Text title = stripHighlightMarkup(field("title"));
        const Text album = stripHighlightMarkup(field("album_title"));
        const Text artist = stripHighlightMarkup(field("author"));
        const Text songId(field("song_id"));
        const Text lyricUrl = base + field("lrclink");
        const std::vector<Text> rates = splitRates(field("all_rate"));

        if (!rates.empty()) {
            SongRecord row {title, album, artist, rates.back(), songId, lyricUrl};
            bool isListed = true;
            if (filter.bypass) {
                const Text name = filter.naming.nameOf(row);
                isListed = !platform::exists(filter.naming.pathsOf(name, row.quality).song)
                    && !(filter.isQueued && filter.isQueued(name));
            }
            if (isListed) {
                rows.push_back(std::move(row));
                if (listed)
                    listed(rows.back());
            }
        }
        if (progress)
            progress(i, count);
    }
    return rows;
}

}  // namespace quorvo::service
