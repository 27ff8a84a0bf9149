#include "service/QueryString.h"

#include <gtest/gtest.h>

namespace quorvo::server {
namespace {

TEST(QueryString, RawGbkBytesPassThroughUntouched)
{
    const auto query = parseQuery("method=m&query=\xD2\xB9\xC9\xAB&page_size=60");
    EXPECT_EQ(queryValue(query, "query"), std::optional<std::string>("\xD2\xB9\xC9\xAB"));
    EXPECT_EQ(queryValue(query, "page_size"), std::optional<std::string>("60"));
}

TEST(QueryString, PercentEncodedBytesAreDecoded)
{
    const auto query = parseQuery("query=%D2%b9%C9%AB+x");
    EXPECT_EQ(queryValue(query, "query"), std::optional<std::string>("\xD2\xB9\xC9\xAB x"));
}

TEST(QueryString, BrokenPercentSequencesStayLiteral)
{
    EXPECT_EQ(percentDecode("100%", true), "100%");
    EXPECT_EQ(percentDecode("%zz%4", true), "%zz%4");
}

TEST(QueryString, MissingNameGivesNothingAndFirstValueWins)
{
    const auto query = parseQuery("a=1&a=2&&b");
    EXPECT_EQ(queryValue(query, "a"), std::optional<std::string>("1"));
    EXPECT_EQ(queryValue(query, "b"), std::optional<std::string>(""));
    EXPECT_FALSE(queryValue(query, "c").has_value());
}

TEST(QueryString, Gb18030ValidationAcceptsGbkAndFourByteCharacters)
{
    EXPECT_TRUE(isValidGb18030("plain ascii"));
    EXPECT_TRUE(isValidGb18030("\xD2\xB9\xC9\xAB"));  // 夜色
    EXPECT_TRUE(isValidGb18030("\x81\x30\x81\x30"));  // a four-byte sequence
    EXPECT_TRUE(isValidGb18030("\xA1\x40"));          // trail byte below 0x7F
}

TEST(QueryString, Gb18030ValidationRejectsBrokenSequences)
{
    EXPECT_FALSE(isValidGb18030("\xD2"));      // cut short
    EXPECT_FALSE(isValidGb18030("\x80\x41"));  // 0x80 is no lead byte
    EXPECT_FALSE(isValidGb18030("\xFF\xA1"));
    EXPECT_FALSE(isValidGb18030("\xD2\x20"));  // blank is no trail byte
    EXPECT_FALSE(isValidGb18030("\x81\x30\x20\x30"));
}

}  // namespace
}  // namespace quorvo::server
