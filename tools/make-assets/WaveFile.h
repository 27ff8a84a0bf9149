#pragma once

// RIFF WAVE images of the two stored formats.

#include <cstdint>
#include <span>
#include <string>

namespace quorvo::sound {

// Microsoft ADPCM: "fmt " with the extended header and the standard
// coefficient table, a "fact" chunk with the frame count, then the blocks.
std::string msAdpcmWave(std::span<const int16_t> interleaved, int channels, int sampleRate, int blockAlign);

// Unsigned 8-bit PCM.
std::string pcm8Wave(std::span<const uint8_t> samples, int channels, int sampleRate);

}  // namespace quorvo::sound
