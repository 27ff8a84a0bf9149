#include "service/SearchReply.h"

#include <gtest/gtest.h>

namespace quorvo::server {
namespace {

Catalogue catalogueOf(const std::string& songsJson)
{
    std::string error;
    auto catalogue = Catalogue::parse(R"({"songs": [)" + songsJson + "]}", error);
    EXPECT_TRUE(catalogue.has_value()) << error;
    return catalogue.value_or(Catalogue {});
}

TEST(SearchReply, MatchedWordIsWrappedInEscapedEmphasisKeepingItsCase)
{
    EXPECT_EQ(highlightedText("Paper Lanterns", {"paper"}), "&lt;em&gt;Paper&lt;/em&gt; Lanterns");
    EXPECT_EQ(highlightedText("夜色温柔", {"夜色"}), "&lt;em&gt;夜色&lt;/em&gt;温柔");
}

TEST(SearchReply, EveryOccurrenceIsMarkedAndTheLongestWordWins)
{
    EXPECT_EQ(highlightedText("la la land", {"la", "land"}),
              "&lt;em&gt;la&lt;/em&gt; &lt;em&gt;la&lt;/em&gt; &lt;em&gt;land&lt;/em&gt;");
}

TEST(SearchReply, AmpersandAndBracketsAreEscapedOutsideTheEmphasis)
{
    EXPECT_EQ(highlightedText("Salt & <Pepper>", {"salt"}), "&lt;em&gt;Salt&lt;/em&gt; &amp; &lt;Pepper&gt;");
    EXPECT_EQ(highlightedText("A&B", {"&"}), "A&lt;em&gt;&amp;&lt;/em&gt;B");
}

TEST(SearchReply, QueryWordsSplitAtAsciiAndIdeographicSpaces)
{
    EXPECT_EQ(queryWords("  a  b\xE3\x80\x80"
                         "c "),
              (std::vector<std::string> {"a", "b", "c"}));
    EXPECT_TRUE(queryWords(" \xE3\x80\x80 ").empty());
}

TEST(SearchReply, EveryWordMustMatchSomeFieldIgnoringAsciiCase)
{
    const Catalogue catalogue = catalogueOf(R"({"id":"1","title":"Paper Lanterns","artist":"Velvet","album":"Season"},)"
                                            R"({"id":"2","title":"Paper Moon","artist":"Other","album":"Season"})");
    EXPECT_EQ(matchSongs(catalogue, {"PAPER"}).size(), 2u);
    const auto both = matchSongs(catalogue, {"paper", "velvet"});
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0]->id, "1");
    EXPECT_TRUE(matchSongs(catalogue, {}).empty());
}

TEST(SearchReply, MissingAllRateAndLyricsLeaveTheirElementsOut)
{
    const Catalogue catalogue = catalogueOf(R"({"id":"7","title":"T","artist":"A","album":"B","lrc":false})");
    SearchPage page;
    page.songs = {&catalogue.songs()[0]};
    page.total = 1;
    const std::string xml = searchReplyXml(page, {});
    EXPECT_EQ(xml.find("<all_rate>"), std::string::npos);
    EXPECT_EQ(xml.find("<lrclink>"), std::string::npos);
    EXPECT_NE(xml.find("<song_id>7</song_id>"), std::string::npos);
}

TEST(SearchReply, ReplyIsDeclaredUtf8AndHasNoTextBetweenClosingTags)
{
    const Catalogue catalogue = catalogueOf(R"({"id":"7","title":"T&x","artist":"A","album":"B","all_rate":"128"})");
    SearchPage page;
    page.songs = {&catalogue.songs()[0]};
    page.total = 1;
    const std::string xml = searchReplyXml(page, {"t"});
    EXPECT_EQ(xml.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_NE(xml.find("<title>&lt;em&gt;T&lt;/em&gt;&amp;x</title>"), std::string::npos);
    // A forgiving reader fails on text after an end tag; only line breaks may follow one.
    for (std::size_t at = xml.find("</"); at != std::string::npos; at = xml.find("</", at + 1)) {
        const std::size_t close = xml.find('>', at);
        const std::size_t next = xml.find('<', close);
        if (next == std::string::npos)
            break;
        EXPECT_EQ(xml.substr(close + 1, next - close - 1).find_first_not_of("\n"), std::string::npos) << at;
    }
}

TEST(SearchReply, CdataSongsCarryBracketsUnescaped)
{
    const Catalogue catalogue = catalogueOf(R"({"id":"9","title":"<Intro>","artist":"A","album":"B","cdata":true})");
    SearchPage page;
    page.songs = {&catalogue.songs()[0]};
    const std::string xml = searchReplyXml(page, {"intro"});
    EXPECT_NE(xml.find("<title><![CDATA[<Intro>]]></title>"), std::string::npos);
}

TEST(SearchReply, ErrorDocumentEscapesItsMessage)
{
    EXPECT_NE(searchErrorXml(22005, "a<b").find("<error_message>a&lt;b</error_message>"), std::string::npos);
}

}  // namespace
}  // namespace quorvo::server
