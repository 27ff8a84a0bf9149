// Any bytes as the reply to a lyric request: fetchLyrics stores what a good
// reply carried, keeps the earlier lyric file after a failed one, and leaves
// no temporary behind. The same reply fetched by the HTTP client says which
// of the two it was.

#include "ReplyServer.h"

#include "net/HttpClient.h"
#include "service/Lyrics.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void check(bool promise)
{
    if (!promise)
        std::abort();
}

const std::filesystem::path& folder()
{
    static const std::filesystem::path path = [] {
        char pattern[] = "/tmp/quorvo-fuzz-lyrics-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        check(made != nullptr);
        return std::filesystem::path(made);
    }();
    return path;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const std::string reply(reinterpret_cast<const char*>(data), size);
    quorvo::fuzz::ReplyServer& server = quorvo::fuzz::ReplyServer::instance();
    server.setReply(reply);
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/data2/lrc/1/1.lrc";

    const std::filesystem::path lyricFile = folder() / "song.lrc";
    const std::string earlier = "[00:00.00]earlier run\n";
    {
        std::ofstream out(lyricFile, std::ios::binary | std::ios::trunc);
        out << earlier;
    }
    const bool written = quorvo::service::fetchLyrics(quorvo::Text(url), quorvo::Text(lyricFile.string()));
    check(written);
    const std::string stored = readFile(lyricFile);

    // Nothing but the lyric file is left in its folder.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder()))
        ++entries;
    check(entries == 1);

    // Asked the way a lyric is asked: decoded, a lyric file's size at most.
    quorvo::net::HttpOptions options;
    options.decodeContent = true;
    options.bodyLimit = 4LL * 1024 * 1024;
    const quorvo::net::HttpResponse response = quorvo::net::HttpClient::request(quorvo::Text(url), options);
    if (response.ok() && !response.body.empty())
        check(stored == response.body);
    if (!response.ok())
        check(stored == earlier);
    return 0;
}
