// The two completion sounds are stored exactly in the formats the program
// promises: sound 1 Microsoft ADPCM stereo, sound 2 8-bit PCM mono, both
// 22050 Hz.

#include "assets/Assets.h"

#include <gtest/gtest.h>

#include "TempDir.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace {

uint32_t read16(std::string_view bytes, size_t at)
{
    return static_cast<uint8_t>(bytes[at]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
}

uint32_t read32(std::string_view bytes, size_t at)
{
    return read16(bytes, at) | read16(bytes, at + 2) << 16;
}

struct Riff {
    std::map<std::string, std::string_view> chunks;
    std::vector<std::string> order;
};

Riff parseRiff(std::string_view bytes)
{
    Riff riff;
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(8, 4), "WAVE");
    EXPECT_EQ(read32(bytes, 4), bytes.size() - 8) << "RIFF size must cover the whole file";
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.substr(at, 4));
        const uint32_t size = read32(bytes, at + 4);
        EXPECT_LE(at + 8 + size, bytes.size()) << id << " runs past the end";
        riff.chunks[id] = bytes.substr(at + 8, size);
        riff.order.push_back(id);
        at += 8 + size + (size % 2);
    }
    EXPECT_EQ(at, bytes.size()) << "trailing bytes after the last chunk";
    return riff;
}

std::string_view sound(const char* name)
{
    return quorvo::assets::asStringView(quorvo::assets::find(name));
}

TEST(SoundAssets, FirstSoundIsStereoMicrosoftAdpcmAt22050Hz)
{
    const std::string_view bytes = sound("completion_1.wav");
    EXPECT_EQ(bytes.size(), 21594u);
    const Riff riff = parseRiff(bytes);
    ASSERT_EQ(riff.order, (std::vector<std::string> {"fmt ", "fact", "data"}));
    const std::string_view fmt = riff.chunks.at("fmt ");
    ASSERT_EQ(fmt.size(), 50u);
    EXPECT_EQ(read16(fmt, 0), 2u) << "format tag: Microsoft ADPCM";
    EXPECT_EQ(read16(fmt, 2), 2u) << "channels";
    EXPECT_EQ(read32(fmt, 4), 22050u) << "sample rate";
    const uint32_t blockAlign = read16(fmt, 12);
    EXPECT_EQ(blockAlign, 1024u);
    EXPECT_EQ(read16(fmt, 14), 4u) << "bits per sample";
    EXPECT_EQ(read16(fmt, 16), 32u) << "extra format bytes";
    const uint32_t samplesPerBlock = read16(fmt, 18);
    EXPECT_EQ(samplesPerBlock, (blockAlign - 7 * 2) * 8 / (4 * 2) + 2);
    EXPECT_EQ(read32(fmt, 8), 22050u * blockAlign / samplesPerBlock) << "average bytes per second";
    EXPECT_EQ(read16(fmt, 20), 7u) << "coefficient pairs";
    const int16_t standard[14] = {256, 0, 512, -256, 0, 0, 192, 64, 240, 0, 460, -208, 392, -232};
    for (size_t i = 0; i < 14; ++i)
        EXPECT_EQ(static_cast<int16_t>(read16(fmt, 22 + i * 2)), standard[i]) << "coefficient " << i;

    const std::string_view data = riff.chunks.at("data");
    ASSERT_EQ(data.size() % blockAlign, 0u);
    EXPECT_EQ(read32(riff.chunks.at("fact"), 0), data.size() / blockAlign * samplesPerBlock);
    // Each block starts with two predictor indexes the decoder can look up.
    for (size_t block = 0; block < data.size(); block += blockAlign) {
        EXPECT_LT(static_cast<uint8_t>(data[block]), 7) << "block at " << block;
        EXPECT_LT(static_cast<uint8_t>(data[block + 1]), 7) << "block at " << block;
    }
}

TEST(SoundAssets, SecondSoundIsMono8BitPcmAt22050Hz)
{
    const std::string_view bytes = sound("completion_2.wav");
    EXPECT_NEAR(static_cast<double>(bytes.size()), 24637.0, 8.0);
    const Riff riff = parseRiff(bytes);
    ASSERT_EQ(riff.order, (std::vector<std::string> {"fmt ", "data"}));
    const std::string_view fmt = riff.chunks.at("fmt ");
    ASSERT_EQ(fmt.size(), 16u);
    EXPECT_EQ(read16(fmt, 0), 1u) << "format tag: PCM";
    EXPECT_EQ(read16(fmt, 2), 1u) << "channels";
    EXPECT_EQ(read32(fmt, 4), 22050u);
    EXPECT_EQ(read32(fmt, 8), 22050u) << "average bytes per second";
    EXPECT_EQ(read16(fmt, 12), 1u) << "block align";
    EXPECT_EQ(read16(fmt, 14), 8u) << "bits per sample";
}

TEST(SoundAssets, EightBitSoundIsCentredAndEndsInSilence)
{
    const Riff riff = parseRiff(sound("completion_2.wav"));
    const std::string_view data = riff.chunks.at("data");
    ASSERT_GT(data.size(), 22050u / 2) << "at least half a second";
    int lowest = 255;
    int highest = 0;
    for (const char c : data) {
        lowest = std::min<int>(lowest, static_cast<uint8_t>(c));
        highest = std::max<int>(highest, static_cast<uint8_t>(c));
    }
    EXPECT_LT(lowest, 64) << "too quiet to hear";
    EXPECT_GT(highest, 192) << "too quiet to hear";
    EXPECT_GT(lowest, 0) << "clipped";
    EXPECT_LT(highest, 255) << "clipped";
    // Unsigned 8-bit silence is 128: the last samples must be it, or the
    // sound ends in a click.
    for (size_t i = data.size() - 64; i < data.size(); ++i)
        EXPECT_EQ(static_cast<uint8_t>(data[i]), 128) << "sample " << i;
}

// What sox's own reader makes of the files, as an outside opinion.
std::string soxi(const std::string& option, const std::string& path)
{
    const std::string command = "soxi " + option + " '" + path + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return {};
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr)
        out += buffer;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

TEST(SoundAssets, SoxReadsBothFormatsAsStored)
{
    if (std::system("command -v soxi >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "soxi is not installed";
    quorvo::test::TempDir dir;
    for (const char* name : {"completion_1.wav", "completion_2.wav"})
        quorvo::test::writeWholeFile(dir.path() / name, std::string(sound(name)));
    const std::string first = dir.file("completion_1.wav");
    const std::string second = dir.file("completion_2.wav");
    EXPECT_EQ(soxi("-e", first), "MS ADPCM");
    EXPECT_EQ(soxi("-b", first), "4");
    EXPECT_EQ(soxi("-c", first), "2");
    EXPECT_EQ(soxi("-r", first), "22050");
    EXPECT_EQ(soxi("-s", first), "21252");
    EXPECT_EQ(soxi("-e", second), "Unsigned Integer PCM");
    EXPECT_EQ(soxi("-b", second), "8");
    EXPECT_EQ(soxi("-c", second), "1");
    EXPECT_EQ(soxi("-r", second), "22050");
    EXPECT_EQ(soxi("-s", second), "24592");
}

}  // namespace
