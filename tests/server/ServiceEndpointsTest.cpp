// The service's endpoints as a client sees them over loopback.

#include "ReferenceServer.h"

#include "runtime/Encoding.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quorvo::test {
namespace {

std::string gbk(std::string_view utf8)
{
    return encoding::fromUtf8(utf8).str();
}

std::string percentEncoded(std::string_view bytes)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        out += '%';
        out += hexDigits[static_cast<unsigned char>(c) >> 4];
        out += hexDigits[static_cast<unsigned char>(c) & 15];
    }
    return out;
}

std::string searchTarget(std::string_view queryBytes, int pageSize = 60, int pageNo = 1)
{
    return "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=" + std::string(queryBytes)
        + "&page_size=" + std::to_string(pageSize) + "&page_no=" + std::to_string(pageNo) + "&format=xml";
}

int countOf(const std::string& text, std::string_view needle)
{
    int count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

class ServiceEndpoints : public ::testing::Test {
protected:
    ReferenceServer m_server;
};

TEST_F(ServiceEndpoints, RawGbkQueryFindsTheChineseSong)
{
    const RawResponse reply = m_server.get(searchTarget(gbk("夜色")));
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body.rfind("<?xml version=\"1.0\" encoding=\"utf-8\"?>", 0), 0u);
    EXPECT_NE(reply.body.find("<title>&lt;em&gt;夜色&lt;/em&gt;温柔</title>"), std::string::npos) << reply.body;
    EXPECT_NE(reply.body.find("<song_id>9900001</song_id>"), std::string::npos);
    EXPECT_NE(reply.body.find("<lrclink>/data2/lrc/9900001/9900001.lrc</lrclink>"), std::string::npos);
    EXPECT_NE(reply.body.find("<all_rate>128,192,320,flac</all_rate>"), std::string::npos);
}

TEST_F(ServiceEndpoints, PercentEncodedGbkQueryGivesTheSameReplyAsRawBytes)
{
    const RawResponse raw = m_server.get(searchTarget(gbk("夜色")));
    const RawResponse encoded = m_server.get(searchTarget(percentEncoded(gbk("夜色"))));
    ASSERT_EQ(encoded.status, 200);
    EXPECT_EQ(raw.body, encoded.body);
}

TEST_F(ServiceEndpoints, MatchingIgnoresAsciiCaseAndKeepsTheSongsCase)
{
    const RawResponse reply = m_server.get(searchTarget("paper%20LANTERNS"));
    EXPECT_NE(reply.body.find("<title>&lt;em&gt;Paper&lt;/em&gt; &lt;em&gt;Lanterns&lt;/em&gt;</title>"),
              std::string::npos)
        << reply.body;
}

TEST_F(ServiceEndpoints, AmpersandIsEscapedInTheReply)
{
    const RawResponse reply = m_server.get(searchTarget("pepper"));
    EXPECT_NE(reply.body.find("<title>Salt &amp; &lt;em&gt;Pepper&lt;/em&gt;</title>"), std::string::npos)
        << reply.body;
    EXPECT_NE(reply.body.find("<author>Rain &amp; Thunder</author>"), std::string::npos);
}

TEST_F(ServiceEndpoints, PageSizeIsCappedAtSixty)
{
    const RawResponse reply = m_server.get(searchTarget(gbk("爱"), 500));
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(countOf(reply.body, "<song>"), 60);
    EXPECT_NE(reply.body.find("<page_size>60</page_size>"), std::string::npos);
}

TEST_F(ServiceEndpoints, PagesBeyondTheEndAreEmptyNotErrors)
{
    const RawResponse reply = m_server.get(searchTarget(gbk("夜色"), 60, 99999));
    ASSERT_EQ(reply.status, 200);
    EXPECT_EQ(countOf(reply.body, "<song>"), 0);
    EXPECT_NE(reply.body.find("<song_list>"), std::string::npos);
}

TEST_F(ServiceEndpoints, UnknownMethodAndFormatAnswerWithAnErrorDocument)
{
    const RawResponse method = m_server.get("/v1/restserver/vesk?method=Nope&query=a&format=xml");
    EXPECT_EQ(method.status, 400);
    EXPECT_NE(method.body.find("<error_code>22005</error_code>"), std::string::npos);
    const RawResponse format = m_server.get("/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=a&format=json");
    EXPECT_EQ(format.status, 400);
    EXPECT_NE(format.body.find("<error_code>"), std::string::npos);
}

TEST_F(ServiceEndpoints, InvalidGbkQueryIsABadRequest)
{
    const RawResponse reply = m_server.get(searchTarget("%D2"));
    EXPECT_EQ(reply.status, 400);
    EXPECT_NE(reply.body.find("<error_code>22007</error_code>"), std::string::npos);
}

TEST_F(ServiceEndpoints, LinkReplyNamesTheFileOnThisServerWithItsSize)
{
    const RawResponse reply = m_server.get(
        "/app/link/getLinks.php?songId=9900001&linkType=1&isLogin=1&clientVer=8.0.0.5&isHq=0&isCloud=0&hasMV=1");
    ASSERT_EQ(reply.status, 200);
    const auto json = nlohmann::json::parse(reply.body);
    ASSERT_TRUE(json.is_array());
    const auto& file = json.at(0).at("file_list").at(0);
    const std::string url = file.at("url").get<std::string>();
    EXPECT_EQ(url.rfind(m_server.baseUrl() + "/data2/music/9900001/9900001.flac", 0), 0u) << url;
    EXPECT_TRUE(file.at("size").is_number());
    EXPECT_GT(file.at("size").get<std::uint64_t>(), 100000u);

    const RawResponse song = m_server.get(url.substr(m_server.baseUrl().size()));
    EXPECT_EQ(song.body.size(), file.at("size").get<std::uint64_t>());
}

TEST_F(ServiceEndpoints, LinkReplyVariantsForBrokenSongs)
{
    const auto link = [&](const char* id) {
        return m_server.get(std::string("/app/link/getLinks.php?songId=") + id
                            + "&linkType=1&isLogin=1&clientVer=8.0.0.5&isHq=0&isCloud=0&hasMV=1");
    };
    EXPECT_FALSE(nlohmann::json::accept(link("9900021").body));
    const auto object = nlohmann::json::parse(link("9900022").body);
    EXPECT_TRUE(object.is_object());
    EXPECT_TRUE(object.contains("file_list"));
    const auto noFiles = nlohmann::json::parse(link("9900023").body);
    EXPECT_FALSE(noFiles.at(0).contains("file_list"));
    const auto emptyFiles = nlohmann::json::parse(link("9900024").body);
    EXPECT_TRUE(emptyFiles.at(0).at("file_list").empty());
    EXPECT_EQ(link("123").status, 404);
}

TEST_F(ServiceEndpoints, LyricFileIsUtf8LrcWithChineseLines)
{
    const RawResponse reply = m_server.get("/data2/lrc/9900001/9900001.lrc");
    ASSERT_EQ(reply.status, 200);
    EXPECT_TRUE(encoding::isValidUtf8(reply.body));
    EXPECT_EQ(reply.body.rfind("[ti:夜色温柔]\n", 0), 0u);
    EXPECT_NE(reply.body.find("[00:03.00]"), std::string::npos);
    EXPECT_EQ(m_server.get("/data2/lrc/9900020/9900020.lrc").status, 404);
}

TEST_F(ServiceEndpoints, SongWithoutLyricsHasNoLrclink)
{
    const RawResponse reply = m_server.get(searchTarget("Wordless"));
    EXPECT_NE(reply.body.find("<song_id>9900020</song_id>"), std::string::npos);
    EXPECT_EQ(reply.body.find("<lrclink>"), std::string::npos);
}

}  // namespace
}  // namespace quorvo::test
