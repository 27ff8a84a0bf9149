#include "media/SignalSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvo::server {

namespace {

constexpr unsigned tableBits = 12;
constexpr double pentatonicSteps[] = {0, 2, 4, 7, 9};

}  // namespace

SignalSource::SignalSource(SignalShape shape, std::uint64_t seed)
    : m_shape(shape)
    , m_state(seed ? seed : 0x9E3779B97F4A7C15ull)
    , m_sineTable(1u << tableBits)
{
    for (std::size_t i = 0; i < m_sineTable.size(); ++i)
        m_sineTable[i]
            = static_cast<float>(std::sin(2 * std::numbers::pi * static_cast<double>(i) / m_sineTable.size()));
}

std::uint64_t SignalSource::random()
{
    // xorshift64*: fast and fully determined by the seed.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return m_state * 2685821657736338717ull;
}

void SignalSource::startNote()
{
    Voice& voice = m_voices[m_nextVoice];
    m_nextVoice = (m_nextVoice + 1) % std::size(m_voices);
    const double semitone
        = pentatonicSteps[random() % std::size(pentatonicSteps)] + 12.0 * static_cast<double>(random() % 3);
    const double frequency = 220.0 * std::pow(2.0, semitone / 12.0);
    voice.step = static_cast<std::uint32_t>(frequency / m_shape.sampleRate * 4294967296.0);
    voice.amplitude = 0.18 + 0.1 * static_cast<double>(random() % 100) / 100.0;
    // About a second to fade to a third.
    voice.decay = std::pow(1.0 / 3.0, 1.0 / m_shape.sampleRate);
    // A note every quarter to half second.
    m_framesToNextNote = m_shape.sampleRate / 4 + random() % (m_shape.sampleRate / 4);
}

std::size_t SignalSource::next(std::span<std::int32_t> interleaved)
{
    const unsigned channels = m_shape.channels;
    const std::uint64_t left = m_shape.totalFrames - m_framesDone;
    const std::size_t frames = static_cast<std::size_t>(std::min<std::uint64_t>(interleaved.size() / channels, left));
    const double fullScale = static_cast<double>((1u << (m_shape.bitsPerSample - 1)) - 1);
    const double noiseScale = m_shape.noiseLevel * fullScale;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        if (m_framesToNextNote == 0)
            startNote();
        --m_framesToNextNote;
        double mix = 0;
        for (Voice& voice : m_voices) {
            mix += voice.amplitude * m_sineTable[voice.phase >> (32 - tableBits)];
            voice.phase += voice.step;
            voice.amplitude *= voice.decay;
        }
        for (unsigned channel = 0; channel < channels; ++channel) {
            const std::uint64_t noiseBits = random();
            // Sum of two uniforms: a soft, centred noise.
            const double noise
                = (static_cast<double>(noiseBits & 0xFFFF) + static_cast<double>((noiseBits >> 16) & 0xFFFF)) / 65535.0
                - 1.0;
            const double pan = channel == 0 ? 1.0 : 0.85;
            const double value = std::clamp(mix * pan * fullScale + noise * noiseScale, -fullScale, fullScale);
            interleaved[frame * channels + channel] = static_cast<std::int32_t>(std::lround(value));
        }
    }
    m_framesDone += frames;
    return frames;
}

}  // namespace quorvo::server
