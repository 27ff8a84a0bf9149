// Generated song files are valid, tagged, deterministic and sized like songs.

#include "media/MediaStore.h"

#include "TempDir.h"

#include <FLAC/stream_decoder.h>
#include <gtest/gtest.h>

#include <memory>

namespace quorvo::server {
namespace {

Song songOf(std::string id, std::string allRate, int seconds)
{
    Song song;
    song.id = std::move(id);
    song.title = "测试 Title";
    song.artist = "歌手 Artist";
    song.album = "专辑 Album";
    song.allRate = std::move(allRate);
    song.seconds = seconds;
    return song;
}

struct FlacCheck {
    std::uint64_t frames = 0;
    unsigned sampleRate = 0;
    unsigned bits = 0;
    std::vector<std::string> comments;
    bool error = false;
};

// Decodes the whole file with MD5 checking: libFLAC fails the finish call
// when the decoded audio does not match the signature in the header.
bool decodeFlac(const std::string& path, FlacCheck& check)
{
    struct Deleter {
        void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
    };
    std::unique_ptr<FLAC__StreamDecoder, Deleter> decoder(FLAC__stream_decoder_new());
    FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    FLAC__stream_decoder_set_metadata_respond(decoder.get(), FLAC__METADATA_TYPE_VORBIS_COMMENT);
    const auto write
        = [](const FLAC__StreamDecoder*, const FLAC__Frame* frame, const FLAC__int32* const[], void* data) {
              static_cast<FlacCheck*>(data)->frames += frame->header.blocksize;
              return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
          };
    const auto metadata = [](const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* data) {
        auto* check = static_cast<FlacCheck*>(data);
        if (block->type == FLAC__METADATA_TYPE_STREAMINFO) {
            check->sampleRate = block->data.stream_info.sample_rate;
            check->bits = block->data.stream_info.bits_per_sample;
        } else if (block->type == FLAC__METADATA_TYPE_VORBIS_COMMENT) {
            for (unsigned i = 0; i < block->data.vorbis_comment.num_comments; ++i) {
                const auto& entry = block->data.vorbis_comment.comments[i];
                check->comments.emplace_back(reinterpret_cast<const char*>(entry.entry), entry.length);
            }
        }
    };
    const auto error = [](const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* data) {
        static_cast<FlacCheck*>(data)->error = true;
    };
    if (FLAC__stream_decoder_init_file(decoder.get(), path.c_str(), write, metadata, error, &check)
        != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return false;
    const bool decoded = FLAC__stream_decoder_process_until_end_of_stream(decoder.get());
    return FLAC__stream_decoder_finish(decoder.get()) && decoded && !check.error;
}

// Walks an MP3 file frame by frame after its ID3v2 tag; counts the frames
// and fails on any byte that does not start a valid MPEG-1 layer III frame.
std::optional<int> countMp3Frames(const std::string& data, int& kbps)
{
    std::size_t at = 0;
    if (data.compare(0, 3, "ID3") == 0) {
        const auto byte = [&](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(data[i])); };
        at = 10 + ((byte(6) << 21) | (byte(7) << 14) | (byte(8) << 7) | byte(9));
    }
    static constexpr int bitRates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    int frames = 0;
    while (at + 4 <= data.size()) {
        const auto b1 = static_cast<unsigned char>(data[at + 1]);
        const auto b2 = static_cast<unsigned char>(data[at + 2]);
        if (static_cast<unsigned char>(data[at]) != 0xFF || (b1 & 0xFE) != 0xFA)  // MPEG-1, layer III
            return std::nullopt;
        kbps = bitRates[b2 >> 4];
        if (kbps == 0 || ((b2 >> 2) & 3) != 0)  // 44.1 kHz
            return std::nullopt;
        at += static_cast<std::size_t>(144 * kbps * 1000 / 44100 + ((b2 >> 1) & 1));
        ++frames;
    }
    return at == data.size() ? std::optional<int>(frames) : std::nullopt;
}

TEST(Media, FlacFileDecodesWithMatchingSignatureAndCarriesTheTags)
{
    test::TempDir dir;
    const std::string path = dir.file("a.flac");
    ASSERT_FALSE(generateSongFile(songOf("1", "128,flac", 3), path));
    FlacCheck check;
    ASSERT_TRUE(decodeFlac(path, check));
    EXPECT_EQ(check.frames, 3u * 44100u);
    EXPECT_EQ(check.sampleRate, 44100u);
    EXPECT_EQ(check.bits, 16u);
    EXPECT_NE(std::find(check.comments.begin(), check.comments.end(), "TITLE=测试 Title"), check.comments.end());
    EXPECT_NE(std::find(check.comments.begin(), check.comments.end(), "ARTIST=歌手 Artist"), check.comments.end());
    EXPECT_NE(std::find(check.comments.begin(), check.comments.end(), "ALBUM=专辑 Album"), check.comments.end());
}

TEST(Media, LargeSongsAreHighResolutionFlac)
{
    test::TempDir dir;
    const std::string path = dir.file("big.flac");
    Song song = songOf("2", "flac", 2);
    song.large = true;
    ASSERT_FALSE(generateSongFile(song, path));
    FlacCheck check;
    ASSERT_TRUE(decodeFlac(path, check));
    EXPECT_EQ(check.sampleRate, 96000u);
    EXPECT_EQ(check.bits, 24u);
    // At this rate 240 s (the shortest large song) come to more than 100 MB.
    EXPECT_GT(std::filesystem::file_size(path) * 120, 100'000'000u);
}

TEST(Media, Mp3FileIsAnUnbrokenChainOfFramesAtTheSongsRate)
{
    test::TempDir dir;
    const std::string path = dir.file("a.mp3");
    ASSERT_FALSE(generateSongFile(songOf("3", "128,192", 3), path));
    const std::string data = test::readWholeFile(path);
    EXPECT_EQ(data.substr(0, 3), "ID3");
    int kbps = 0;
    const auto frames = countMp3Frames(data, kbps);
    ASSERT_TRUE(frames.has_value());
    EXPECT_EQ(kbps, 192);
    // 1152 samples per frame: about 115 frames for 3 s.
    EXPECT_GE(*frames, 110);
    EXPECT_LE(*frames, 120);
}

TEST(Media, GenerationIsDeterministic)
{
    test::TempDir dir;
    for (const char* rate : {"flac", "320"}) {
        ASSERT_FALSE(generateSongFile(songOf("4", rate, 2), dir.file("x")));
        ASSERT_FALSE(generateSongFile(songOf("4", rate, 2), dir.file("y")));
        EXPECT_EQ(test::readWholeFile(dir.file("x")), test::readWholeFile(dir.file("y"))) << rate;
    }
}

TEST(Media, DifferentSongsSoundDifferent)
{
    test::TempDir dir;
    ASSERT_FALSE(generateSongFile(songOf("5", "flac", 2), dir.file("x")));
    ASSERT_FALSE(generateSongFile(songOf("6", "flac", 2), dir.file("y")));
    EXPECT_NE(test::readWholeFile(dir.file("x")), test::readWholeFile(dir.file("y")));
}

TEST(Media, FlacSizeLooksLikeARealSong)
{
    // A 60 s song: 16-bit stereo FLAC of music-like audio stays between about
    // half and three quarters of the raw PCM (10.6 MB).
    test::TempDir dir;
    ASSERT_FALSE(generateSongFile(songOf("7", "flac", 60), dir.file("x")));
    const auto size = std::filesystem::file_size(dir.file("x"));
    EXPECT_GT(size, 4'000'000u);
    EXPECT_LT(size, 9'000'000u);
}

TEST(Media, StoreCachesAndReusesTheFile)
{
    test::TempDir dir;
    MediaStore store(dir.path());
    const Song song = songOf("8", "flac", 1);
    std::string error;
    const auto first = store.ensure(song, error);
    ASSERT_TRUE(first) << error;
    const auto written = std::filesystem::last_write_time(first->path);
    const auto second = store.ensure(song, error);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->path, first->path);
    EXPECT_EQ(std::filesystem::last_write_time(second->path), written);
}

TEST(Media, ChangedCatalogueEntryGetsANewCacheName)
{
    Song song = songOf("9", "flac", 1);
    const std::string before = MediaStore::fileName(song);
    song.title += "!";
    EXPECT_NE(MediaStore::fileName(song), before);
    EXPECT_EQ(before.rfind("9-", 0), 0u);
}

TEST(Media, UnwritableDataDirectoryIsReportedNotThrown)
{
    MediaStore store("/proc/no-such-place");
    std::string error;
    EXPECT_FALSE(store.ensure(songOf("10", "flac", 1), error));
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace quorvo::server
