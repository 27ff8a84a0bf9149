#include "WaveFile.h"

#include "MsAdpcm.h"

#include <string_view>

namespace quorvo::sound {

namespace {

void put16(std::string& out, uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putChunk(std::string& out, std::string_view id, std::string_view body)
{
    out.append(id);
    put32(out, static_cast<uint32_t>(body.size()));
    out.append(body);
    if (body.size() % 2 != 0)
        out.push_back('\0');
}

std::string riff(std::string_view chunks)
{
    std::string out = "RIFF";
    put32(out, static_cast<uint32_t>(4 + chunks.size()));
    out.append("WAVE");
    out.append(chunks);
    return out;
}

}  // namespace

std::string msAdpcmWave(std::span<const int16_t> interleaved, int channels, int sampleRate, int blockAlign)
{
    const int samplesPerBlock = adpcmSamplesPerBlock(blockAlign, channels);
    const std::string data = encodeMsAdpcm(interleaved, channels, blockAlign);
    const auto blocks = static_cast<uint32_t>(data.size() / static_cast<size_t>(blockAlign));

    std::string format;
    put16(format, 2);  // WAVE_FORMAT_ADPCM
    put16(format, static_cast<uint32_t>(channels));
    put32(format, static_cast<uint32_t>(sampleRate));
    put32(format, static_cast<uint32_t>(static_cast<int64_t>(sampleRate) * blockAlign / samplesPerBlock));
    put16(format, static_cast<uint32_t>(blockAlign));
    put16(format, 4);          // bits per sample
    put16(format, 4 + 4 * 7);  // extra bytes: samples per block, count, table
    put16(format, static_cast<uint32_t>(samplesPerBlock));
    put16(format, 7);
    for (const auto& pair : standardCoefficients) {
        put16(format, static_cast<uint16_t>(static_cast<int16_t>(pair.first)));
        put16(format, static_cast<uint16_t>(static_cast<int16_t>(pair.second)));
    }

    std::string fact;
    put32(fact, blocks * static_cast<uint32_t>(samplesPerBlock));

    std::string chunks;
    putChunk(chunks, "fmt ", format);
    putChunk(chunks, "fact", fact);
    putChunk(chunks, "data", data);
    return riff(chunks);
}

std::string pcm8Wave(std::span<const uint8_t> samples, int channels, int sampleRate)
{
    std::string format;
    put16(format, 1);  // WAVE_FORMAT_PCM
    put16(format, static_cast<uint32_t>(channels));
    put32(format, static_cast<uint32_t>(sampleRate));
    put32(format, static_cast<uint32_t>(sampleRate * channels));
    put16(format, static_cast<uint32_t>(channels));
    put16(format, 8);

    std::string chunks;
    putChunk(chunks, "fmt ", format);
    putChunk(chunks, "data", std::string_view(reinterpret_cast<const char*>(samples.data()), samples.size()));
    return riff(chunks);
}

}  // namespace quorvo::sound
