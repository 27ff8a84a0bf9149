// The FLAC check that follows a file while it is written, against the
// whole-file check, on a real song of the reference service.

#include "download/FlacCheck.h"

#include "ReferenceServer.h"
#include "SongCache.h"
#include "TempDir.h"

#include <FLAC/stream_decoder.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>

namespace quorvo::download {
namespace {

class FlacCheckAsWrittenTest : public ::testing::Test {
protected:
    FlacCheckAsWrittenTest()
        : m_song(test::readWholeFile(test::cachedSongFile(m_reference, "9900001", "flac")))
        , m_path(m_dir.file("s.flac.tmp"))
    { }

    void append(std::string_view bytes)
    {
        std::ofstream(m_path, std::ios::binary | std::ios::app).write(bytes.data(), std::streamsize(bytes.size()));
    }

    test::ReferenceServer m_reference;
    std::string m_song;
    test::TempDir m_dir;
    std::string m_path;
};

TEST_F(FlacCheckAsWrittenTest, FollowsTheWriterPieceByPieceToTheWholeFilesVerdict)
{
    std::string damaged = m_song;
    // The first byte of STREAMINFO's MD5.
    damaged[26] = static_cast<char>(damaged[26] ^ 0x5A);
    for (const std::string* song : {&m_song, &damaged}) {
        test::writeWholeFile(m_path, song->substr(0, 100));
        FlacCheckAsWritten check(Text(m_path), 100);
        for (std::size_t at = 100; at < song->size(); at += 7000) {
            append(std::string_view(*song).substr(at, 7000));
            check.grew(static_cast<int64_t>(std::min(song->size(), at + 7000)));
        }
        const FlacCheck verdict = check.finish(static_cast<int64_t>(song->size()));
        EXPECT_EQ(verdict, song == &m_song ? FlacCheck::Matches : FlacCheck::Mismatched);
        EXPECT_EQ(verdict, checkFlac(Text(m_path)));
    }
}

FLAC__StreamDecoderWriteStatus ignoreFrame(const FLAC__StreamDecoder*, const FLAC__Frame*, const FLAC__int32* const[],
                                           void*)
{
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void ignoreError(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) { }

// The byte offset where the frame after the first `frames` audio frames begins.
uint64_t frameBoundary(const std::string& path, int frames)
{
    FLAC__StreamDecoder* decoder = FLAC__stream_decoder_new();
    FLAC__stream_decoder_init_file(decoder, path.c_str(), &ignoreFrame, nullptr, &ignoreError, nullptr);
    FLAC__stream_decoder_process_until_end_of_metadata(decoder);
    for (int i = 0; i < frames; ++i)
        FLAC__stream_decoder_process_single(decoder);
    FLAC__uint64 position = 0;
    FLAC__stream_decoder_get_decode_position(decoder, &position);
    FLAC__stream_decoder_delete(decoder);
    return position;
}

// Cut after a whole frame, the file decodes cleanly; with its MD5 unset
// (all zeros) only STREAMINFO's sample count shows the missing audio.
TEST_F(FlacCheckAsWrittenTest, FileCutAtAFrameBoundaryWithoutMd5IsNotWhole)
{
    std::string unsigned_ = m_song;
    std::fill(unsigned_.begin() + 26, unsigned_.begin() + 42, '\0');
    test::writeWholeFile(m_path, unsigned_);
    ASSERT_EQ(checkFlac(Text(m_path)), FlacCheck::Matches);

    const uint64_t boundary = frameBoundary(m_path, 3);
    ASSERT_GT(boundary, 42U);
    ASSERT_LT(boundary, unsigned_.size());
    test::writeWholeFile(m_path, unsigned_.substr(0, boundary));
    EXPECT_EQ(checkFlac(Text(m_path)), FlacCheck::Mismatched);

    FlacCheckAsWritten check(Text(m_path), static_cast<int64_t>(boundary));
    EXPECT_EQ(check.finish(static_cast<int64_t>(boundary)), FlacCheck::Mismatched);
}

// A paused or failed transfer never completes its file: the check waiting
// for more bytes must let go.
TEST_F(FlacCheckAsWrittenTest, StopsWhenTheTransferEndsBeforeTheFileIsWhole)
{
    test::writeWholeFile(m_path, m_song.substr(0, m_song.size() / 2));
    auto stopped = std::async(std::launch::async, [&] {
        FlacCheckAsWritten check(Text(m_path), static_cast<int64_t>(m_song.size() / 2));
        check.grew(static_cast<int64_t>(m_song.size() / 2));
    });
    EXPECT_EQ(stopped.wait_for(std::chrono::seconds(20)), std::future_status::ready);
}

}  // namespace
}  // namespace quorvo::download
