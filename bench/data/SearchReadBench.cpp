// One search's worth of reading: load the 60-song reply and read all six
// fields of every song, as the search does.
// Compared with pugixml merely parsing the same bytes.

#include "ReferenceServer.h"
#include "data/XmlDocument.h"
#include "net/HttpClient.h"
#include "service/HighlightMarkup.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <iostream>
#include <span>
#include <string>

namespace {

using quorvo::Bytes;
using quorvo::Text;
using quorvo::data::XmlDocument;
using quorvo::net::HttpClient;

const Bytes& searchReply()
{
    static const Bytes reply = [] {
        quorvo::test::ReferenceServer server;
        const Bytes body
            = HttpClient::request(
                  Text(server.baseUrl()
                       + "/v1/restserver/"
                         "vesk?method=Quorvo.vesk.search.common&query=a&page_size=60&page_no=1&format=xml"))
                  .body;
        XmlDocument check;
        const auto list = check.load(body) ? check.getNodeByPath("<#0/song_list/") : std::nullopt;
        if (!list || list->children.size() != 60) {
            std::cerr << "the reference server did not give a 60-song reply\n";
            std::exit(1);
        }
        return body;
    }();
    return reply;
}

void searchRead(benchmark::State& state)
{
    const Bytes& reply = searchReply();
    for (auto _ : state) {
        XmlDocument document;
        if (!document.load(reply) || document.getName(0).empty()) {
            state.SkipWithError("load failed");
            break;
        }
        // As the search reads it: the song list once, then each song's fields
        // from its node ("<#0/song_list/<@i</title/" and so on).
        const std::span<const int> songs = document.childrenOf(document.indexByPath("<#0/song_list/"));
        const Text base("http://127.0.0.1:8080");
        std::size_t bytes = 0;
        for (const int song : songs) {
            const auto field
                = [&](std::string_view name) { return document.valueOf(document.resolveStep(song, name)); };
            const Text title = quorvo::service::stripHighlightMarkup(field("title"));
            const Text album = quorvo::service::stripHighlightMarkup(field("album_title"));
            const Text artist = quorvo::service::stripHighlightMarkup(field("author"));
            const Text id(field("song_id"));
            const Text lyric = base + field("lrclink");
            const auto rates = quorvo::text::split(field("all_rate"), ",");
            bytes += title.size() + album.size() + artist.size() + id.size() + lyric.size() + rates.size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(searchRead)->Unit(benchmark::kMicrosecond);

void searchLoadOnly(benchmark::State& state)
{
    const Bytes& reply = searchReply();
    for (auto _ : state) {
        XmlDocument document;
        benchmark::DoNotOptimize(document.load(reply));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(searchLoadOnly)->Unit(benchmark::kMicrosecond);

void pugixmlParseOnly(benchmark::State& state)
{
    const Bytes& reply = searchReply();
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_buffer(reply.data(), reply.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * reply.size()));
}
BENCHMARK(pugixmlParseOnly)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
