#include "Sounds.h"

#include "MsAdpcm.h"
#include "WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

namespace quorvo::sound {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double rate = completionSampleRate;

struct Partial {
    double ratio;
    double amplitude;
    double decay;  // seconds to fall to 1/e
};

struct Note {
    double onset;
    double frequency;
    double amplitude;
    double pan;  // -1 left .. 1 right
};

// One struck tone: a few decaying partials with a short raised-cosine attack
// so that no note starts with a click.
double tone(double t, double frequency, std::span<const Partial> partials, double attack)
{
    if (t < 0)
        return 0;
    const double rise = t < attack ? 0.5 - 0.5 * std::cos(pi * t / attack) : 1.0;
    double value = 0;
    for (const auto& p : partials)
        value += p.amplitude * std::exp(-t / p.decay) * std::sin(2 * pi * frequency * p.ratio * t);
    return rise * value;
}

// Fades the last stretch to silence and scales the peak to `peak`.
void finish(std::vector<double>& samples, size_t channels, double fadeSeconds, double peak)
{
    const size_t frames = samples.size() / channels;
    const auto fadeFrames = static_cast<size_t>(fadeSeconds * rate);
    for (size_t i = 0; i < fadeFrames && i < frames; ++i) {
        const double gain = 0.5 - 0.5 * std::cos(pi * static_cast<double>(i) / static_cast<double>(fadeFrames));
        for (size_t c = 0; c < channels; ++c)
            samples[(frames - 1 - i) * channels + c] *= gain;
    }
    double loudest = 0;
    for (const double s : samples)
        loudest = std::max(loudest, std::abs(s));
    if (loudest > 0)
        for (double& s : samples)
            s *= peak / loudest;
}

// A tiny deterministic generator for dither.
class Lcg {
public:
    double next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state >> 8) / 16777216.0;
    }

private:
    uint32_t m_state = 0x2545F491u;
};

}  // namespace

std::string firstCompletionSound()
{
    const size_t frames = static_cast<size_t>(adpcmSamplesPerBlock(firstSoundBlockAlign, 2)) * firstSoundBlocks;
    constexpr Partial bell[] = {{1.0, 1.0, 0.30}, {2.0, 0.32, 0.12}, {3.01, 0.12, 0.06}, {4.2, 0.03, 0.03}};
    constexpr Note notes[] = {
        {0.000, 659.26, 0.70, -0.70},  // E5
        {0.070, 830.61, 0.66, -0.25},  // G#5
        {0.140, 987.77, 0.66, 0.25},   // B5
        {0.210, 1318.51, 0.80, 0.70},  // E6
    };
    constexpr double echoDelay = 0.105;
    constexpr double echoLevel = 0.28;

    std::vector<double> mix(frames * 2, 0.0);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        double left = 0;
        double right = 0;
        for (size_t n = 0; n < std::size(notes); ++n) {
            const Note& note = notes[n];
            // The last note rings longer.
            const double sustain = n + 1 == std::size(notes) ? 1.25 : 1.0;
            Partial shaped[std::size(bell)];
            for (size_t p = 0; p < std::size(bell); ++p)
                shaped[p] = {bell[p].ratio, bell[p].amplitude, bell[p].decay * sustain};
            const double direct = note.amplitude * tone(t - note.onset, note.frequency, shaped, 0.004);
            // The echo comes back from the other side.
            const double echo
                = echoLevel * note.amplitude * tone(t - note.onset - echoDelay, note.frequency, shaped, 0.004);
            const double panLeft = std::cos((note.pan + 1) * pi / 4);
            const double panRight = std::sin((note.pan + 1) * pi / 4);
            left += direct * panLeft + echo * panRight;
            right += direct * panRight + echo * panLeft;
        }
        mix[i * 2] = left;
        mix[i * 2 + 1] = right;
    }
    finish(mix, 2, 0.15, 0.70);

    std::vector<int16_t> pcm(mix.size());
    for (size_t i = 0; i < mix.size(); ++i)
        pcm[i] = static_cast<int16_t>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 32767.0));
    return msAdpcmWave(pcm, 2, completionSampleRate, firstSoundBlockAlign);
}

std::string secondCompletionSound()
{
    constexpr size_t frames = secondSoundFrames;
    // A mallet on a wooden bar: the fourth partial is strong and short.
    constexpr Partial mallet[] = {{1.0, 1.0, 0.36}, {4.0, 0.30, 0.05}, {9.9, 0.06, 0.015}, {0.5, 0.12, 0.30}};
    constexpr Note notes[] = {
        {0.000, 783.99, 0.80, 0},  // G5
        {0.200, 523.25, 1.00, 0},  // C5
    };

    std::vector<double> mix(frames, 0.0);
    std::vector<double> envelope(frames, 0.0);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        double value = 0;
        double level = 0;
        for (const Note& note : notes) {
            value += note.amplitude * tone(t - note.onset, note.frequency, mallet, 0.002);
            if (t >= note.onset)
                level += note.amplitude * std::exp(-(t - note.onset) / 0.36);
        }
        mix[i] = value;
        envelope[i] = level;
    }
    finish(mix, 1, 0.10, 0.85);

    // Eight bits: dither while the tone sounds, none once it has faded, so
    // the tail is true silence rather than hiss.
    Lcg random;
    double loudest = 0;
    for (const double e : envelope)
        loudest = std::max(loudest, e);
    std::vector<uint8_t> bytes(frames);
    for (size_t i = 0; i < frames; ++i) {
        const double ditherScale = std::min(1.0, 4.0 * envelope[i] / loudest);
        const double dither = (random.next() - random.next()) * ditherScale;
        const double value = 128.0 + mix[i] * 127.0 + dither;
        bytes[i] = static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
    }
    return pcm8Wave(bytes, 1, completionSampleRate);
}

}  // namespace quorvo::sound
