#include "media/AudioWriters.h"

#include "runtime/UniqueFd.h"

#include <lame/lame.h>

#include <fcntl.h>
#include <unistd.h>

#include <memory>
#include <vector>

namespace quorvo::server {

namespace {

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

// UTF-8 to UTF-16 with a byte-order mark, NUL-terminated: what LAME's
// ID3v2 text setter takes for non-Latin text.
std::vector<unsigned short> toUtf16(const std::string& utf8)
{
    std::vector<unsigned short> out {0xFEFF};
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = byte;
        std::size_t length = 1;
        if (byte >= 0xF0) {
            code = byte & 0x07;
            length = 4;
        } else if (byte >= 0xE0) {
            code = byte & 0x0F;
            length = 3;
        } else if (byte >= 0xC0) {
            code = byte & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<unsigned short>(0xD800 + (code >> 10)));
            out.push_back(static_cast<unsigned short>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<unsigned short>(code));
        }
    }
    out.push_back(0);
    return out;
}

bool writeAll(int fd, const unsigned char* data, std::size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, data, length);
        if (written <= 0)
            return false;
        data += written;
        length -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::optional<std::string> writeMp3(const std::string& path, SignalSource& source, const AudioTags& tags, int kbps)
{
    const SignalShape& shape = source.shape();
    if (shape.bitsPerSample != 16 || shape.channels != 2)
        return "MP3 output needs 16-bit stereo";
    std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
    if (!lame)
        return "cannot create a LAME encoder";
    lame_global_flags* raw = lame.get();
    lame_set_in_samplerate(raw, static_cast<int>(shape.sampleRate));
    lame_set_out_samplerate(raw, static_cast<int>(shape.sampleRate));
    lame_set_num_channels(raw, 2);
    lame_set_mode(raw, JOINT_STEREO);
    lame_set_brate(raw, kbps);
    lame_set_VBR(raw, vbr_off);
    lame_set_quality(raw, 7);
    lame_set_bWriteVbrTag(raw, 0);
    id3tag_init(raw);
    id3tag_add_v2(raw);
    id3tag_v2_only(raw);
    id3tag_set_textinfo_utf16(raw, "TIT2", toUtf16(tags.title).data());
    id3tag_set_textinfo_utf16(raw, "TPE1", toUtf16(tags.artist).data());
    id3tag_set_textinfo_utf16(raw, "TALB", toUtf16(tags.album).data());
    if (!tags.trackNumber.empty())
        id3tag_set_textinfo_utf16(raw, "TRCK", toUtf16(tags.trackNumber).data());
    if (lame_init_params(raw) < 0)
        return "LAME rejected the encoding parameters";

    UniqueFd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!out.valid())
        return "cannot open " + path + " for MP3 output";

    constexpr std::size_t framesPerPass = 8192;
    std::vector<std::int32_t> samples(framesPerPass * 2);
    std::vector<short> pcm(framesPerPass * 2);
    std::vector<unsigned char> encoded(framesPerPass * 5 / 4 + 7200 + framesPerPass);
    for (;;) {
        const std::size_t frames = source.next(samples);
        if (frames == 0)
            break;
        for (std::size_t i = 0; i < frames * 2; ++i)
            pcm[i] = static_cast<short>(samples[i]);
        const int bytes = lame_encode_buffer_interleaved(raw, pcm.data(), static_cast<int>(frames), encoded.data(),
                                                         static_cast<int>(encoded.size()));
        if (bytes < 0)
            return "LAME encoding failed (" + std::to_string(bytes) + ")";
        if (!writeAll(out.get(), encoded.data(), static_cast<std::size_t>(bytes)))
            return "cannot write " + path;
    }
    const int bytes = lame_encode_flush(raw, encoded.data(), static_cast<int>(encoded.size()));
    if (bytes < 0)
        return "LAME flush failed";
    if (!writeAll(out.get(), encoded.data(), static_cast<std::size_t>(bytes)))
        return "cannot write " + path;
    return std::nullopt;
}

}  // namespace quorvo::server
