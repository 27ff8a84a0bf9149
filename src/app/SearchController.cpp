#include "app/SearchController.h"

namespace quorvo::app {

SearchController::SearchController(service::ServiceEndpoints service, UiPoster post, SearchView& view,
                                   FilterSource filter)
    : m_service(std::move(service))
    , m_post(std::move(post))
    , m_view(view)
    , m_filter(std::move(filter))
{ }

SearchController::~SearchController()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool SearchController::startSearch(const Text& query)
{
    if (!m_gate.startSearch(query))
        return false;
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
        [this](const service::SongRecord& row) { m_post([this, row] { m_view.appendResult(row); }); });
    std::this_thread::sleep_for(m_finishPause);
    m_post([this] {
        m_view.setProgressBarWidth(0);
        m_view.setProgressBarVisible(false);
        m_view.setSearchBoxEnabled(true);
        m_view.focusSearchBox();
    });
}

}  // namespace quorvo::app
