#include "download/SongTagger.h"

#include "platform/Files.h"
#include "runtime/Encoding.h"

#include <FLAC/metadata.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <system_error>

namespace quorvo::download {

namespace {

// U+FFFD for what UTF-16 cannot mean (a lone surrogate).
void appendUtf8(std::string& out, uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unitAt = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]);
        const auto second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<uint32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::string out;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const uint32_t unit = unitAt(at);
        if (unit == 0)
            break;
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < bytes.size()) {
            const uint32_t low = unitAt(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                at += 2;
                continue;
            }
        }
        appendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
    return out;
}

TagResult failed(std::string_view why)
{
    return TagResult {false, Text(why)};
}

// ---- FLAC ----

bool hasComment(const FLAC__StreamMetadata* block, const char* field)
{
    const FLAC__StreamMetadata_VorbisComment& comments = block->data.vorbis_comment;
    const std::string_view name(field);
    for (FLAC__uint32 i = 0; i < comments.num_comments; ++i) {
        const std::string_view entry(reinterpret_cast<const char*>(comments.comments[i].entry),
                                     comments.comments[i].length);
        if (entry.size() > name.size() + 1 && entry[name.size()] == '='
            && text::equals(entry.substr(0, name.size()), name, CaseSensitivity::Insensitive))
            return true;
    }
    return false;
}

bool setComment(FLAC__StreamMetadata* block, const char* field, const std::string& value)
{
    FLAC__StreamMetadata_VorbisComment_Entry entry;
    if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, field, value.c_str()))
        return false;
    // Takes the entry over, also when it fails.
    return FLAC__metadata_object_vorbiscomment_replace_comment(block, entry, true, false);
}

struct ChainFree {
    void operator()(FLAC__Metadata_Chain* chain) const { FLAC__metadata_chain_delete(chain); }
};
struct IteratorFree {
    void operator()(FLAC__Metadata_Iterator* iterator) const { FLAC__metadata_iterator_delete(iterator); }
};

// Padding left after the metadata when the frames have to move anyway.
constexpr unsigned roomForLaterEdits = 8192;

// Sorted padding is one block at the end, if any.
bool growPadding(FLAC__Metadata_Chain* chain, FLAC__Metadata_Iterator* iterator)
{
    FLAC__metadata_iterator_init(iterator, chain);
    while (FLAC__metadata_iterator_next(iterator)) { }
    if (FLAC__metadata_iterator_get_block_type(iterator) == FLAC__METADATA_TYPE_PADDING) {
        FLAC__metadata_iterator_get_block(iterator)->length = roomForLaterEdits;
        return true;
    }
    FLAC__StreamMetadata* padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
    if (!padding)
        return false;
    padding->length = roomForLaterEdits;
    if (FLAC__metadata_iterator_insert_block_after(iterator, padding))
        return true;
    FLAC__metadata_object_delete(padding);
    return false;
}

TagResult writeFlacTags(const Text& path, const SongTags& tags, const std::string& lyrics)
{
    const std::unique_ptr<FLAC__Metadata_Chain, ChainFree> chain(FLAC__metadata_chain_new());
    const std::unique_ptr<FLAC__Metadata_Iterator, IteratorFree> iterator(FLAC__metadata_iterator_new());
    if (!chain || !iterator)
        return failed("out of memory");
    const std::string native = platform::nativePath(path);
    if (!FLAC__metadata_chain_read(chain.get(), native.c_str()))
        return failed(FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())]);

    FLAC__metadata_iterator_init(iterator.get(), chain.get());
    FLAC__StreamMetadata* comments = nullptr;
    do {
        if (FLAC__metadata_iterator_get_block_type(iterator.get()) == FLAC__METADATA_TYPE_VORBIS_COMMENT)
            comments = FLAC__metadata_iterator_get_block(iterator.get());
    } while (!comments && FLAC__metadata_iterator_next(iterator.get()));
    if (!comments) {
        // Right after STREAMINFO, which is always first.
        FLAC__metadata_iterator_init(iterator.get(), chain.get());
        comments = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
        if (!comments)
            return failed("out of memory");
        if (!FLAC__metadata_iterator_insert_block_after(iterator.get(), comments)) {
            FLAC__metadata_object_delete(comments);
            return failed("the FLAC metadata could not take a comment block");
        }
    }

    bool set = true;
    const std::pair<const char*, const Text*> names[]
        = {{"TITLE", &tags.title}, {"ARTIST", &tags.artist}, {"ALBUM", &tags.album}};
    for (const auto& [field, value] : names) {
        if (!value->empty() && !hasComment(comments, field))
            set = set && setComment(comments, field, encoding::toUtf8(value->view()));
    }
    if (!lyrics.empty())
        set = set && setComment(comments, "LYRICS", lyrics);
    if (!set)
        return failed("the FLAC comments could not be set");

    // Padding first: the new comments take its room and the audio stays
    // where it is. Without enough of it libFLAC copies the frames into a new
    // file beside this one, as they are; that file gets room for the next
    // edit (a player's rating, a cover), so that one is made in place.
    FLAC__metadata_chain_sort_padding(chain.get());
    if (FLAC__metadata_chain_check_if_tempfile_needed(chain.get(), true) && !growPadding(chain.get(), iterator.get()))
        return failed("out of memory");
    if (!FLAC__metadata_chain_write(chain.get(), true, false))
        return failed(FLAC__Metadata_ChainStatusString[FLAC__metadata_chain_status(chain.get())]);
    return TagResult {true, Text()};
}

// ---- MP3 ----

TagLib::String tagText(const std::string& utf8)
{
    return TagLib::String(utf8, TagLib::String::UTF8);
}

// ID3v2.3 knows Latin-1 and UTF-16 with a byte-order mark.
TagLib::String::Type encodingFor(const TagLib::String& value)
{
    return value.isLatin1() ? TagLib::String::Latin1 : TagLib::String::UTF16;
}

void setTextFrame(TagLib::ID3v2::Tag& tag, const char* id, const TagLib::String& value)
{
    tag.removeFrames(id);
    auto* frame = new TagLib::ID3v2::TextIdentificationFrame(TagLib::ByteVector(id), encodingFor(value));
    frame->setText(value);
    tag.addFrame(frame);
}

// Tags a copy and puts it in the file's place: TagLib shifts the whole file
// to make room for a larger tag, and a failure halfway through must not
// leave a damaged song.
TagResult writeMp3Tags(const Text& path, const SongTags& tags, const std::string& lyrics)
{
    namespace fs = std::filesystem;
    const fs::path original(platform::nativePath(path));
    const fs::path copy(platform::nativePath(taggingCopyOf(path)));
    std::error_code error;
    fs::copy_file(original, copy, fs::copy_options::overwrite_existing, error);
    const auto discard = [&](std::string_view why) {
        std::error_code ignored;
        fs::remove(copy, ignored);
        return failed(why);
    };
    if (error)
        return discard("the MP3 could not be copied for tagging: " + error.message());
    {
        TagLib::MPEG::File file(copy.c_str(), false);
        if (!file.isValid())
            return discard("TagLib cannot read the MP3");
        // What any tag of the file already says (ID3v2, APE or ID3v1).
        const TagLib::Tag* present = file.tag();
        TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
        const std::tuple<const char*, const Text*, TagLib::String> names[] = {
            {"TIT2", &tags.title, present ? present->title() : TagLib::String()},
            {"TPE1", &tags.artist, present ? present->artist() : TagLib::String()},
            {"TALB", &tags.album, present ? present->album() : TagLib::String()},
        };
        for (const auto& [id, value, own] : names) {
            if (!value->empty() && own.isEmpty())
                setTextFrame(*tag, id, tagText(encoding::toUtf8(value->view())));
        }
        if (!lyrics.empty()) {
            const TagLib::String text = tagText(lyrics);
            tag->removeFrames("USLT");
            auto* frame = new TagLib::ID3v2::UnsynchronizedLyricsFrame(encodingFor(text));
            frame->setLanguage(TagLib::ByteVector("und"));  // ISO 639-2: undetermined
            frame->setText(text);
            tag->addFrame(frame);
        }
        // Only the ID3v2 tag changes; an ID3v1 or APE tag stays as it is.
        if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3,
                       TagLib::File::DoNotDuplicate))
            return discard("TagLib could not save the MP3");
    }
    if (!platform::replaceFile(platform::fromNativePath(copy.string()), path))
        return discard("the tagged MP3 could not take the file's place");
    return TagResult {true, Text()};
}

}  // namespace

Text taggingCopyOf(const Text& path)
{
    return path + ".tags";
}

std::optional<TagFormat> tagFormatOf(const Text& songPath)
{
    const std::string_view path = songPath.view();
    const auto endsWith = [&](std::string_view extension) {
        return path.size() >= extension.size()
            && text::equals(path.substr(path.size() - extension.size()), extension, CaseSensitivity::Insensitive);
    };
    if (endsWith(".flac"))
        return TagFormat::Flac;
    if (endsWith(".mp3"))
        return TagFormat::Mp3;
    return std::nullopt;
}

std::string lyricsAsUtf8(std::string_view bytes)
{
    std::string utf8;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        utf8 = utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE');
    } else {
        if (bytes.starts_with("\xEF\xBB\xBF"))
            bytes.remove_prefix(3);
        bytes = bytes.substr(0, bytes.find('\0'));
        // GBK, as a lyric file saved on a Chinese Windows would be.
        utf8 = encoding::isValidUtf8(bytes) ? std::string(bytes) : encoding::toUtf8(bytes);
    }
    const bool blank
        = std::all_of(utf8.begin(), utf8.end(), [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    return blank ? std::string() : utf8;
}

TagResult writeSongTags(const Text& path, TagFormat format, const SongTags& tags)
{
    const std::string lyrics = lyricsAsUtf8(tags.lyrics);
    return format == TagFormat::Flac ? writeFlacTags(path, tags, lyrics) : writeMp3Tags(path, tags, lyrics);
}

}  // namespace quorvo::download
