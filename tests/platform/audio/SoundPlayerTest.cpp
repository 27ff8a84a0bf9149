// The player against SDL's disk audio driver, which writes the mixed output
// to a file in real time: what reaches the file is what a speaker would play.

#include "platform/audio/SoundPlayer.h"

#include "TempDir.h"
#include "assets/Assets.h"

#include <SDL.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using quorvo::platform::SoundPlayer;
using namespace std::chrono_literals;

constexpr int outputRate = 44100;

std::span<const std::byte> embedded(const char* name)
{
    return quorvo::assets::find(name);
}

// Routes SDL's audio into a file for the life of the object.
class DiskAudio {
public:
    DiskAudio()
    {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", m_file.c_str(), 1);
    }
    ~DiskAudio()
    {
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    DiskAudio(const DiskAudio&) = delete;
    DiskAudio& operator=(const DiskAudio&) = delete;

    [[nodiscard]] const std::string& file() const { return m_file; }

    // Stereo 16-bit frames written so far.
    [[nodiscard]] std::vector<int16_t> samples() const
    {
        std::vector<int16_t> out;
        if (!std::filesystem::exists(m_file))
            return out;
        const std::string bytes = quorvo::test::readWholeFile(m_file);
        out.resize(bytes.size() / 2);
        std::memcpy(out.data(), bytes.data(), out.size() * 2);
        return out;
    }

private:
    quorvo::test::TempDir m_dir;
    std::string m_file = m_dir.file("output.raw");
};

// Waits (bounded) for the queue to drain, then a little longer so that the
// device's last buffer is written out too.
void waitUntilFinished(const SoundPlayer& player)
{
    for (int i = 0; i < 500 && player.isPlaying(); ++i)
        std::this_thread::sleep_for(10ms);
    std::this_thread::sleep_for(150ms);
}

struct Loudness {
    int peak = 0;
    size_t audibleFrames = 0;  // frames with either side above the floor
    size_t firstAudible = 0;
    size_t lastAudible = 0;
    size_t stereoFrames = 0;  // audible frames whose sides differ clearly
};

Loudness measure(const std::vector<int16_t>& interleaved)
{
    Loudness loudness;
    bool seen = false;
    for (size_t frame = 0; frame + 1 < interleaved.size(); frame += 2) {
        const int left = interleaved[frame];
        const int right = interleaved[frame + 1];
        loudness.peak = std::max({loudness.peak, std::abs(left), std::abs(right)});
        if (std::abs(left) > 300 || std::abs(right) > 300) {
            ++loudness.audibleFrames;
            if (!seen)
                loudness.firstAudible = frame / 2;
            seen = true;
            loudness.lastAudible = frame / 2;
            if (std::abs(left - right) > 600)
                ++loudness.stereoFrames;
        }
    }
    return loudness;
}

TEST(SoundPlayerDecoding, SdlDecodesBothStoredFormats)
{
    struct Case {
        const char* name;
        SDL_AudioFormat format;
        int channels;
        Uint32 bytes;
    };
    // SDL decodes Microsoft ADPCM to 16-bit samples; 8-bit PCM stays 8-bit.
    const Case cases[] = {{"completion_1.wav", AUDIO_S16LSB, 2, 21252 * 4}, {"completion_2.wav", AUDIO_U8, 1, 24592}};
    for (const auto& c : cases) {
        const auto wave = embedded(c.name);
        SDL_AudioSpec spec {};
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        ASSERT_NE(
            SDL_LoadWAV_RW(SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size())), 1, &spec, &buffer, &length),
            nullptr)
            << c.name << ": " << SDL_GetError();
        EXPECT_EQ(spec.freq, 22050) << c.name;
        EXPECT_EQ(spec.channels, c.channels) << c.name;
        EXPECT_EQ(spec.format, c.format) << c.name;
        EXPECT_EQ(length, c.bytes) << c.name;
        SDL_FreeWAV(buffer);
    }
}

class SoundPlayerOnDisk : public ::testing::Test {
protected:
    DiskAudio m_disk;
};

TEST_F(SoundPlayerOnDisk, AdpcmSoundReachesTheOutputAudiblyAndInStereo)
{
    {
        SoundPlayer player;
        ASSERT_TRUE(player.play(embedded("completion_1.wav")));
        waitUntilFinished(player);
    }
    const Loudness loudness = measure(m_disk.samples());
    EXPECT_GT(loudness.peak, 8000);
    EXPECT_GT(loudness.audibleFrames, static_cast<size_t>(outputRate / 2)) << "less than half a second was heard";
    EXPECT_GT(loudness.stereoFrames, static_cast<size_t>(outputRate / 10)) << "the panned sound came out mono";
}

TEST_F(SoundPlayerOnDisk, EightBitSoundReachesTheOutputAudibly)
{
    {
        SoundPlayer player;
        ASSERT_TRUE(player.play(embedded("completion_2.wav")));
        waitUntilFinished(player);
    }
    const Loudness loudness = measure(m_disk.samples());
    EXPECT_GT(loudness.peak, 8000);
    EXPECT_GT(loudness.audibleFrames, static_cast<size_t>(outputRate / 2));
    EXPECT_EQ(loudness.stereoFrames, 0u) << "a mono sound must sound the same on both sides";
}

TEST_F(SoundPlayerOnDisk, PlayReturnsWhileTheSoundIsStillPlaying)
{
    SoundPlayer player;
    ASSERT_TRUE(player.play(embedded("completion_2.wav")));
    EXPECT_TRUE(player.isPlaying()) << "play must not wait for the sound to end";
    player.stop();
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(SoundPlayerOnDisk, NewSoundCutsOffTheOneStillPlaying)
{
    {
        SoundPlayer player;
        ASSERT_TRUE(player.play(embedded("completion_1.wav")));
        ASSERT_TRUE(player.play(embedded("completion_2.wav")));
        waitUntilFinished(player);
    }
    const Loudness loudness = measure(m_disk.samples());
    // Sound 1 is stereo and sound 2 mono: whatever of sound 1 was heard
    // before the cut shows as frames whose sides differ.
    EXPECT_LT(loudness.stereoFrames, static_cast<size_t>(outputRate / 10)) << "the first sound kept playing";
    const double heardSeconds = static_cast<double>(loudness.lastAudible - loudness.firstAudible) / outputRate;
    EXPECT_LT(heardSeconds, 1.115 + 0.2) << "the two sounds were played one after the other";
    EXPECT_GT(heardSeconds, 0.5);
}

TEST_F(SoundPlayerOnDisk, StopSilencesTheSound)
{
    {
        SoundPlayer player;
        ASSERT_TRUE(player.play(embedded("completion_1.wav")));
        player.stop();
        waitUntilFinished(player);
    }
    const Loudness loudness = measure(m_disk.samples());
    EXPECT_LT(loudness.audibleFrames, static_cast<size_t>(outputRate / 5));
}

// The disk driver writes in real time while the device is open, silence
// included: the file stops growing only when the device is closed.
TEST_F(SoundPlayerOnDisk, TheDeviceClosesWhenTheSoundHasBeenHeardAndOpensForTheNext)
{
    SoundPlayer player;
    const auto fileSize = [&] {
        std::error_code error;
        const auto size = std::filesystem::file_size(m_disk.file(), error);
        return error ? std::uintmax_t {0} : size;
    };
    // True once the output has stood still for half a second (bounded wait).
    const auto outputStops = [&] {
        for (int i = 0; i < 40; ++i) {
            const std::uintmax_t before = fileSize();
            std::this_thread::sleep_for(500ms);
            if (fileSize() == before && !player.isDeviceOpen())
                return true;
        }
        return false;
    };
    ASSERT_TRUE(player.play(embedded("completion_2.wav")));
    EXPECT_TRUE(player.isDeviceOpen());
    ASSERT_TRUE(outputStops()) << "the device kept playing silence after the sound";
    const Loudness first = measure(m_disk.samples());
    EXPECT_GT(first.audibleFrames, static_cast<size_t>(outputRate / 2)) << "closed before the sound was heard";
    // A sound after the close opens the device again (the driver starts its file anew) and is heard.
    ASSERT_TRUE(player.play(embedded("completion_2.wav")));
    ASSERT_TRUE(outputStops());
    EXPECT_GT(measure(m_disk.samples()).audibleFrames, static_cast<size_t>(outputRate / 2));
}

TEST_F(SoundPlayerOnDisk, BytesThatAreNotAWaveAreRefusedWithoutOpeningTheDevice)
{
    SoundPlayer player;
    const std::string garbage = "RIFF\x10\0\0\0WAVEjunkjunkjunk";
    const auto complete = embedded("completion_2.wav");
    EXPECT_FALSE(player.play({}));
    EXPECT_FALSE(player.play(std::as_bytes(std::span(garbage))));
    EXPECT_FALSE(player.play(complete.first(40))) << "a header without its data";
    EXPECT_FALSE(player.isPlaying());
    EXPECT_FALSE(std::filesystem::exists(m_disk.file()));
}

TEST(SoundPlayerWithoutDevice, PlaysNothingAndSaysNothing)
{
    setenv("SDL_AUDIODRIVER", "quorvo-no-such-driver", 1);
    {
        SoundPlayer player;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(player.play(embedded("completion_1.wav")));
        EXPECT_FALSE(player.play(embedded("completion_2.wav")));
        EXPECT_FALSE(player.isPlaying());
        player.stop();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    unsetenv("SDL_AUDIODRIVER");
}

TEST(SoundPlayerWithoutDevice, AlsaWithoutTheSoundCardSaysNothingEither)
{
    // ALSA's library prints its errors to stderr unless told otherwise; card
    // 99 exists nowhere, so this is a machine without that sound card.
    setenv("SDL_AUDIODRIVER", "alsa", 1);
    setenv("AUDIODEV", "hw:99,0", 1);
    {
        SoundPlayer player;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(player.play(embedded("completion_2.wav")));
        EXPECT_FALSE(player.play(embedded("completion_1.wav")));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
    unsetenv("AUDIODEV");
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
