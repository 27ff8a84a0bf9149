#include "app/sound/CompletionSound.h"

#include "assets/Assets.h"

#include <memory>

namespace quorvo {

std::span<const std::byte> completionSound(int wav)
{
    switch (wav) {
    case 1:
        return assets::find("completion_1.wav");
    case 2:
        return assets::find("completion_2.wav");
    default:
        return {};
    }
}

void playCompletionSound(audio::SoundPlayer& player, int wav)
{
    const auto sound = completionSound(wav);
    if (sound.empty())
        return;
    player.play(sound);
}

void playCompletionSound(int wav)
{
    // The machine has one sound output, as the system call this replaces had;
    // the worker and the preview buttons share it, so one sound cuts off the
    // other. It is never destroyed: the download worker may finish a song
    // while the process exits and must not find the player gone.
    static audio::SoundPlayer& player = *std::make_unique<audio::SoundPlayer>().release();
    playCompletionSound(player, wav);
}

}  // namespace quorvo
