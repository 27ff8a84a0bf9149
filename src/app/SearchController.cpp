#include "app/SearchController.h"

namespace quorvo::app {

SearchController::SearchController(service::ServiceEndpoints service, UiPoster post, UiTimer timer, SearchView& view,
                                   FilterSource filter)
    : m_service(std::move(service))
    , m_post(std::move(post))
    , m_timer(std::move(timer))
    , m_view(view)
    , m_filter(std::move(filter))
{ }

SearchController::~SearchController()
{
    if (m_thread.joinable())
        m_thread.join();
}

Text searchFailureMessage(const service::SearchReport& report)
{
    if (!report.answered)
        return Text(
            "\xCB\xD1\xCB\xF7\xCA\xA7\xB0\xDC,\xB7\xFE\xCE\xF1\xC3\xBB\xD3\xD0\xCF\xEC\xD3\xA6");  // 搜索失败,服务没有响应
    if (!report.searchDocument)
        return Text("\xCB\xD1\xCB\xF7\xCA\xA7\xB0\xDC,\xB7\xFE\xCE\xF1\xB5\xC4\xB4\xF0\xB8\xB4\xCE\xDE"
                    "\xB7\xA8\xB6\xC1\xC8\xA1");  // 搜索失败,服务的答复无法读取
    return {};
}

bool SearchController::startSearch(const Text& query)
{
    // A failed search may be repeated as it is: the service may be back.
    const bool retry = m_lastFailed && query == m_gate.lastQuery();
    if (!retry && !m_gate.startSearch(query))
        return false;
    m_lastFailed = false;
    // The box stays disabled until the previous thread's last post, so the
    // previous thread has at most its final return left to run.
    if (m_thread.joinable())
        m_thread.join();
    service::SearchFilter filter = m_filter ? m_filter() : service::SearchFilter {};
    m_thread = std::thread([this, query, filter = std::move(filter)] { runSearchThread(query, filter); });
    return true;
}

void SearchController::runSearchThread(const Text& query, const service::SearchFilter& filter)
{
    service::SearchReport report;
    m_post([this] {
        m_view.setSearchBoxEnabled(false);
        m_view.setProgressBarWidth(0);
        m_view.setProgressBarVisible(true);
        m_view.clearResults();
    });
    service::runSearch(
        m_service, query, filter,
        [this](int64_t done, int64_t count) {
            const auto width = static_cast<int>(service::searchProgressWidth(done, count));
            m_post([this, width] { m_view.setProgressBarWidth(width); });
        },
        [this](const service::SongRecord& row) { m_post([this, row] { m_view.appendResult(row); }); }, &report);
    // An empty query sends nothing, so it cannot fail.
    const Text failure = query.empty() ? Text() : searchFailureMessage(report);
    m_post([this, failure] {
        m_timer(m_finishPause, [this, alive = std::weak_ptr<const bool>(m_alive), failure] {
            if (alive.lock())
                finishSearch(failure);
        });
    });
}

void SearchController::finishSearch(const Text& failure)
{
    m_view.setProgressBarWidth(0);
    m_view.setProgressBarVisible(false);
    m_view.setSearchBoxEnabled(true);
    m_lastFailed = !failure.empty();
    if (m_lastFailed)
        m_view.showSearchFailure(failure);
    m_view.focusSearchBox();
}

}  // namespace quorvo::app
