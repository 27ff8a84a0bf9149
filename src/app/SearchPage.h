#pragma once

// The search page: the search box with its progress bar, the result list,
// the status line, "全选", "反选" and the add button. It owns these controls
// and shows what the search (SearchController) and the add button
// (addTickedSongs) make of them.

#include "app/AppPage.h"
#include "app/DownloadController.h"
#include "app/SearchController.h"
#include "app/StatusToast.h"

#include <memory>

namespace quorvo::ui {
class UiPanel;
class UiLabel;
class UiEdit;
class UiList;
}  // namespace quorvo::ui

namespace quorvo::app {

class LabelStatusLine;

class SearchPage final : public AppPage, public SearchView, public ResultListView {
public:
    SearchPage(const PageContext& context, ui::UiPanel& panel);
    ~SearchPage() override;

    void shown() override;
    void tickAllResults();
    void invertResultTicks();

    // SearchView
    void setSearchBoxEnabled(bool enabled) override;
    void setProgressBarVisible(bool visible) override;
    void setProgressBarWidth(int width) override;
    void clearResults() override;
    void appendResult(const service::SongRecord& row) override;
    void focusSearchBox() override;
    void showSearchFailure(const Text& message) override;
    // ResultListView
    [[nodiscard]] std::vector<TickedRow> tickedResults() const override;
    void greyResult(std::size_t row) override;
    void removeResult(std::size_t row) override;

private:
    void startSearch();

    const ui::UiTabStack& m_tabs;
    ui::UiPanel& m_panel;
    AppServices& m_services;
    UiTask m_keptRowsFirst;
    ui::UiLabel* m_progressBar = nullptr;
    ui::UiEdit* m_searchBox = nullptr;
    ui::UiList* m_results = nullptr;
    std::unique_ptr<LabelStatusLine> m_statusLine;
    std::unique_ptr<StatusToast> m_toast;
    std::unique_ptr<SearchController> m_search;
};

}  // namespace quorvo::app
