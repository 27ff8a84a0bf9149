#include "download/FlacCheck.h"

#include "platform/Files.h"

#include <FLAC/stream_decoder.h>

#include <memory>

namespace quorvo::download {
namespace {

struct DecoderDeleter {
    void operator()(FLAC__StreamDecoder* decoder) const { FLAC__stream_decoder_delete(decoder); }
};

struct Decoding {
    bool sawStreamInfo = false;
    bool failed = false;
};

FLAC__StreamDecoderWriteStatus onFrame(const FLAC__StreamDecoder*, const FLAC__Frame*, const FLAC__int32* const[],
                                       void*)
{
    // libFLAC sums the MD5 itself; the samples are not needed here.
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void onMetadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* metadata, void* client)
{
    if (metadata->type == FLAC__METADATA_TYPE_STREAMINFO)
        static_cast<Decoding*>(client)->sawStreamInfo = true;
}

void onError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void* client)
{
    static_cast<Decoding*>(client)->failed = true;
}

}  // namespace

FlacCheck checkFlac(const Text& path)
{
    const std::unique_ptr<FLAC__StreamDecoder, DecoderDeleter> decoder(FLAC__stream_decoder_new());
    if (!decoder)
        return FlacCheck::Mismatched;
    Decoding decoding;
    FLAC__stream_decoder_set_md5_checking(decoder.get(), true);
    if (FLAC__stream_decoder_init_file(decoder.get(), platform::nativePath(path).c_str(), &onFrame, &onMetadata,
                                       &onError, &decoding)
        != FLAC__STREAM_DECODER_INIT_STATUS_OK)
        return FlacCheck::Mismatched;
    const bool decoded = FLAC__stream_decoder_process_until_end_of_stream(decoder.get()) != 0;
    // finish() is false exactly when a non-zero MD5 disagrees with the audio.
    const bool md5Agrees = FLAC__stream_decoder_finish(decoder.get()) != 0;
    return decoded && md5Agrees && decoding.sawStreamInfo && !decoding.failed ? FlacCheck::Matches
                                                                              : FlacCheck::Mismatched;
}

bool isFlacPath(const Text& path)
{
    return text::endsWith(path.view(), ".flac", CaseSensitivity::Insensitive);
}

}  // namespace quorvo::download
