#include "runtime/Encoding.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace encoding = quorvo::encoding;

TEST(Encoding, ChineseAndAsciiRoundTrip)
{
    const std::string gbk = "song \xD6\xD0\xCE\xC4 - \xB8\xE8\xB4\xCA";  // "中文", "歌词"
    const std::string utf8 = encoding::toUtf8(gbk);
    EXPECT_EQ(utf8, "song \xE4\xB8\xAD\xE6\x96\x87 - \xE6\xAD\x8C\xE8\xAF\x8D");
    EXPECT_EQ(encoding::fromUtf8(utf8), gbk);
}

TEST(Encoding, CharactersOutsideGbkSurviveThroughFourByteSequences)
{
    // An emoji, a supplementary CJK ideograph and a Latin letter GBK lacks.
    const std::string utf8 = "\xF0\x9F\x98\x80\xF0\xA0\x80\x80\xC3\x84";
    const quorvo::Text programText = encoding::fromUtf8(utf8);
    EXPECT_EQ(programText, "\x94\x39\xFC\x36\x95\x32\x82\x36\x81\x30\x87\x32");
    EXPECT_EQ(encoding::toUtf8(programText.view()), utf8);
}

TEST(Encoding, InvalidInputBecomesQuestionMarksWithoutLosingTheRest)
{
    EXPECT_EQ(encoding::toUtf8("ab\xD6"), "ab?");
    EXPECT_EQ(encoding::toUtf8("\xFF"
                               "a"),
              "?a");
    EXPECT_EQ(encoding::fromUtf8("a\xC3"), "a?");
    EXPECT_EQ(encoding::fromUtf8("\xE4\xB8"
                                 "x"),
              "??x");
    EXPECT_EQ(encoding::toUtf8(""), "");
}

TEST(Encoding, LongTextConvertsWhole)
{
    std::string gbk;
    for (int i = 0; i < 5000; ++i)
        gbk += "\xD6\xD0x";
    const std::string utf8 = encoding::toUtf8(gbk);
    EXPECT_EQ(utf8.size(), 5000u * 4);
    EXPECT_EQ(encoding::fromUtf8(utf8), gbk);
}

TEST(Encoding, ConvertsOnManyThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 2000; ++i) {
                if (encoding::fromUtf8(encoding::toUtf8("\xC4\xE3\xBA\xC3")) != "\xC4\xE3\xBA\xC3")
                    ++failures[static_cast<std::size_t>(t)];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int count : failures)
        EXPECT_EQ(count, 0);
}

TEST(Encoding, Utf8Validation)
{
    EXPECT_TRUE(encoding::isValidUtf8("plain \xE4\xB8\xAD"));
    EXPECT_FALSE(encoding::isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(encoding::isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(encoding::isValidUtf8("\xE4\xB8"));          // truncated
    EXPECT_FALSE(encoding::isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}
