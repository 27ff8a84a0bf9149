// Our Microsoft ADPCM encoder against SDL's decoder: the two must agree on
// every sample, and the result must stay close to what was encoded.

#include "MsAdpcm.h"
#include "WaveFile.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

using namespace quorvo::sound;

std::vector<int16_t> testSignal(size_t frames, int channels)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 22050.0;
        for (int c = 0; c < channels; ++c) {
            const double value = 0.5 * std::sin(2 * std::numbers::pi * (440.0 + 220.0 * c) * t)
                + 0.2 * std::sin(2 * std::numbers::pi * 3100.0 * t) * std::exp(-3 * t);
            out.push_back(static_cast<int16_t>(std::lround(value * 32767)));
        }
    }
    return out;
}

std::vector<int16_t> decodeWithSdl(const std::string& wave)
{
    SDL_AudioSpec spec {};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV_RW(SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size())), 1, &spec, &buffer, &length)
        == nullptr)
        return {};
    std::vector<int16_t> out(length / 2);
    std::memcpy(out.data(), buffer, out.size() * 2);
    SDL_FreeWAV(buffer);
    return out;
}

double signalToNoiseDb(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded)
{
    double signal = 0;
    double noise = 0;
    for (size_t i = 0; i < original.size() && i < decoded.size(); ++i) {
        signal += static_cast<double>(original[i]) * original[i];
        const double difference = static_cast<double>(original[i]) - decoded[i];
        noise += difference * difference;
    }
    return 10 * std::log10(signal / std::max(noise, 1.0));
}

TEST(MsAdpcmEncoder, SdlDecodesExactlyWhatOurDecoderDoes)
{
    for (const int channels : {1, 2}) {
        const int blockAlign = 256 * channels * 2;
        const int perBlock = adpcmSamplesPerBlock(blockAlign, channels);
        const auto signal = testSignal(static_cast<size_t>(perBlock) * 5, channels);
        const std::string wave = msAdpcmWave(signal, channels, 22050, blockAlign);
        const std::vector<int16_t> sdl = decodeWithSdl(wave);
        ASSERT_EQ(sdl.size(), signal.size()) << "channels " << channels << ": " << SDL_GetError();
        const std::string data = encodeMsAdpcm(signal, channels, blockAlign);
        const std::vector<int16_t> ours
            = decodeMsAdpcm({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, channels, blockAlign);
        EXPECT_EQ(ours, sdl) << "channels " << channels;
    }
}

TEST(MsAdpcmEncoder, KeepsTheSignalClean)
{
    const int blockAlign = 1024;
    const int perBlock = adpcmSamplesPerBlock(blockAlign, 2);
    EXPECT_EQ(perBlock, 1012);
    const auto signal = testSignal(static_cast<size_t>(perBlock) * 4, 2);
    const std::vector<int16_t> decoded = decodeWithSdl(msAdpcmWave(signal, 2, 22050, blockAlign));
    ASSERT_EQ(decoded.size(), signal.size());
    EXPECT_GT(signalToNoiseDb(signal, decoded), 25.0);
}

TEST(MsAdpcmEncoder, BlockStartsAreStoredExactly)
{
    // The first two samples of each block go into its header verbatim.
    const int blockAlign = 512;
    const int perBlock = adpcmSamplesPerBlock(blockAlign, 1);
    const auto signal = testSignal(static_cast<size_t>(perBlock) * 3, 1);
    const std::vector<int16_t> decoded = decodeWithSdl(msAdpcmWave(signal, 1, 22050, blockAlign));
    ASSERT_EQ(decoded.size(), signal.size());
    for (size_t block = 0; block < 3; ++block) {
        const size_t at = block * static_cast<size_t>(perBlock);
        EXPECT_EQ(decoded[at], signal[at]);
        EXPECT_EQ(decoded[at + 1], signal[at + 1]);
    }
}

TEST(MsAdpcmEncoder, ShortInputIsPaddedToAWholeBlockOfSilence)
{
    const std::vector<int16_t> signal(100, 1000);
    const std::string data = encodeMsAdpcm(signal, 1, 256);
    EXPECT_EQ(data.size(), 256u);
    const std::vector<int16_t> decoded
        = decodeMsAdpcm({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, 1, 256);
    ASSERT_EQ(decoded.size(), static_cast<size_t>(adpcmSamplesPerBlock(256, 1)));
    EXPECT_NEAR(decoded[50], 1000, 60);
    EXPECT_NEAR(decoded.back(), 0, 60);
}

}  // namespace
