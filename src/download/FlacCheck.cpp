#include "download/FlacCheck.h"

#include "platform/Files.h"
#include "runtime/UniqueFd.h"

#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace quorvo::download {
namespace {

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

struct Decoding {
    bool sawStreamInfo = false;
    bool failed = false;
    // STREAMINFO's count of samples per channel (0: not known) and what the
    // frames held. A file cut at a frame boundary decodes cleanly, and with
    // an unset MD5 only this count tells that audio is missing.
    uint64_t claimedSamples = 0;
    uint64_t decodedSamples = 0;
};

void countFrame(const FLAC__Frame* frame, Decoding& decoding)
{
    decoding.decodedSamples += frame->header.blocksize;
}

FLAC__StreamDecoderWriteStatus onFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame, const FLAC__int32* const[],
                                       void* client)
{
    // libFLAC sums the MD5 itself; the samples are only counted.
    countFrame(frame, *static_cast<Decoding*>(client));
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void onMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* client)
{
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO) {
        auto& decoding = *static_cast<Decoding*>(client);
        decoding.sawStreamInfo = true;
        decoding.claimedSamples = metadata->data.stream_info.total_samples;
    }
}

void onError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* client)
{
    static_cast<Decoding*>(client)->failed = true;
}

// Runs an initialised decoder to the end of its stream and gives the verdict.
FlacCheck decodeToTheEnd(FLAC__StreamDecoder* decoder, const Decoding& decoding)
{
    const bool decoded = FLAC__stream_decoder_process_until_end_of_stream(decoder) != 0;
    // finish() is false exactly when a non-zero MD5 disagrees with the audio.
    const bool md5Agrees = FLAC__stream_decoder_finish(decoder) != 0;
    const bool wholeAudio = decoding.claimedSamples == 0 || decoding.claimedSamples == decoding.decodedSamples;
    return decoded && md5Agrees && wholeAudio && decoding.sawStreamInfo && !decoding.failed ? FlacCheck::Matches
                                                                                            : FlacCheck::Mismatched;
}

using Decoder = std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter>;

Decoder newCheckingDecoder()
{
    Decoder decoder(FLAC__stream_decoder_new());
    if (decoder)
        FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    return decoder;
}

}  // namespace

FlacCheck checkFlac(const Text& path)
{
    const Decoder decoder = newCheckingDecoder();
    if (!decoder)
        return FlacCheck::Mismatched;
    Decoding decoding;
    if (FLAC__stream_decoder_init_file(decoder.get(), platform::nativePath(path).c_str(), &onFrame, &onMetadata,
                                       &onError, &decoding)
        != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return FlacCheck::Mismatched;
    return decodeToTheEnd(decoder.get(), decoding);
}

// What the writer and the decoder thread share. The decoder reads through a
// descriptor of its own, never past what the writer has reported written.
struct FlacCheckAsWritten::Shared {
    UniqueFd file;
    std::mutex mutex;
    std::condition_variable changed;
    int64_t available = 0;
    bool whole = false;
    bool stopped = false;
    int64_t position = 0;  // the decoder thread's alone
    Decoding decoding;
    FlacCheck verdict = FlacCheck::Mismatched;
};

namespace {

FLAC__StreamDecoderReadStatus readWritten(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes, void* client)
{
    auto& shared = *static_cast<FlacCheckAsWritten::Shared*>(client);
    std::unique_lock lock(shared.mutex);
    shared.changed.wait(lock, [&] { return shared.stopped || shared.whole || shared.available > shared.position; });
    if (shared.stopped) {
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
    const int64_t left = shared.available - shared.position;
    lock.unlock();
    if (left <= 0) {
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM;
    }
    const auto wanted = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(*bytes)));
    ssize_t got = 0;
    do {
        got = ::pread(shared.file.get(), buffer, wanted, shared.position);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // The file is shorter than the writer said: it was cut behind our back.
        *bytes = 0;
        return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    }
    shared.position += got;
    *bytes = static_cast<size_t>(got);
    return FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
}

FLAC__StreamDecoderWriteStatus onSharedFrame(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                             const FLAC__int32* const[], void* client)
{
    countFrame(frame, static_cast<FlacCheckAsWritten::Shared*>(client)->decoding);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void onSharedMetadata(const FLAC__StreamDecoder* decoder, const FLAC__StreamMetadata* metadata, void* client)
{
    onMetadata(decoder, metadata, &static_cast<FlacCheckAsWritten::Shared*>(client)->decoding);
}

void onSharedError(const FLAC__StreamDecoder* decoder, FLAC__StreamDecoderErrorStatus status, void* client)
{
    onError(decoder, status, &static_cast<FlacCheckAsWritten::Shared*>(client)->decoding);
}

FLAC__bool atTheEnd(const FLAC__StreamDecoder*, void* client)
{
    auto& shared = *static_cast<FlacCheckAsWritten::Shared*>(client);
    const std::lock_guard lock(shared.mutex);
    return shared.stopped || (shared.whole && shared.position >= shared.available);
}

void decodeAsWritten(FlacCheckAsWritten::Shared& shared)
{
    const Decoder decoder = newCheckingDecoder();
    if (!decoder
        || FLAC__stream_decoder_init_stream(decoder.get(), &readWritten, nullptr, nullptr, nullptr, &atTheEnd,
                                            &onSharedFrame, &onSharedMetadata, &onSharedError, &shared)
            != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return;
    shared.verdict = decodeToTheEnd(decoder.get(), shared.decoding);
}

}  // namespace

FlacCheckAsWritten::FlacCheckAsWritten(const Text& path, int64_t available)
    : m_path(path)
    , m_shared(std::make_unique<Shared>())
{
    m_shared->available = available;
    m_shared->file.reset(::open(platform::nativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    // Without a descriptor of its own the file is checked whole at the end.
    if (m_shared->file.valid())
        m_decoder = std::thread([shared = m_shared.get()] { decodeAsWritten(*shared); });
}

FlacCheckAsWritten::~FlacCheckAsWritten()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->stopped = true;
    }
    m_shared->changed.notify_all();
    if (m_decoder.joinable())
        m_decoder.join();
}

void FlacCheckAsWritten::grew(int64_t size)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->available = size;
    }
    m_shared->changed.notify_all();
}

FlacCheck FlacCheckAsWritten::finish(int64_t size)
{
    if (!m_decoder.joinable())
        return checkFlac(m_path);
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->available = size;
        m_shared->whole = true;
    }
    m_shared->changed.notify_all();
    m_decoder.join();
    return m_shared->verdict;
}

bool isFlacPath(const Text& path)
{
    return text::endsWith(path.view(), ".flac", CaseSensitivity::Insensitive);
}

}  // namespace quorvo::download
