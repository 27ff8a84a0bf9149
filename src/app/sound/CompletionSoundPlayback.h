#pragma once

// Playing the sound that marks a completed download, also for the two preview
// buttons of the settings page. Which sound a `wav` setting means is decided
// once, by download::completionSoundFor.

#include "download/CompletionSound.h"
#include "platform/audio/SoundPlayer.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvo::app {

// The embedded WAVE image of a sound; empty for none.
std::span<const std::byte> completionSoundImage(download::CompletionSound sound);

// Returns at once; the sound plays in the background and cuts off one still
// playing. Without an audio device nothing happens.
void playCompletionSound(download::CompletionSound sound);
// The same on a given player.
void playCompletionSound(platform::SoundPlayer& player, download::CompletionSound sound);

// The same for a `wav` setting value (0 none, 1 and 2 the embedded sounds,
// anything else none).
void playCompletionSound(int64_t wav);
void playCompletionSound(platform::SoundPlayer& player, int64_t wav);

}  // namespace quorvo::app
