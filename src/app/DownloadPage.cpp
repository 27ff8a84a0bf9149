#include "app/DownloadPage.h"

#include "app/Captions.h"
#include "app/LabelStatusLine.h"
#include "app/PageLook.h"
#include "app/sound/CompletionSoundPlayback.h"
#include "ui/core/UiPanel.h"

#include <malloc.h>

namespace quorvo::app {

DownloadPage::DownloadPage(const PageContext& context, ui::UiPanel& panel)
    : m_host(context.host)
    , m_services(context.services)
    , m_prompts(context.prompts)
{
    download::DownloadQueue& queue = m_services.queue();
    m_startButton = &look::addImageButton(panel, look::downloads::start, "button_start.png", caption::startTip);
    m_startButton->onClick = [&queue, keptRowsFirst = context.keptRowsFirst] {
        if (keptRowsFirst)
            keptRowsFirst();
        queue.startWorker();
    };
    m_pauseButton = &look::addImageButton(panel, look::downloads::pause, "button_pause.png", caption::pauseTip);
    m_pauseButton->setEnabled(false);
    m_pauseButton->onClick = [&queue] { queue.requestPause(); };
    m_deleteButton = &look::addImageButton(panel, look::downloads::remove, "button_delete.png", caption::deleteTip);
    m_deleteButton->setEnabled(false);
    m_deleteButton->onClick = [this] { deleteTicked(); };
    // The folder the settings page shows.
    look::addImageButton(panel, look::downloads::openFolder, "button_open_folder.png", caption::openFolderTip).onClick
        = [this, &opener = context.opener] { opener.open(m_services.settings().saveDirectory()); };
    look::addImageButton(panel, look::downloads::copyTo, "button_copy_to.png", caption::copyToTip).onClick
        = [this, &opener = context.opener, authorPage = context.authorPage] {
              if (m_prompts.showCopyTo(m_host))
                  opener.open(authorPage);
          };

    m_downloads = &panel.add<ui::UiList>(look::downloads::list,
                                         look::listLook(look::rowText, look::opaque(128, 0, 0), look::white));
    look::addColumns(*m_downloads, look::downloads::columns);
    m_downloads->onCheckChanged = [this](int, bool checked) { m_controller->downloadTickChanged(checked); };
    // The status cell of a failed or stopped row says why in its tooltip.
    m_downloads->bind(ui::EventType::MouseMove, [this](const ui::Event& event) {
        showFailureTip(static_cast<const ui::MouseEvent&>(event).position());
    });
    // Entering the list again, the host puts the list's own tip back.
    m_downloads->bind(ui::EventType::MouseLeave, [this] { m_failureTipRow = -1; });

    m_speedLabel = &panel.add<ui::UiLabel>(look::downloads::speed, Text(), look::glowLook(gfx::argb(153, 0, 0, 0)));
    // The page's own status line, where a failure says why; the look of the search page's.
    m_statusLine = std::make_unique<LabelStatusLine>(
        panel.add<ui::UiLabel>(look::downloads::statusLine, Text(), look::statusLineLook()));
    m_toast = std::make_unique<StatusToast>(context.timer, *m_statusLine);

    m_controller
        = std::make_unique<DownloadController>(context.post, *this, m_services.settings(),
                                               [](download::CompletionSound sound) { playCompletionSound(sound); });
    m_downloads->model().setRowSource(this);
    m_controller->attach(queue);
    m_controller->setNotices(context.notices);
    m_services.listenToQueue(m_controller.get());
}

DownloadPage::~DownloadPage()
{
    m_services.listenToQueue(nullptr);
    m_downloads->model().setRowSource(nullptr);
    // A deletion still removing files ends before the controls it posts to.
    m_controller.reset();
}

void DownloadPage::restoreKeptRows()
{
    std::optional<std::vector<download::DownloadTask>> rows = m_services.restoreQueue();
    if (!rows)
        return;
    // The list's events for these rows were not heard: the page takes them as they stand.
    m_controller->showRows(std::move(*rows));
    // Reading a long list left copies behind in the heap: give that memory back.
    ::malloc_trim(0);
}

void DownloadPage::deleteTicked()
{
    if (!m_prompts.askDelete(m_host))
        return;
    std::vector<std::size_t> rows;
    const ui::UiListModel& model = m_downloads->model();
    for (int row = 1; row <= model.rowCount(); ++row) {
        if (model.isChecked(row))
            rows.push_back(static_cast<std::size_t>(row));
    }
    m_controller->deleteRows(rows);
}

void DownloadPage::showFailureTip(IntPoint position)
{
    const ui::ListHit hit = m_downloads->hitTest(position);
    const std::vector<download::DownloadTask>& rows = m_controller->rows();
    Text reason;
    if (hit.row >= 1 && hit.column == static_cast<int>(download::DownloadColumn::Status)
        && static_cast<std::size_t>(hit.row) <= rows.size()) {
        const download::FailureReason failure = download::reasonOf(rows[static_cast<std::size_t>(hit.row - 1)].state);
        if (!failure.empty())
            reason = download::describe(failure);
    }
    const int tipRow = reason.empty() ? 0 : hit.row;
    if (tipRow == m_failureTipRow)
        return;
    m_failureTipRow = tipRow;
    m_downloads->refreshTooltip(reason);
}

Text DownloadPage::cellText(int row, int column) const
{
    const std::vector<download::DownloadTask>& rows = m_controller->rows();
    if (row < 1 || static_cast<std::size_t>(row) > rows.size() || column < 1
        || column > static_cast<int>(download::DownloadColumn::LyricUrl))
        return {};
    return rows[static_cast<std::size_t>(row - 1)].cellText(static_cast<download::DownloadColumn>(column));
}

std::uint32_t DownloadPage::rowTextColour(int row) const
{
    const std::vector<download::DownloadTask>& rows = m_controller->rows();
    if (row >= 1 && static_cast<std::size_t>(row) <= rows.size()
        && std::holds_alternative<download::Failed>(rows[static_cast<std::size_t>(row - 1)].state))
        return look::failedRow;
    return look::rowText;
}

// The controller's rows have the change already; the list reads it from them.
void DownloadPage::appendDownloadRow(const download::DownloadTask&)
{
    m_downloads->insertRow(0, ui::NewRow {.textColour = look::rowText});
}

void DownloadPage::removeDownloadRow(std::size_t row)
{
    m_downloads->model().deleteRow(static_cast<int>(row));
    m_failureTipRow = -1;
}

void DownloadPage::setDownloadCell(std::size_t row, download::DownloadColumn, const Text&)
{
    m_downloads->model().rowContentChanged(static_cast<int>(row));
}

void DownloadPage::markDownloadRowFailed(std::size_t row)
{
    m_downloads->model().rowContentChanged(static_cast<int>(row));
}

void DownloadPage::setSpeedText(const Text& text)
{
    m_speedLabel->setCaption(text);
}

void DownloadPage::setWorkerButtons(bool running)
{
    m_startButton->setEnabled(!running);
    m_pauseButton->setEnabled(running);
}

void DownloadPage::setDeleteEnabled(bool enabled)
{
    m_deleteButton->setEnabled(enabled);
}

void DownloadPage::setDownloadFailure(std::size_t, const Text&)
{
    // The tooltip reads the reason from the row when the pointer moves.
    m_failureTipRow = -1;
}

void DownloadPage::showDownloadFailure(const Text& message)
{
    m_toast->show(download::AddMessage {message, look::warning});
}

}  // namespace quorvo::app
