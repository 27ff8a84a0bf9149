#include "service/QuorvoService.h"

#include "runtime/Encoding.h"
#include "service/ByteRange.h"
#include "service/Lyrics.h"
#include "service/QueryString.h"
#include "service/SearchReply.h"
#include "service/SongIds.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>

#include <charconv>
#include <cstdio>

namespace quorvo::server {

namespace {

constexpr std::string_view searchPath = "/v1/restserver/vesk";
constexpr std::string_view searchMethod = "Quorvo.vesk.search.common";
constexpr std::string_view linkPath = "/app/link/getLinks.php";
constexpr std::string_view lyricPrefix = "/data2/lrc/";
constexpr std::string_view musicPrefix = "/data2/music/";
constexpr std::string_view redirectPrefix = "/_r";

Response textReply(int status, std::string body, std::string contentType)
{
    Response response;
    response.status = status;
    response.body = std::move(body);
    response.setHeader("Content-Type", std::move(contentType));
    return response;
}

Response htmlError(int status)
{
    const std::string title = std::to_string(status) + " " + std::string(reasonPhrase(status));
    return textReply(status,
                     "<html><head><title>" + title + "</title></head><body><h1>" + title + "</h1></body></html>\n",
                     "text/html");
}

Response xmlReply(int status, std::string body)
{
    return textReply(status, std::move(body), "text/xml; charset=utf-8");
}

Response jsonReply(int status, std::string body)
{
    return textReply(status, std::move(body), "application/json; charset=utf-8");
}

bool isGetOrHead(const HttpRequest& request)
{
    return request.method == "GET" || request.method == "HEAD";
}

Response methodNotAllowed()
{
    Response response = htmlError(405);
    response.setHeader("Allow", "GET, HEAD");
    return response;
}

// Reads a decimal page number or size; nothing when absent or not a number.
std::optional<long long> numberValue(const std::optional<std::string>& text)
{
    if (!text || text->empty())
        return std::nullopt;
    long long value = 0;
    const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (error == std::errc::result_out_of_range)
        return (*text)[0] == '-' ? std::numeric_limits<long long>::min() : std::numeric_limits<long long>::max();
    if (error != std::errc() || end != text->data() + text->size())
        return std::nullopt;
    return value;
}

// "/data2/<kind>/<id>/<id>.<ext>" → id and extension; nothing on any mismatch.
std::optional<std::pair<std::string, std::string>> splitMediaPath(std::string_view rest)
{
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view id = rest.substr(0, slash);
    const std::string_view file = rest.substr(slash + 1);
    const auto dot = file.rfind('.');
    if (dot == std::string_view::npos || file.substr(0, dot) != id)
        return std::nullopt;
    return std::make_pair(std::string(id), std::string(file.substr(dot + 1)));
}

std::string hexFingerprint(std::string_view text)
{
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(fnv1a(text, 11)));
    return out;
}

}  // namespace

void applyDelivery(Response& response, const FaultSettings& faults)
{
    if (faults.delay)
        response.delivery.delay = *faults.delay;
    if (faults.bytesPerSecond)
        response.delivery.bytesPerSecond = *faults.bytesPerSecond;
    response.delivery.dropAfter = faults.dropAfter;
    response.delivery.chunked = faults.chunked;
    for (const std::string& cookie : faults.setCookies)
        response.headers.push_back({"Set-Cookie", cookie});
}

QuorvoService::QuorvoService(const Catalogue& catalogue, MediaStore& media, RequestLog& log, ServiceSettings settings)
    : m_catalogue(catalogue)
    , m_media(media)
    , m_log(log)
    , m_settings(std::move(settings))
{ }

bool QuorvoService::isLogged(const HttpRequest& request)
{
    const std::string_view path = request.path();
    return path != "/_log" && path != "/_log/clear";
}

FaultSettings QuorvoService::faultsFor(Endpoint endpoint, const FaultSettings* songFaults) const
{
    FaultSettings faults;
    const FaultScope& scope = m_settings.globalScope;
    bool global = (endpoint == Endpoint::Search && scope.search) || (endpoint == Endpoint::Link && scope.link)
        || (endpoint == Endpoint::Lyrics && scope.lyrics) || (endpoint == Endpoint::Files && scope.files)
        || (endpoint == Endpoint::Echo && scope.echo);
    // With a count, only the first replies in scope meet the faults.
    if (global && m_settings.globalFaults.times)
        global = m_globalFaultReplies.fetch_add(1) < *m_settings.globalFaults.times;
    if (global)
        faults = m_settings.globalFaults;
    if (songFaults)
        faults.mergeFrom(*songFaults);
    return faults;
}

std::string QuorvoService::hostFor(const HttpRequest& request) const
{
    const auto host = request.header("Host");
    if (!host || host->empty())
        return m_settings.fallbackHost;
    for (const char c : *host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
            || c == '-' || c == ':' || c == '[' || c == ']';
        if (!allowed)
            return m_settings.fallbackHost;
    }
    return std::string(*host);
}

std::optional<Response> QuorvoService::faultReply(const HttpRequest& request, const FaultSettings& faults,
                                                  bool redirected) const
{
    std::optional<Response> reply;
    if (faults.status) {
        reply = htmlError(*faults.status);
        if (faults.retryAfter)
            reply->setHeader("Retry-After", *faults.retryAfter);
    } else if (faults.redirect && !redirected) {
        reply = htmlError(302);
        const std::string location = faults.redirect->empty()
            ? "http://" + hostFor(request) + std::string(redirectPrefix) + request.target
            : *faults.redirect;
        reply->setHeader("Location", location);
    }
    if (reply) {
        if (faults.delay)
            reply->delivery.delay = *faults.delay;
        for (const std::string& cookie : faults.setCookies)
            reply->headers.push_back({"Set-Cookie", cookie});
    }
    return reply;
}

Response QuorvoService::handle(const HttpRequest& request)
{
    std::string_view path = request.path();
    if (path == "/_log") {
        if (!isGetOrHead(request))
            return methodNotAllowed();
        return textReply(200, m_log.render(), "text/plain; charset=utf-8");
    }
    if (path == "/_log/clear") {
        m_log.clear();
        return textReply(200, "cleared\n", "text/plain");
    }
    if (path == "/echo" || path.starts_with("/echo/"))
        return echo(request);

    // "/_r/..." is where the redirect fault sends clients: the same resource,
    // without the redirect.
    bool redirected = false;
    if (path.starts_with(std::string(redirectPrefix) + "/")) {
        path.remove_prefix(redirectPrefix.size());
        redirected = true;
    }

    if (path == searchPath) {
        const FaultSettings faults = faultsFor(Endpoint::Search, nullptr);
        if (auto fault = faultReply(request, faults, redirected))
            return std::move(*fault);
        if (!isGetOrHead(request))
            return methodNotAllowed();
        Response response = search(request);
        applyDelivery(response, faults);
        return response;
    }
    if (path == linkPath)
        return link(request, redirected);
    if (path.starts_with(lyricPrefix))
        return lyrics(request, path.substr(lyricPrefix.size()), redirected);
    if (path.starts_with(musicPrefix))
        return songFile(request, path.substr(musicPrefix.size()), redirected);
    return htmlError(404);
}

Response QuorvoService::search(const HttpRequest& request)
{
    const auto query = parseQuery(request.rawQuery());
    const auto method = queryValue(query, "method");
    if (!method)
        return xmlReply(400, searchErrorXml(22001, "missing method"));
    if (*method != searchMethod)
        return xmlReply(400, searchErrorXml(22005, "method not found"));
    const auto format = queryValue(query, "format");
    if (format && *format != "xml")
        return xmlReply(400, searchErrorXml(22006, "unsupported format"));

    const std::string rawQuery = queryValue(query, "query").value_or("");
    // The client sends program text: GBK bytes, raw or percent-encoded.
    if (!isValidGb18030(rawQuery))
        return xmlReply(400, searchErrorXml(22007, "query is not GBK text"));
    const std::vector<std::string> words = queryWords(encoding::toUtf8(rawQuery));

    SearchPage page;
    const auto pageSize = numberValue(queryValue(query, "page_size"));
    const auto pageNo = numberValue(queryValue(query, "page_no"));
    page.pageSize = static_cast<int>(std::clamp<long long>(pageSize.value_or(defaultPageSize), 1, maxPageSize));
    const long long number = std::max<long long>(pageNo.value_or(1), 1);
    page.pageNo = static_cast<int>(std::min<long long>(number, std::numeric_limits<int>::max()));

    const std::vector<const Song*> matches = matchSongs(m_catalogue, words);
    page.total = matches.size();
    const unsigned long long skip
        = static_cast<unsigned long long>(number - 1) * static_cast<unsigned long long>(page.pageSize);
    if (skip < matches.size()) {
        const std::size_t from = static_cast<std::size_t>(skip);
        const std::size_t to = std::min(matches.size(), from + static_cast<std::size_t>(page.pageSize));
        page.songs.assign(matches.begin() + static_cast<std::ptrdiff_t>(from),
                          matches.begin() + static_cast<std::ptrdiff_t>(to));
    }
    return xmlReply(200, searchReplyXml(page, words));
}

Response QuorvoService::link(const HttpRequest& request, bool redirected)
{
    const auto query = parseQuery(request.rawQuery());
    const auto songId = queryValue(query, "songId");
    const Song* song = songId ? m_catalogue.find(*songId) : nullptr;
    const FaultSettings faults = faultsFor(Endpoint::Link, song ? &song->linkFaults : nullptr);
    if (auto fault = faultReply(request, faults, redirected))
        return std::move(*fault);
    if (!isGetOrHead(request))
        return methodNotAllowed();

    Response response;
    if (!songId || songId->empty()) {
        response = jsonReply(400, R"({"error_code":22001,"error_message":"missing songId"})");
    } else if (!song) {
        response = jsonReply(404, R"({"error_code":22002,"error_message":"song not found"})");
    } else if (song->linkReply == LinkReplyKind::NotJson) {
        response = textReply(200, "<html><head><title>Quorvo</title></head><body>服务繁忙，请稍后再试</body></html>\n",
                             "text/html; charset=utf-8");
    } else {
        std::string error;
        const auto media = m_media.ensure(*song, error);
        if (!media) {
            std::fprintf(stderr, "quorvo-server: song %s: %s\n", song->id.c_str(), error.c_str());
            response = jsonReply(500, R"({"error_code":22500,"error_message":"file unavailable"})");
        } else {
            using Json = nlohmann::ordered_json;
            const std::string extension = song->extension();
            Json file;
            file["url"] = "http://" + hostFor(request) + std::string(musicPrefix) + song->id + "/" + song->id + "."
                + extension + "?xcode=" + hexFingerprint(song->id);
            file["size"] = media->size;
            file["format"] = extension;
            file["rate"] = song->format() == AudioFormat::Flac ? 1000 : song->mp3Kbps();
            file["duration"] = song->seconds;
            file["hash"] = hexFingerprint(MediaStore::fileName(*song));
            Json item;
            item["song_id"] = song->id;
            item["song_name"] = song->title;
            item["artist_name"] = song->artist;
            item["album_name"] = song->album;
            item["lrc_link"] = song->hasLyrics ? lyricPath(*song) : "";
            if (song->linkReply != LinkReplyKind::NoFileList)
                item["file_list"]
                    = song->linkReply == LinkReplyKind::EmptyFileList ? Json::array() : Json::array({file});
            item["link_code"] = 22000;
            const Json reply = song->linkReply == LinkReplyKind::Object ? item : Json::array({item});
            response = jsonReply(200, reply.dump());
        }
    }
    applyDelivery(response, faults);
    return response;
}

Response QuorvoService::lyrics(const HttpRequest& request, std::string_view rest, bool redirected)
{
    const auto parts = splitMediaPath(rest);
    const Song* song = parts && parts->second == "lrc" ? m_catalogue.find(parts->first) : nullptr;
    const FaultSettings faults = faultsFor(Endpoint::Lyrics, song ? &song->lyricFaults : nullptr);
    if (auto fault = faultReply(request, faults, redirected))
        return std::move(*fault);
    if (!isGetOrHead(request))
        return methodNotAllowed();
    Response response
        = (song && song->hasLyrics) ? textReply(200, lyricsFor(*song), "text/plain; charset=utf-8") : htmlError(404);
    applyDelivery(response, faults);
    return response;
}

Response QuorvoService::songFile(const HttpRequest& request, std::string_view rest, bool redirected)
{
    const auto parts = splitMediaPath(rest);
    const Song* song = parts ? m_catalogue.find(parts->first) : nullptr;
    if (song && parts->second != song->extension())
        song = nullptr;
    const FaultSettings faults = faultsFor(Endpoint::Files, song ? &song->fileFaults : nullptr);
    if (auto fault = faultReply(request, faults, redirected))
        return std::move(*fault);
    if (!isGetOrHead(request))
        return methodNotAllowed();
    if (!song) {
        Response response = htmlError(404);
        applyDelivery(response, faults);
        return response;
    }

    std::string error;
    const auto media = m_media.ensure(*song, error);
    auto fd = media ? std::make_shared<UniqueFd>(::open(media->path.c_str(), O_RDONLY | O_CLOEXEC)) : nullptr;
    if (!fd || !fd->valid()) {
        std::fprintf(stderr, "quorvo-server: song %s: %s\n", song->id.c_str(), error.c_str());
        return htmlError(500);
    }
    struct stat status { };
    if (::fstat(fd->get(), &status) != 0)
        return htmlError(500);
    const auto size = static_cast<std::uint64_t>(status.st_size);

    Response response;
    response.setHeader("Content-Type", song->format() == AudioFormat::Flac ? "audio/flac" : "audio/mpeg");
    response.setHeader("Accept-Ranges", faults.ignoreRange ? "none" : "bytes");
    response.setHeader("ETag", "\"" + hexFingerprint(MediaStore::fileName(*song)) + "\"");
    response.file = FileBody {fd, 0, size};

    const auto range = request.header("Range");
    if (range && !faults.ignoreRange) {
        const RangeDecision decision = decideRange(*range, size);
        if (decision.kind == RangeDecision::Kind::Unsatisfiable) {
            Response refused = htmlError(416);
            refused.setHeader("Content-Range", "bytes */" + std::to_string(size));
            applyDelivery(refused, faults);
            return refused;
        }
        if (decision.kind == RangeDecision::Kind::Partial) {
            response.status = 206;
            response.setHeader("Content-Range",
                               "bytes " + std::to_string(decision.first) + "-" + std::to_string(decision.last) + "/"
                                   + std::to_string(size));
            response.file = FileBody {fd, decision.first, decision.last - decision.first + 1};
        }
    }
    applyDelivery(response, faults);
    return response;
}

Response QuorvoService::echo(const HttpRequest& request)
{
    const FaultSettings faults = faultsFor(Endpoint::Echo, nullptr);
    if (auto fault = faultReply(request, faults, false))
        return std::move(*fault);
    Response response = textReply(200, request.rawHead + request.body, "text/plain");
    applyDelivery(response, faults);
    return response;
}

}  // namespace quorvo::server
