#include "app/sound/CompletionSoundPlayback.h"

#include "TempDir.h"
#include "assets/Assets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(CompletionSoundPlayback, SettingValuesPickTheirEmbeddedSound)
{
    const auto first = quorvo::app::completionSoundImage(quorvo::download::completionSoundFor(1));
    const auto second = quorvo::app::completionSoundImage(quorvo::download::completionSoundFor(2));
    EXPECT_EQ(first.data(), quorvo::assets::find("completion_1.wav").data());
    EXPECT_EQ(second.data(), quorvo::assets::find("completion_2.wav").data());
    EXPECT_FALSE(first.empty());
    EXPECT_FALSE(second.empty());
}

TEST(CompletionSoundPlayback, NoneAndOutOfRangeValuesHaveNoSound)
{
    // A hand-edited wav value leaves every radio button unselected: silence.
    for (const int wav : {0, 3, -1, 100})
        EXPECT_TRUE(quorvo::app::completionSoundImage(quorvo::download::completionSoundFor(wav)).empty()) << wav;
}

TEST(CompletionSoundPlayback, NoneDoesNotEvenOpenTheDevice)
{
    quorvo::test::TempDir dir;
    const std::string output = dir.file("output.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    {
        quorvo::platform::SoundPlayer player;
        quorvo::app::playCompletionSound(player, 0);
        quorvo::app::playCompletionSound(player, 7);
        EXPECT_FALSE(player.isPlaying());
    }
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST(CompletionSoundPlayback, PlaysOnTheGivenPlayerAndReturnsAtOnce)
{
    quorvo::test::TempDir dir;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir.file("output.raw").c_str(), 1);
    {
        quorvo::platform::SoundPlayer player;
        quorvo::app::playCompletionSound(player, 2);
        EXPECT_TRUE(player.isPlaying());
        player.stop();
    }
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
}

TEST(CompletionSoundPlayback, WithoutAnAudioDeviceIsSilentAndHarmless)
{
    setenv("SDL_AUDIODRIVER", "quorvo-no-such-driver", 1);
    testing::internal::CaptureStderr();
    {
        quorvo::platform::SoundPlayer player;
        quorvo::app::playCompletionSound(player, 1);
        quorvo::app::playCompletionSound(player, 2);
        EXPECT_FALSE(player.isPlaying());
    }
    // The process-wide player, too, may be asked again and again.
    for (int i = 0; i < 3; ++i) {
        quorvo::app::playCompletionSound(1);
        quorvo::app::playCompletionSound(2);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
