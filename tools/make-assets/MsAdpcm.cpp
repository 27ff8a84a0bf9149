#include "MsAdpcm.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace quorvo::sound {

namespace {

constexpr int adaptationTable[16] = {230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230};

struct ChannelState {
    int coefficient1 = 256;
    int coefficient2 = 0;
    int delta = 16;
    int sample1 = 0;  // most recent
    int sample2 = 0;  // the one before
};

// One step of the decoder; the encoder calls it too so both agree exactly.
int16_t decodeNibble(ChannelState& state, int nibble)
{
    const int predicted = (state.sample1 * state.coefficient1 + state.sample2 * state.coefficient2) / 256;
    const int signedNibble = nibble >= 8 ? nibble - 16 : nibble;
    const int sample = std::clamp(predicted + state.delta * signedNibble, -32768, 32767);
    state.delta = std::clamp(state.delta * adaptationTable[nibble] / 256, 16, 65535);
    state.sample2 = state.sample1;
    state.sample1 = sample;
    return static_cast<int16_t>(sample);
}

int chooseNibble(const ChannelState& state, int target)
{
    const int predicted = (state.sample1 * state.coefficient1 + state.sample2 * state.coefficient2) / 256;
    const int error = target - predicted;
    // Round to the nearest step.
    int step = (error >= 0 ? error + state.delta / 2 : error - state.delta / 2) / state.delta;
    step = std::clamp(step, -8, 7);
    return step & 0x0F;
}

struct ChannelBlock {
    int predictor = 0;
    int delta = 16;
    int firstSample = 0;
    int secondSample = 0;
    std::vector<int> nibbles;  // one per sample after the first two
};

// Encodes one channel's samples of a block, trying every predictor and a
// range of starting step sizes, and keeps the one with the least error.
ChannelBlock encodeChannelBlock(std::span<const int16_t> samples)
{
    ChannelBlock best;
    int64_t bestError = std::numeric_limits<int64_t>::max();
    for (int predictor = 0; predictor < 7; ++predictor) {
        for (int delta = 16; delta <= 4096; delta *= 2) {
            ChannelState state;
            state.coefficient1 = standardCoefficients[predictor].first;
            state.coefficient2 = standardCoefficients[predictor].second;
            state.delta = delta;
            state.sample2 = samples[0];
            state.sample1 = samples[1];
            ChannelBlock candidate {predictor, delta, samples[0], samples[1], {}};
            candidate.nibbles.reserve(samples.size() - 2);
            int64_t error = 0;
            for (size_t i = 2; i < samples.size() && error < bestError; ++i) {
                const int nibble = chooseNibble(state, samples[i]);
                const int decoded = decodeNibble(state, nibble);
                const int64_t difference = decoded - samples[i];
                error += difference * difference;
                candidate.nibbles.push_back(nibble);
            }
            if (error < bestError) {
                bestError = error;
                best = std::move(candidate);
            }
        }
    }
    return best;
}

void putWord(std::string& out, int value)
{
    const auto word = static_cast<uint16_t>(static_cast<int16_t>(value));
    out.push_back(static_cast<char>(word & 0xFF));
    out.push_back(static_cast<char>(word >> 8));
}

int readWord(std::span<const uint8_t> data, size_t at)
{
    return static_cast<int16_t>(static_cast<uint16_t>(data[at] | (data[at + 1] << 8)));
}

}  // namespace

int adpcmSamplesPerBlock(int blockAlign, int channels)
{
    return (blockAlign - adpcmHeaderBytesPerChannel * channels) * 8 / (4 * channels) + 2;
}

std::string encodeMsAdpcm(std::span<const int16_t> interleaved, int channels, int blockAlign)
{
    const auto perBlock = static_cast<size_t>(adpcmSamplesPerBlock(blockAlign, channels));
    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    std::string out;
    for (size_t start = 0; start < frames; start += perBlock) {
        std::vector<ChannelBlock> blocks;
        for (int channel = 0; channel < channels; ++channel) {
            std::vector<int16_t> samples(perBlock, 0);
            for (size_t i = 0; i < perBlock && start + i < frames; ++i)
                samples[i] = interleaved[(start + i) * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
            blocks.push_back(encodeChannelBlock(samples));
        }
        // Header: predictors, step sizes, then the second and the first sample.
        for (const auto& block : blocks)
            out.push_back(static_cast<char>(block.predictor));
        for (const auto& block : blocks)
            putWord(out, block.delta);
        for (const auto& block : blocks)
            putWord(out, block.secondSample);
        for (const auto& block : blocks)
            putWord(out, block.firstSample);
        // Nibbles, interleaved by channel, high nibble first.
        std::vector<int> stream;
        for (size_t i = 0; i + 2 < perBlock; ++i)
            for (const auto& block : blocks)
                stream.push_back(block.nibbles[i]);
        for (size_t i = 0; i + 1 < stream.size(); i += 2)
            out.push_back(static_cast<char>((stream[i] << 4) | stream[i + 1]));
    }
    return out;
}

std::vector<int16_t> decodeMsAdpcm(std::span<const uint8_t> data, int channels, int blockAlign)
{
    const auto channelCount = static_cast<size_t>(channels);
    std::vector<int16_t> out;
    for (size_t offset = 0; offset + static_cast<size_t>(blockAlign) <= data.size();
         offset += static_cast<size_t>(blockAlign)) {
        std::vector<ChannelState> states(channelCount);
        size_t at = offset;
        for (auto& state : states) {
            const int predictor = std::min<int>(data[at++], 6);
            state.coefficient1 = standardCoefficients[predictor].first;
            state.coefficient2 = standardCoefficients[predictor].second;
        }
        for (auto& state : states) {
            state.delta = readWord(data, at);
            at += 2;
        }
        for (auto& state : states) {
            state.sample1 = readWord(data, at);
            at += 2;
        }
        for (auto& state : states) {
            state.sample2 = readWord(data, at);
            at += 2;
        }
        for (const auto& state : states)
            out.push_back(static_cast<int16_t>(state.sample2));
        for (const auto& state : states)
            out.push_back(static_cast<int16_t>(state.sample1));
        size_t channel = 0;
        for (; at < offset + static_cast<size_t>(blockAlign); ++at) {
            for (const int nibble : {data[at] >> 4, data[at] & 0x0F}) {
                out.push_back(decodeNibble(states[channel], nibble));
                channel = (channel + 1) % channelCount;
            }
        }
    }
    return out;
}

}  // namespace quorvo::sound
