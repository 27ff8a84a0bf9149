// Lyrics and names written into a regular song of the reference service:
//  - a FLAC whose padding takes the comments (metadata rewritten in place);
//  - a FLAC whose padding is too small for the lyrics (libFLAC copies the frames);
//  - an MP3 (TagLib tags a copy, which then takes the file's place).
// Each iteration starts from a fresh copy of the server's file, made outside the timing.

#include "download/SongTagger.h"

#include "ReferenceServer.h"
#include "TempDir.h"
#include "platform/Files.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace quorvo::download {
namespace {

namespace fs = std::filesystem;

constexpr const char* flacSong = "1100002";  // 253 s of 44.1 kHz FLAC
constexpr const char* mp3Song = "1100001";   // 288 s of 320 kbps MP3

struct Files {
    test::TempDir dir;
    fs::path flac;
    fs::path mp3;
};

Files& files()
{
    static Files instance;
    if (instance.flac.empty()) {
        test::ReferenceServer server({"--quiet"});
        instance.flac = instance.dir.path() / "song.flac";
        instance.mp3 = instance.dir.path() / "song.mp3";
        test::writeWholeFile(instance.flac,
                             server.get(std::string("/data2/music/") + flacSong + "/" + flacSong + ".flac").body);
        test::writeWholeFile(instance.mp3,
                             server.get(std::string("/data2/music/") + mp3Song + "/" + mp3Song + ".mp3").body);
    }
    return instance;
}

void tagEach(benchmark::State& state, const fs::path& original, TagFormat format, std::size_t lyricBytes)
{
    const fs::path copy = original.string() + ".tmp";
    const Text path = platform::fromNativePath(copy.string());
    std::string lyrics;
    while (lyrics.size() < lyricBytes)
        lyrics += "[00:01.00]\xD2\xB9\xC9\xAB\xCE\xC2\xC8\xE1 night\r\n";  // GBK: 夜色温柔
    const SongTags tags {Text("Title"), Text("Artist"), Text("Album"), lyrics};
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(original, copy, fs::copy_options::overwrite_existing);
        state.ResumeTiming();
        const TagResult result = writeSongTags(path, format, tags);
        if (!result.written)
            state.SkipWithError("tagging failed");
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(original)) / 1e6;
}

void BM_FlacIntoPadding(benchmark::State& state)
{
    tagEach(state, files().flac, TagFormat::Flac, 300);
}
BENCHMARK(BM_FlacIntoPadding)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FlacBeyondPadding(benchmark::State& state)
{
    tagEach(state, files().flac, TagFormat::Flac, 3000);
}
BENCHMARK(BM_FlacBeyondPadding)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Mp3(benchmark::State& state)
{
    tagEach(state, files().mp3, TagFormat::Mp3, 3000);
}
BENCHMARK(BM_Mp3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quorvo::download

BENCHMARK_MAIN();
