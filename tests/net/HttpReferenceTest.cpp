// Against quorvo-server: its /echo answers with the request exactly as it
// arrived, so these tests see the wire as a real server sees it.

#include "ReferenceServer.h"
#include "data/JsonObject.h"
#include "data/XmlDocument.h"
#include "net/HttpClient.h"

#include <gtest/gtest.h>

namespace quorvo::net {
namespace {

constexpr std::string_view defaultAccept
    = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
      "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view defaultAgent = "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";

class HttpReference : public ::testing::Test {
protected:
    test::ReferenceServer m_server;
    std::string url(const std::string& path) const { return m_server.baseUrl() + path; }
    std::string hostLine() const { return "Host: " + m_server.host() + "\r\n"; }
};

TEST_F(HttpReference, PlainGetEchoesExactlyTheDefaultHeaderBlock)
{
    const std::string target = url("/echo/a?x=1");
    const Bytes echo = HttpClient::request(Text(target)).body;
    EXPECT_EQ(echo,
              "GET /echo/a?x=1 HTTP/1.1\r\n" + hostLine() + std::string(defaultAccept) + "Referer: " + target
                  + "\r\nAccept-Language: zh-cn\r\n" + std::string(defaultAgent) + "\r\n");
}

TEST_F(HttpReference, CallerAcceptReplacesTheDefaultOne)
{
    HttpOptions options;
    options.headers = "accept: text/xml\r\n";
    const Bytes echo = HttpClient::request(Text(url("/echo")), options).body;
    EXPECT_EQ(echo,
              "GET /echo HTTP/1.1\r\n" + hostLine() + "accept: text/xml\r\nReferer: " + url("/echo")
                  + "\r\nAccept-Language: zh-cn\r\n" + std::string(defaultAgent) + "\r\n");
}

TEST_F(HttpReference, PostEchoesFormHeadersAndBody)
{
    HttpOptions options;
    options.method = "POST";
    options.body = "a=1";
    options.userAgent = "Quorvo\xD2\xF4\xC0\xD6\xCF\xC2\xD4\xD8";
    const Bytes echo = HttpClient::request(Text(url("/echo")), options).body;
    EXPECT_EQ(echo,
              "POST /echo HTTP/1.1\r\n" + hostLine() + std::string(defaultAccept) + "Referer: " + url("/echo")
                  + "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                    "Content-Length: 3\r\nUser-Agent: Quorvo\xD2\xF4\xC0\xD6\xCF\xC2\xD4\xD8\r\n\r\na=1");
}

TEST_F(HttpReference, CookieLineComesBeforeTheAgent)
{
    HttpOptions options;
    options.cookies = "A=1;B=2;";
    const Bytes echo = HttpClient::request(Text(url("/echo")), options).body;
    EXPECT_NE(echo.find("Accept-Language: zh-cn\r\nCookie: A=1;B=2;\r\n" + std::string(defaultAgent) + "\r\n"),
              std::string::npos)
        << echo;
}

TEST_F(HttpReference, SearchReplyReadsThroughThePathLanguage)
{
    const Bytes reply
        = HttpClient::request(
              Text(url(
                  "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=a&page_size=60&page_no=1&format=xml")))
              .body;
    data::XmlDocument document;
    ASSERT_TRUE(document.load(reply));
    ASSERT_EQ(document.getName(0), "result");
    const auto list = document.getNodeByPath("<#0/song_list/");
    ASSERT_TRUE(list.has_value());
    ASSERT_GT(list->children.size(), 0U);
    for (std::size_t i = 1; i <= list->children.size(); ++i) {
        const std::string song = "<#0/song_list/<@" + std::to_string(i) + "</";
        EXPECT_FALSE(document.valueAt(Text(song + "song_id/")).empty()) << i;
        EXPECT_FALSE(document.valueAt(Text(song + "title/")).empty()) << i;
    }
}

TEST_F(HttpReference, LinkReplyReadsThroughJsonPaths)
{
    const Bytes reply = HttpClient::request(Text(url("/app/link/getLinks.php?songId=9900001&linkType=1"))).body;
    data::JsonObject json;
    ASSERT_TRUE(json.parse(Text::fromBytes(reply)));
    ASSERT_TRUE(json.parse(json.getItem(0, "", true)));
    ASSERT_TRUE(json.parse(json.getItem(0, "file_list", true)));
    EXPECT_TRUE(text::startsWith(json.getText("url").view(), url("/data2/music/9900001/9900001.flac")));
    EXPECT_GT(json.getNumber("size"), 0);
}

TEST(HttpReferenceFaults, CookiesOfTheResponseAreExtractedInOrder)
{
    test::ReferenceServer server({"--fault-set-cookie", "A=1; path=/", "--fault-set-cookie", "B=2; HttpOnly",
                                  "--fault-set-cookie", "C=3", "--fault-on", "echo"});
    HttpResponse exchange;
    exchange = HttpClient::request(Text(server.baseUrl() + "/echo"), {});
    EXPECT_EQ(exchange.cookies, "A=1;B=2;;");
}

TEST(HttpReferenceFaults, RedirectIsFollowedUnlessDisallowed)
{
    test::ReferenceServer server({"--fault-redirect", "--fault-on", "echo"});
    HttpResponse followed;
    followed = HttpClient::request(Text(server.baseUrl() + "/echo/x"), {});
    EXPECT_NE(followed.status, 302);
    EXPECT_NE(followed.status, 0);
    ASSERT_EQ(server.requestLog().size(), 2U);
    EXPECT_EQ(server.requestLog()[1].target, "/_r/echo/x");
    HttpOptions options;
    options.allowRedirect = false;
    HttpResponse exchange;
    exchange = HttpClient::request(Text(server.baseUrl() + "/echo/x"), options);
    EXPECT_EQ(exchange.status, 302);
}

TEST(HttpReferenceFaults, SlowServerHitsTheTimeLimit)
{
    test::ReferenceServer server({"--fault-delay-ms", "3000", "--fault-on", "echo"});
    HttpOptions options;
    options.timeoutSeconds = 3;  // 1000 ms for the answer to start
    EXPECT_EQ(HttpClient::request(Text(server.baseUrl() + "/echo"), options).body, "");
}

TEST(HttpReferenceFaults, DroppedBodyGivesEmptyResult)
{
    test::ReferenceServer server({"--fault-drop-after", "10", "--fault-on", "search"});
    EXPECT_EQ(HttpClient::request(
                  Text(server.baseUrl() + "/v1/restserver/vesk?method=Quorvo.vesk.search.common&query=a&format=xml"))
                  .body,
              "");
}

TEST(HttpReferenceFaults, ChunkedBodyIsReassembled)
{
    test::ReferenceServer server({"--fault-chunked", "--fault-on", "echo"});
    const Bytes echo = HttpClient::request(Text(server.baseUrl() + "/echo")).body;
    EXPECT_TRUE(text::startsWith(echo, "GET /echo HTTP/1.1\r\n")) << echo;
}

}  // namespace
}  // namespace quorvo::net
