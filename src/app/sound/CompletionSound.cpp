#include "app/sound/CompletionSound.h"

#include "assets/Assets.h"

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
    // the worker and the preview buttons share it, so one sound cuts off the other.
    static audio::SoundPlayer player;
    playCompletionSound(player, wav);
}

}  // namespace quorvo
