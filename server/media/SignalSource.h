#pragma once

// Deterministic, music-like PCM for a song: a few decaying sine voices on a
// pentatonic scale plus a little noise, so that lossless files come out at
// realistic sizes. The same seed always gives the same samples.

#include <cstdint>
#include <span>
#include <vector>

namespace quorvo::server {

struct SignalShape {
    unsigned sampleRate = 44100;
    unsigned bitsPerSample = 16;  // 16 or 24
    unsigned channels = 2;
    std::uint64_t totalFrames = 0;
    // Noise amplitude as a share of full scale; larger values make lossless
    // files larger (white noise does not compress).
    double noiseLevel = 1.0 / 96.0;
};

class SignalSource {
public:
    SignalSource(SignalShape shape, std::uint64_t seed);

    // Fills `interleaved` (channels × frames) with the next frames, scaled to
    // the shape's bit depth. Returns the number of frames written (0 at the end).
    std::size_t next(std::span<std::int32_t> interleaved);

    [[nodiscard]] const SignalShape& shape() const { return m_shape; }

private:
    struct Voice {
        std::uint32_t phase = 0;
        std::uint32_t step = 0;  // phase increment per frame (2^32 = one cycle)
        double amplitude = 0;
        double decay = 1;
    };

    std::uint64_t random();
    void startNote();

    SignalShape m_shape;
    std::uint64_t m_state;
    std::uint64_t m_framesDone = 0;
    std::uint64_t m_framesToNextNote = 0;
    Voice m_voices[3];
    std::size_t m_nextVoice = 0;
    std::vector<float> m_sineTable;
};

}  // namespace quorvo::server
