#include "app/SearchPage.h"

#include "app/Captions.h"
#include "app/LabelStatusLine.h"
#include "app/PageLook.h"
#include "assets/Assets.h"
#include "ui/controls/UiTabStack.h"
#include "ui/core/UiPanel.h"

namespace quorvo::app {

using gfx::argb;

SearchPage::SearchPage(const PageContext& context, ui::UiPanel& panel)
    : m_tabs(context.tabs)
    , m_panel(panel)
    , m_services(context.services)
    , m_keptRowsFirst(context.keptRowsFirst)
{
    m_progressBar = &panel.add<ui::UiLabel>(look::search::progressBar, Text(), look::barLook(argb(31, 0, 255, 0)));

    m_searchBox
        = &panel.add<ui::UiEdit>(look::search::searchBox, Text(),
                                 look::editLook(argb(168, 128, 0, 0), argb(0, 255, 255, 255), argb(0, 255, 255, 255)));
    m_searchBox->setEmbeddedButton(gfx::loadImage(assets::asStringView(assets::find("button_search.png"))), 20, 20,
                                   Text(caption::searchTip));
    m_searchBox->onButtonClicked = [this] { startSearch(); };
    // Enter is the program's own key event: key code 13 on the box.
    m_searchBox->bind(ui::EventType::KeyDown, [this](const ui::Event& event) {
        if (static_cast<const ui::KeyEvent&>(event).key() == ui::Key::Return)
            startSearch();
    });

    m_results = &panel.add<ui::UiList>(look::search::results,
                                       look::listLook(look::rowText, argb(210, 128, 0, 0), look::opaque(128, 0, 0)));
    look::addColumns(*m_results, look::search::columns);

    m_statusLine = std::make_unique<LabelStatusLine>(
        panel.add<ui::UiLabel>(look::search::statusLine, Text(), look::statusLineLook()));
    m_toast = std::make_unique<StatusToast>(context.timer, *m_statusLine);

    look::addLink(panel, look::search::tickAll, caption::tickAll).onClick = [this] { tickAllResults(); };
    look::addLink(panel, look::search::invertTicks, caption::invertTicks).onClick = [this] { invertResultTicks(); };
    look::addImageButton(panel, look::search::addButton, "button_add.png", caption::addTip).onClick = [this] {
        if (m_keptRowsFirst)
            m_keptRowsFirst();
        addTickedSongs(m_services.queue(), m_services.settings(), *this, *m_toast);
    };

    m_search = std::make_unique<SearchController>(m_services.service(), context.post, context.timer, *this,
                                                  [this] { return m_services.searchFilter(); });
}

SearchPage::~SearchPage()
{
    // The search thread ends before the controls it posts to.
    m_search.reset();
}

void SearchPage::shown()
{
    m_searchBox->setFocus();
}

void SearchPage::startSearch()
{
    // The search leaves out what is queued: the kept rows must be known by then.
    if (m_keptRowsFirst)
        m_keptRowsFirst();
    m_search->startSearch(m_searchBox->editText());
}

void SearchPage::tickAllResults()
{
    ui::UiListModel& model = m_results->model();
    for (int row = 1; row <= model.rowCount(); ++row)
        model.setChecked(row, true);
}

void SearchPage::invertResultTicks()
{
    ui::UiListModel& model = m_results->model();
    for (int row = 1; row <= model.rowCount(); ++row)
        model.setChecked(row, !model.isChecked(row));
}

// ---- SearchView ----

void SearchPage::setSearchBoxEnabled(bool enabled)
{
    m_searchBox->setEnabled(enabled);
}

void SearchPage::setProgressBarVisible(bool visible)
{
    m_progressBar->setVisible(visible);
}

void SearchPage::setProgressBarWidth(int width)
{
    m_progressBar->setWidth(static_cast<float>(width));
}

void SearchPage::clearResults()
{
    m_results->model().deleteAllRows();
}

void SearchPage::appendResult(const service::SongRecord& row)
{
    const int at = m_results->insertRow(0, ui::NewRow {.text = row.title, .textColour = look::rowText});
    ui::UiListModel& model = m_results->model();
    model.setCellText(at, 2, row.album);
    model.setCellText(at, 3, row.artist);
    model.setCellText(at, 4, row.quality);
    model.setCellText(at, 5, row.songId);
    model.setCellText(at, 6, row.lyricUrl);
}

void SearchPage::focusSearchBox()
{
    // A search ending while the user is on another page must not take the keys typed there.
    if (m_tabs.isCurrent(m_panel) && m_searchBox->isShowing())
        m_searchBox->setFocus();
}

void SearchPage::showSearchFailure(const Text& message)
{
    m_toast->show(download::AddMessage {message, look::warning});
}

// ---- ResultListView ----

std::vector<ResultListView::TickedRow> SearchPage::tickedResults() const
{
    std::vector<TickedRow> ticked;
    const ui::UiListModel& model = m_results->model();
    for (int row = 1; row <= model.rowCount(); ++row) {
        if (!model.isChecked(row))
            continue;
        ticked.push_back(
            {static_cast<std::size_t>(row),
             service::SongRecord {model.cellText(row, 1), model.cellText(row, 2), model.cellText(row, 3),
                                  model.cellText(row, 4), model.cellText(row, 5), model.cellText(row, 6)}});
    }
    return ticked;
}

void SearchPage::greyResult(std::size_t row)
{
    m_results->model().setRowTextColour(static_cast<int>(row), look::greyedRow);
}

void SearchPage::removeResult(std::size_t row)
{
    m_results->model().deleteRow(static_cast<int>(row));
}

}  // namespace quorvo::app
