#pragma once

// A Microsoft ADPCM (WAVE format tag 2) encoder. It runs the decoder's own
// arithmetic on every sample, so what it writes decodes to exactly what it
// measured.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorvo::sound {

struct AdpcmCoefficients {
    int first;
    int second;
};

// The seven predictor pairs every decoder knows.
inline constexpr AdpcmCoefficients standardCoefficients[7]
    = {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}};

inline constexpr int adpcmHeaderBytesPerChannel = 7;

// Samples per block for a block size and channel count, as the format defines it.
int adpcmSamplesPerBlock(int blockAlign, int channels);

// Encodes interleaved 16-bit samples into whole blocks of blockAlign bytes;
// a short last block is padded with silence. Frames = samples / channels.
std::string encodeMsAdpcm(std::span<const int16_t> interleaved, int channels, int blockAlign);

// Decodes blocks written by encodeMsAdpcm (or anyone else) to interleaved samples.
std::vector<int16_t> decodeMsAdpcm(std::span<const uint8_t> data, int channels, int blockAlign);

}  // namespace quorvo::sound
