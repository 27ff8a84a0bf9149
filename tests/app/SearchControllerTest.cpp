// The search page's thread against the reference service: what it posts to
// the user-interface thread, in which order, and what it sends.

#include "app/SearchController.h"

#include "ReferenceServer.h"
#include "UiQueue.h"
#include "runtime/Encoding.h"
#include "runtime/Numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;

// Records every change as a line, in the order the user-interface thread makes them.
class RecordingSearchView final : public SearchView {
public:
    void setSearchBoxEnabled(bool enabled) override { m_log.push_back(enabled ? "enable" : "disable"); }
    void setProgressBarVisible(bool visible) override { m_log.push_back(visible ? "show" : "hide"); }
    void setProgressBarWidth(int width) override { m_log.push_back("width " + std::to_string(width)); }
    void clearResults() override
    {
        m_log.push_back("clear");
        m_rows.clear();
    }
    void appendResult(const service::SongRecord& row) override
    {
        m_log.push_back("row " + std::string(row.songId.view()));
        m_rows.push_back(row);
    }
    void focusSearchBox() override
    {
        m_log.push_back("focus");
        ++m_finished;
    }
    void showSearchFailure(const Text& message) override
    {
        m_log.push_back("failed " + encoding::toUtf8(message.view()));
    }

    std::vector<std::string> m_log;
    std::vector<service::SongRecord> m_rows;
    int m_finished = 0;
};

class SearchControllerTest : public ::testing::Test {
protected:
    SearchControllerTest() { m_controller.setFinishPause(1ms); }

    // Starts a search and runs the user-interface side until it has ended.
    bool search(const char* utf8Query)
    {
        const int finished = m_view.m_finished;
        if (!m_controller.startSearch(encoding::fromUtf8(utf8Query)))
            return false;
        EXPECT_TRUE(m_ui.runUntil([&] { return m_view.m_finished > finished; }));
        return true;
    }

    quorvo::test::ReferenceServer m_server;
    test::UiQueue m_ui;
    RecordingSearchView m_view;
    SearchController m_controller {
        service::ServiceEndpoints(Text(m_server.host())), m_ui.poster(), m_ui.timer(), m_view, {}};
};

TEST_F(SearchControllerTest, PostsThePageChangesInOrderAndEndsWithTheFullBar)
{
    ASSERT_TRUE(search("夜色"));
    const std::vector<std::string>& log = m_view.m_log;
    ASSERT_GE(log.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string> {"disable", "width 0", "show", "clear"}));
    EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
              (std::vector<std::string> {"width 0", "hide", "enable", "focus"}));
    // Between: each song's row (if listed) comes before that song's width,
    // the widths grow, and the last is the whole box.
    int lastWidth = 0;
    std::size_t rows = 0;
    for (auto line = log.begin() + 4; line != log.end() - 4; ++line) {
        if (line->starts_with("row ")) {
            ++rows;
            ASSERT_NE(line + 1, log.end() - 4);
            EXPECT_TRUE((line + 1)->starts_with("width ")) << "a row without its width step";
        } else {
            ASSERT_TRUE(line->starts_with("width ")) << *line;
            const int width = std::stoi(line->substr(6));
            EXPECT_GE(width, lastWidth);
            lastWidth = width;
        }
    }
    EXPECT_EQ(lastWidth, 394);
    EXPECT_GT(rows, 0u);
    EXPECT_EQ(rows, m_view.m_rows.size());
    EXPECT_EQ(m_view.m_rows.front().songId, "9900001");
}

TEST_F(SearchControllerTest, TheSameQuerySendsNothingAndAChangedOneSearchesAgain)
{
    ASSERT_TRUE(search("夜色"));
    const auto searches = [&] { return m_server.requestsTo("/v1/restserver/vesk"); };
    ASSERT_EQ(searches().size(), 1u);
    // The query travels as the GBK bytes typed (percent-encoded).
    EXPECT_NE(searches().front().target.find("query=%D2%B9%C9%AB&"), std::string::npos);

    EXPECT_FALSE(search("夜色"));
    m_ui.runPending();
    EXPECT_EQ(searches().size(), 1u);

    ASSERT_TRUE(search("夜"));
    EXPECT_EQ(searches().size(), 2u);
}

TEST_F(SearchControllerTest, AnEmptiedBoxClearsTheListWithoutARequest)
{
    ASSERT_TRUE(search("夜色"));
    ASSERT_FALSE(m_view.m_rows.empty());
    m_view.m_log.clear();
    ASSERT_TRUE(search(""));
    EXPECT_TRUE(m_view.m_rows.empty());
    EXPECT_EQ(m_view.m_log,
              (std::vector<std::string> {"disable", "width 0", "show", "clear", "width 0", "hide", "enable", "focus"}));
    EXPECT_EQ(m_server.requestsTo("/v1/restserver/vesk").size(), 1u);
}

TEST_F(SearchControllerTest, BypassLeavesOutQueuedSongsButStillAdvancesTheBar)
{
    ASSERT_TRUE(search("夜"));
    const service::SongRecord first = m_view.m_rows.front();
    std::vector<Text> expected;
    for (const service::SongRecord& row : m_view.m_rows)
        if (row.title != first.title)
            expected.push_back(row.songId);

    SearchController filtered(service::ServiceEndpoints(Text(m_server.host())), m_ui.poster(), m_ui.timer(), m_view,
                              [&] {
                                  service::SearchFilter filter;
                                  filter.bypass = true;
                                  filter.naming = service::SongNaming(service::NamingScheme::Title, "/nonexistent/");
                                  filter.isQueued = [&](const Text& name) { return name == first.title; };
                                  return filter;
                              });
    filtered.setFinishPause(1ms);
    m_view.m_log.clear();
    const int finished = m_view.m_finished;
    ASSERT_TRUE(filtered.startSearch(encoding::fromUtf8("夜")));
    ASSERT_TRUE(m_ui.runUntil([&] { return m_view.m_finished > finished; }));
    std::vector<Text> listed;
    for (const service::SongRecord& row : m_view.m_rows)
        listed.push_back(row.songId);
    EXPECT_EQ(listed, expected);
    EXPECT_LT(listed.size(), 60u);
    EXPECT_NE(std::find(m_view.m_log.begin(), m_view.m_log.end(), "width 394"), m_view.m_log.end());
}

// The service is down for the first try and back (on the same port) for the second.
TEST(SearchControllerFailure, ASearchTheServiceDidNotAnswerIsSaidAndTheSameQueryCanBeSentAgain)
{
    std::optional<quorvo::test::ReferenceServer> server(std::in_place);
    const std::string port = std::to_string(server->port());
    const Text host(server->host());
    server.reset();
    test::UiQueue ui;
    RecordingSearchView view;
    SearchController controller(service::ServiceEndpoints(host), ui.poster(), ui.timer(), view, {});
    controller.setFinishPause(1ms);

    ASSERT_TRUE(controller.startSearch(encoding::fromUtf8("夜色")));
    ASSERT_TRUE(ui.runUntil([&] { return view.m_finished == 1; }));
    EXPECT_NE(std::find(view.m_log.begin(), view.m_log.end(), "failed 搜索失败,服务没有响应"), view.m_log.end());
    EXPECT_EQ(view.m_log.back(), "focus");
    EXPECT_TRUE(view.m_rows.empty());

    server.emplace(std::vector<std::string> {"--port", port});
    view.m_log.clear();
    ASSERT_TRUE(controller.startSearch(encoding::fromUtf8("夜色"))) << "the failed query was not sent again";
    ASSERT_TRUE(ui.runUntil([&] { return view.m_finished == 2; }));
    EXPECT_FALSE(view.m_rows.empty());
    EXPECT_EQ(server->requestsTo("/v1/restserver/vesk").size(), 1u);
    EXPECT_EQ(std::count_if(view.m_log.begin(), view.m_log.end(),
                            [](const std::string& line) { return line.starts_with("failed"); }),
              0);
    // Once it worked, the same query is the same query again.
    EXPECT_FALSE(controller.startSearch(encoding::fromUtf8("夜色")));
}

}  // namespace
}  // namespace quorvo::app
