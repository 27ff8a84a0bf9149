#include "media/AudioWriters.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <memory>
#include <vector>

namespace quorvo::server {

namespace {

struct EncoderDeleter {
    void operator()(FLAC__StreamEncoder* encoder) const { FLAC__stream_encoder_delete(encoder); }
};
struct MetadataDeleter {
    void operator()(FLAC__StreamMetadata* block) const { FLAC__metadata_object_delete(block); }
};
using MetadataBlock = std::unique_ptr<FLAC__StreamMetadata, MetadataDeleter>;

bool addComment(FLAC__StreamMetadata* block, const char* name, const std::string& value)
{
    if (value.empty())
        return true;
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name, value.c_str()))
        return false;
    // copy = false: the block takes the entry's memory.
    return FLAC__metadata_object_vorbiscomment_append_comment(block, entry, false);
}

}  // namespace

std::optional<std::string> writeFlac(const std::string& path, SignalSource& source, const AudioTags& tags, bool fastest)
{
    const SignalShape& shape = source.shape();
    std::unique_ptr<FLAC__StreamEncoder, EncoderDeleter> encoder(FLAC__stream_encoder_new());
    if (!encoder)
        return "cannot create a FLAC encoder";
    FLAC__StreamEncoder* raw = encoder.get();
    FLAC__stream_encoder_set_verify(raw, false);
    FLAC__stream_encoder_set_compression_level(raw, fastest ? 0 : 1);
    FLAC__stream_encoder_set_channels(raw, shape.channels);
    FLAC__stream_encoder_set_bits_per_sample(raw, shape.bitsPerSample);
    FLAC__stream_encoder_set_sample_rate(raw, shape.sampleRate);
    FLAC__stream_encoder_set_total_samples_estimate(raw, shape.totalFrames);

    MetadataBlock comments(FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT));
    MetadataBlock padding(FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING));
    if (!comments || !padding)
        return "out of memory for FLAC metadata";
    if (!addComment(comments.get(), "TITLE", tags.title) || !addComment(comments.get(), "ARTIST", tags.artist)
        || !addComment(comments.get(), "ALBUM", tags.album)
        || !addComment(comments.get(), "TRACKNUMBER", tags.trackNumber)
        || !addComment(comments.get(), "DATE", tags.year))
        return "cannot build the FLAC tags";
    padding->length = 1024;
    FLAC__StreamMetadata* blocks[] = {comments.get(), padding.get()};
    if (!FLAC__stream_encoder_set_metadata(raw, blocks, 2))
        return "cannot attach the FLAC tags";

    if (FLAC__stream_encoder_init_file(raw, path.c_str(), nullptr, nullptr) != FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        return "cannot open " + path + " for FLAC output";

    std::vector<FLAC__int32> buffer(static_cast<std::size_t>(4096) * shape.channels);
    for (;;) {
        const std::size_t frames = source.next(buffer);
        if (frames == 0)
            break;
        if (!FLAC__stream_encoder_process_interleaved(raw, buffer.data(), static_cast<unsigned>(frames))) {
            FLAC__stream_encoder_finish(raw);
            return std::string("FLAC encoding failed: ")
                + FLAC__StreamEncoderStateString[FLAC__stream_encoder_get_state(raw)];
        }
    }
    if (!FLAC__stream_encoder_finish(raw))
        return "cannot finish the FLAC file";
    return std::nullopt;
}

}  // namespace quorvo::server
