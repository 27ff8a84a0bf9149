#pragma once

// The two completion sounds, synthesised.

#include <string>

namespace quorvo::sound {

inline constexpr int completionSampleRate = 22050;
// Sound 1: Microsoft ADPCM, 2 channels, 21 blocks of 1024 bytes (1012 frames each).
inline constexpr int firstSoundBlockAlign = 1024;
inline constexpr int firstSoundBlocks = 21;
// Sound 2: unsigned 8-bit PCM, 1 channel.
inline constexpr int secondSoundFrames = 24592;

// A bright arpeggio rising from left to right, with a soft echo.
std::string firstCompletionSound();
// A warm two-note mallet chime, falling.
std::string secondCompletionSound();

}  // namespace quorvo::sound
