// The special songs that client tests are written against: every one is
// found by the query server/README.md gives for it, and keeps its id.

#include "ReferenceServer.h"

#include "runtime/Encoding.h"

#include <gtest/gtest.h>

namespace quorvo::test {
namespace {

struct Special {
    const char* id;
    const char* query;  // UTF-8, as in the README table
};

constexpr Special specials[] = {
    {"9900001", "夜色"},
    {"9900002", "paper lanterns"},
    {"9900003", "Run*Away"},
    {"9900004", "Bracket"},
    {"9900005", "pepper"},
    {"9900006", "Twin Title"},
    {"9900007", "Twin Title"},
    {"9900008", "Void Walker"},
    {"9900010", "Rate Flac Lower"},
    {"9900011", "Rate Flac Upper"},
    {"9900012", "Rate Three"},
    {"9900013", "Rate Only Flac"},
    {"9900014", "OneTwentyEight"},
    {"9900015", "Rate Empty"},
    {"9900016", "Rate Missing"},
    {"9900017", "Rate Gap"},
    {"9900018", "Trailing Comma"},
    {"9900019", "Lone Comma"},
    {"9900020", "Wordless"},
    {"9900021", "Link Html"},
    {"9900022", "Link Object"},
    {"9900023", "Link NoFiles"},
    {"9900024", "Link EmptyFiles"},
    {"9900030", "Endless Sea"},
    {"9900031", "Long Night Drive"},
    {"9900032", "Mountain Echo"},
    {"9900040", "Fault Delay"},
    {"9900041", "Fault Throttle"},
    {"9900042", "Fault Drop"},
    {"9900043", "IgnoreRange"},
    {"9900044", "Status500"},
    {"9900045", "Status404"},
    {"9900046", "Fault Redirect"},
    {"9900047", "Fault Chunked"},
    {"9900048", "Fault Cookie"},
    {"9900049", "FtpRedirect"},
    {"9900050", "LinkDelay"},
    {"9900051", "LinkStatus"},
    {"9900052", "LyricMissing"},
    {"9900053", "Mp3Drop"},
    {"9900060", "Literal"},
    {"9900061", "Glyph"},
    {"9900062", "Fullwidth"},
    {"9900063", "Marathon"},
    {"9900064", "Spaced"},
    {"9900065", "夜色温柔 Live"},
};

std::string percentEncodedGbk(std::string_view utf8)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const Text gbk = encoding::fromUtf8(utf8);
    std::string out;
    for (const char c : gbk.view()) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')) {
            out += c;
        } else {
            out += '%';
            out += hexDigits[byte >> 4];
            out += hexDigits[byte & 15];
        }
    }
    return out;
}

std::string songElement(const std::string& reply, const std::string& id)
{
    const auto at = reply.find("<song_id>" + id + "</song_id>");
    if (at == std::string::npos)
        return {};
    const auto start = reply.rfind("<song>", at);
    return reply.substr(start, reply.find("</song>", at) - start);
}

TEST(SpecialSongs, EachIsFoundByItsDocumentedQuery)
{
    ReferenceServer server;
    for (const Special& special : specials) {
        const RawResponse reply = server.get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query="
                                             + percentEncodedGbk(special.query) + "&page_size=60&page_no=1&format=xml");
        EXPECT_FALSE(songElement(reply.body, special.id).empty()) << special.id << " " << special.query;
    }
}

TEST(SpecialSongs, RateVariantsArriveAsDocumented)
{
    ReferenceServer server;
    const RawResponse reply = server.get(
        "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=Rate%20Tester&page_size=60&format=xml");
    const std::pair<const char*, const char*> expected[] = {
        {"9900010", "<all_rate>128,192,320,flac</all_rate>"},
        {"9900011", "<all_rate>128,192,320,FLAC</all_rate>"},
        {"9900012", "<all_rate>128,320</all_rate>"},
        {"9900013", "<all_rate>flac</all_rate>"},
        {"9900014", "<all_rate>128</all_rate>"},
        {"9900015", "<all_rate></all_rate>"},
        {"9900017", "<all_rate>128,,320</all_rate>"},
        {"9900018", "<all_rate>128,192,</all_rate>"},
        {"9900019", "<all_rate>,</all_rate>"},
    };
    for (const auto& [id, element] : expected)
        EXPECT_NE(songElement(reply.body, id).find(element), std::string::npos) << id;
    const std::string missing = songElement(reply.body, "9900016");
    ASSERT_FALSE(missing.empty());
    EXPECT_EQ(missing.find("<all_rate>"), std::string::npos);
}

TEST(SpecialSongs, RemovedFileNameCharactersArriveAsTheClientSeesThem)
{
    ReferenceServer server;
    const RawResponse escaped
        = server.get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=Slash&format=xml");
    EXPECT_NE(escaped.body.find("<title>Why/Not: Run*Away? |Now| \"Go\" \\Back</title>"), std::string::npos);
    EXPECT_NE(escaped.body.find("<author>&lt;em&gt;Slash&lt;/em&gt;:Dot*Band</author>"), std::string::npos);
    const RawResponse cdata
        = server.get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=Bracket&format=xml");
    EXPECT_NE(cdata.body.find("<title><![CDATA[<Intro> Bracket Theme]]></title>"), std::string::npos);
    EXPECT_NE(cdata.body.find("<author><![CDATA[Angle <Brackets>]]></author>"), std::string::npos);
}

TEST(SpecialSongs, TextEdgeCasesArriveAsDocumented)
{
    ReferenceServer server;
    const auto search = [&](const char* query) {
        return server
            .get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=" + percentEncodedGbk(query)
                 + "&format=xml")
            .body;
    };
    EXPECT_NE(search("Literal").find("<title>&lt;em&gt;Literal&lt;/em&gt; &amp;amp; Entity</title>"),
              std::string::npos);
    EXPECT_NE(search("Glyph").find("\xF0\xA0\x80\x80"), std::string::npos);
    EXPECT_NE(search("Fullwidth").find("全角\xE3\x80\x80空格"), std::string::npos);
    const std::string longTitle = songElement(search("Marathon"), "9900063");
    const auto start = longTitle.find("<title>");
    EXPECT_GT(longTitle.find("</title>") - start, 300u);
    EXPECT_NE(search("Spaced").find("<author> Padded Artist </author>"), std::string::npos);
    // The same name twice: the original and the live take.
    const std::string twice = search("夜色温柔");
    EXPECT_FALSE(songElement(twice, "9900001").empty());
    EXPECT_FALSE(songElement(twice, "9900065").empty());
}

}  // namespace
}  // namespace quorvo::test
