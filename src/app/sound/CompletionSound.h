#pragma once

// The sound played when a download completes, and by the two preview buttons
// of the settings page. `wav` is the setting's value: 0 none, 1 the first
// embedded sound, 2 the second; anything else plays nothing.

#include "platform/audio/SoundPlayer.h"

#include <cstddef>
#include <span>

namespace quorvo {

// The embedded WAVE image for a setting value; empty for 0 and unknown values.
std::span<const std::byte> completionSound(int wav);

// Returns at once; the sound plays in the background and cuts off one still
// playing. Without an audio device nothing happens.
void playCompletionSound(int wav);
// The same on a given player.
void playCompletionSound(audio::SoundPlayer& player, int wav);

}  // namespace quorvo
