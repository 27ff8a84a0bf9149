#include "app/sound/CompletionSoundPlayback.h"

#include "assets/Assets.h"

#include <memory>

namespace quorvo::app {

std::span<const std::byte> completionSoundImage(download::CompletionSound sound)
{
    switch (sound) {
    case download::CompletionSound::Whirlwind:
        return assets::find("completion_1.wav");
    case download::CompletionSound::Thunder:
        return assets::find("completion_2.wav");
    case download::CompletionSound::None:
        break;
    }
    return {};
}

void playCompletionSound(platform::SoundPlayer& player, download::CompletionSound sound)
{
    const auto image = completionSoundImage(sound);
    if (image.empty())
        return;
    player.play(image);
}

void playCompletionSound(download::CompletionSound sound)
{
    // The machine has one sound output, as the system call this replaces had;
    // the worker and the preview buttons share it, so one sound cuts off the
    // other. It is never destroyed: the download worker may finish a song
    // while the process exits and must not find the player gone.
    static platform::SoundPlayer& player = *std::make_unique<platform::SoundPlayer>().release();
    playCompletionSound(player, sound);
}

void playCompletionSound(int64_t wav)
{
    playCompletionSound(download::completionSoundFor(wav));
}

void playCompletionSound(platform::SoundPlayer& player, int64_t wav)
{
    playCompletionSound(player, download::completionSoundFor(wav));
}

}  // namespace quorvo::app
