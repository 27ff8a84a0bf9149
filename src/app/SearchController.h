#pragma once

// The search page's behaviour without its controls: the same-query rule, and
// a search thread that reads the reply and posts every change of the page to
// the user-interface thread, in this order: disable the box, show the bar,
// clear the list; then per song its row (when listed) and the bar's width
// i / count × 394; then, 200 ms later, hide the bar, enable and focus the box.
// A search the service did not answer (or answered with something that is not
// a search result) is said in the status line, and the same query may then be
// sent again.

#include "app/UiPoster.h"
#include "service/Search.h"

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace quorvo::app {

// The search page's controls; every call comes on the user-interface thread.
class SearchView {
public:
    virtual ~SearchView() = default;
    virtual void setSearchBoxEnabled(bool enabled) = 0;
    virtual void setProgressBarVisible(bool visible) = 0;
    virtual void setProgressBarWidth(int width) = 0;
    virtual void clearResults() = 0;
    virtual void appendResult(const service::SongRecord& row) = 0;
    virtual void focusSearchBox() = 0;
    // The search failed: `message` goes to the status line.
    virtual void showSearchFailure(const Text& message) = 0;
};

// "搜索失败,服务没有响应" when no answer came back, "搜索失败,服务的答复无法读取"
// when what came back is not a search result; empty when the search worked.
Text searchFailureMessage(const service::SearchReport& report);

class SearchController {
public:
    // The filter of the moment (bypass, save directory, names, the download
    // list), taken on the user-interface thread when a search starts.
    using FilterSource = std::function<service::SearchFilter()>;

    // `timer` waits out the pause before the bar goes, on the user-interface thread.
    SearchController(service::ServiceEndpoints service, UiPoster post, UiTimer timer, SearchView& view,
                     FilterSource filter);
    // Waits for a search still reading its reply.
    ~SearchController();
    SearchController(const SearchController&) = delete;
    SearchController& operator=(const SearchController&) = delete;

    // User-interface thread (Enter in the box, its embedded button). False
    // when `query` repeats the last one byte for byte (unless that search
    // failed): nothing is sent.
    bool startSearch(const Text& query);
    [[nodiscard]] const Text& lastQuery() const { return m_gate.lastQuery(); }

    // The pause before the bar goes; tests shorten it.
    void setFinishPause(std::chrono::milliseconds pause) { m_finishPause = pause; }

private:
    void runSearchThread(const Text& query, const service::SearchFilter& filter);
    void finishSearch(const Text& failure);

    service::ServiceEndpoints m_service;
    UiPoster m_post;
    UiTimer m_timer;
    SearchView& m_view;
    FilterSource m_filter;
    service::SearchGate m_gate;
    std::chrono::milliseconds m_finishPause {200};
    // The last search got no usable answer (user-interface thread).
    bool m_lastFailed = false;
    // Lets a finishing pause that outlives this controller do nothing.
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
    std::thread m_thread;
};

}  // namespace quorvo::app
