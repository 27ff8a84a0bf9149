// Pictures that are broken, hostile or not pictures at all: the loader answers
// with a null image, never crashes and never allocates what a header claims.

#include "gfx/Image.h"

#include "SampleImages.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <cstdint>
#include <random>

namespace quorvo::gfx {
namespace {

std::string bigEndian32(std::uint32_t value)
{
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A PNG that is only its signature and a header chunk with a correct CRC.
std::string pngHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    std::string chunk = "IHDR" + bigEndian32(width) + bigEndian32(height) + std::string("\x08\x06\x00\x00\x00", 5);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size())));
    return std::string(pngSignature) + bigEndian32(13) + chunk + bigEndian32(crc);
}

std::string smallPng()
{
    return samples::encodePng(16, 16, [](int x, int y) { return (x + y) % 2 ? 0xFFFF8000 : 0x80000000; });
}

std::string smallJpeg()
{
    return samples::encodeJpeg(16, 16, [](int x, int) { return x < 8 ? 0xFF102030 : 0xFFE0D0C0; });
}

std::string smallGif()
{
    samples::GifFrame frame {0, 0, 16, 16, std::vector<std::uint8_t>(256, 1), 5, -1, 0};
    return samples::encodeGif(16, 16, {0x000000, 0x336699}, {frame, frame});
}

TEST(BadImage, EmptyDataIsNoImage)
{
    EXPECT_TRUE(loadImage("").isNull());
    EXPECT_TRUE(loadImage("", true).isNull());
}

TEST(BadImage, TextIsNoImage)
{
    EXPECT_TRUE(loadImage("this is not a picture").isNull());
    EXPECT_TRUE(loadImage(std::string(1000, '\0')).isNull());
    EXPECT_TRUE(loadImage(std::string(pngSignature)).isNull()) << "a signature alone";
    EXPECT_TRUE(loadImage("GIF89a").isNull());
    EXPECT_TRUE(loadImage("\xFF\xD8\xFF").isNull());
}

TEST(BadImage, ValidHeaderChunkBuildsAnImageOnlyWithPixels)
{
    EXPECT_TRUE(loadImage(pngHeaderOnly(4, 4)).isNull()) << "no image data";
}

TEST(BadImage, PngHeaderOfZeroSizeIsRefused)
{
    EXPECT_TRUE(loadImage(pngHeaderOnly(0, 10)).isNull());
    EXPECT_TRUE(loadImage(pngHeaderOnly(10, 0)).isNull());
}

TEST(BadImage, PngHeaderOf30000By30000IsRefusedAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(loadImage(pngHeaderOnly(30000, 30000)).isNull());
    EXPECT_TRUE(loadImage(pngHeaderOnly(30000, 1)).isNull());
    EXPECT_TRUE(loadImage(pngHeaderOnly(0x7FFFFFFF, 0x7FFFFFFF)).isNull());
    // Allocating and clearing 3.6 GB would take seconds; refusing takes nothing.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(BadImage, JpegHeaderOf30000By30000IsRefused)
{
    std::string jpeg = smallJpeg();
    const std::size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    // SOF0: marker, length (2), precision (1), height (2), width (2).
    jpeg[frame + 5] = static_cast<char>(30000 >> 8);
    jpeg[frame + 6] = static_cast<char>(30000 & 0xFF);
    jpeg[frame + 7] = static_cast<char>(30000 >> 8);
    jpeg[frame + 8] = static_cast<char>(30000 & 0xFF);
    EXPECT_TRUE(loadImage(jpeg).isNull());
}

TEST(BadImage, GifScreenOf30000By30000IsRefused)
{
    std::string gif = smallGif();
    gif[6] = static_cast<char>(30000 & 0xFF);
    gif[7] = static_cast<char>(30000 >> 8);
    gif[8] = static_cast<char>(30000 & 0xFF);
    gif[9] = static_cast<char>(30000 >> 8);
    EXPECT_TRUE(loadImage(gif).isNull());
    EXPECT_TRUE(loadImage(gif, false, ImageKind::Animated).isNull());
}

TEST(BadImage, GifFrameLargerThanAnyPictureIsRefused)
{
    samples::GifFrame frame {0, 0, 16, 16, std::vector<std::uint8_t>(256, 1), 5, -1, 0};
    std::string gif = samples::encodeGif(16, 16, {0x000000, 0x336699}, {frame});
    const std::size_t descriptor = gif.find('\x2C');  // image separator
    ASSERT_NE(descriptor, std::string::npos);
    // Left, top, width, height (little-endian); claim 30000 x 30000.
    gif[descriptor + 5] = static_cast<char>(30000 & 0xFF);
    gif[descriptor + 6] = static_cast<char>(30000 >> 8);
    gif[descriptor + 7] = static_cast<char>(30000 & 0xFF);
    gif[descriptor + 8] = static_cast<char>(30000 >> 8);
    EXPECT_TRUE(loadImage(gif).isNull());
}

TEST(BadImage, TruncatedPicturesAreNoImages)
{
    for (const std::string& picture : {smallPng(), smallJpeg(), smallGif()}) {
        for (std::size_t length : {picture.size() / 4, picture.size() / 2, picture.size() * 3 / 4}) {
            EXPECT_TRUE(loadImage(picture.substr(0, length), false, ImageKind::Animated).isNull())
                << "cut to " << length << " of " << picture.size() << " bytes";
        }
    }
}

TEST(BadImage, DetachedGifNeedsOnlyItsFirstFrameWhole)
{
    const std::string gif = smallGif();
    const std::size_t secondFrame = gif.rfind('\x21', gif.size() - 2);  // the second frame's control block
    ASSERT_NE(secondFrame, std::string::npos);
    const std::string cut = gif.substr(0, secondFrame + 12);
    EXPECT_FALSE(loadImage(cut).isNull()) << "the first frame is complete";
    EXPECT_TRUE(loadImage(cut, false, ImageKind::Animated).isNull()) << "the second frame is not";
    EXPECT_TRUE(loadImage(gif.substr(0, 30)).isNull()) << "cut inside the first frame";
}

TEST(BadImage, EveryCutOfAPictureLoadsOrFailsWithoutCrashing)
{
    for (const std::string& picture : {smallPng(), smallJpeg(), smallGif()}) {
        ASSERT_FALSE(loadImage(picture, false, ImageKind::Animated).isNull());
        for (std::size_t length = 0; length < picture.size(); ++length) {
            const Image image = loadImage(picture.substr(0, length), false, ImageKind::Animated);
            if (!image.isNull()) {
                ASSERT_EQ(image.width(), 16) << "a cut picture that loads has its real size";
                ASSERT_EQ(image.height(), 16);
            }
        }
    }
}

TEST(BadImage, CorruptedBytesLoadOrFailWithoutCrashing)
{
    std::mt19937 random(20240607);
    for (const std::string& picture : {smallPng(), smallJpeg(), smallGif()}) {
        for (int round = 0; round < 300; ++round) {
            std::string damaged = picture;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) {
                damaged[random() % damaged.size()] = static_cast<char>(random());
            }
            const Image image = loadImage(damaged, false, ImageKind::Animated);
            if (!image.isNull()) {
                ASSERT_GT(image.width(), 0);
                ASSERT_LE(image.width(), maxSurfaceEdge);
                ASSERT_GE(image.frameCount(), 1);
            }
        }
    }
}

}  // namespace
}  // namespace quorvo::gfx
