#pragma once

// The download page: start, pause, delete, open folder and copy-to, the
// download list with each failed row's reason as its tooltip, the speed label
// and the page's own status line. It owns these controls, shows the queue
// through its DownloadController, and connects that to the queue while it lives.
// The list control keeps no cells of its own: it reads them, made from each
// row's state, from the controller's rows.

#include "app/AppPage.h"
#include "app/DownloadController.h"
#include "app/StatusToast.h"
#include "runtime/Geometry.h"
#include "ui/controls/UiListModel.h"

#include <memory>
#include <vector>

namespace quorvo::ui {
class UiPanel;
class UiLabel;
class UiList;
class UiImageButton;
}  // namespace quorvo::ui

namespace quorvo::app {

class LabelStatusLine;

class DownloadPage final : public AppPage, public DownloadView, private ui::ListRowSource {
public:
    DownloadPage(const PageContext& context, ui::UiPanel& panel);
    // Stops hearing the queue before the controls go.
    ~DownloadPage() override;

    // DownloadView
    void appendDownloadRow(const download::DownloadTask& task) override;
    void removeDownloadRow(std::size_t row) override;
    void setDownloadCell(std::size_t row, download::DownloadColumn column, const Text& text) override;
    void markDownloadRowFailed(std::size_t row) override;
    void setSpeedText(const Text& text) override;
    void setWorkerButtons(bool running) override;
    void setDeleteEnabled(bool enabled) override;
    void setDownloadFailure(std::size_t row, const Text& reason) override;
    void showDownloadFailure(const Text& message) override;

    // The rows of the kept download list, taken now (waiting for them while
    // they are read) and shown as they stand (their reasons in tooltips, no
    // status-line message for each); nothing the second time.
    void restoreKeptRows();

private:
    // ui::ListRowSource
    [[nodiscard]] Text cellText(int row, int column) const override;
    [[nodiscard]] std::uint32_t rowTextColour(int row) const override;

    void deleteTicked();
    void showFailureTip(IntPoint position);

    ui::UiHost& m_host;
    AppServices& m_services;
    Prompts& m_prompts;
    ui::UiImageButton* m_startButton = nullptr;
    ui::UiImageButton* m_pauseButton = nullptr;
    ui::UiImageButton* m_deleteButton = nullptr;
    ui::UiList* m_downloads = nullptr;
    ui::UiLabel* m_speedLabel = nullptr;
    std::unique_ptr<LabelStatusLine> m_statusLine;
    std::unique_ptr<StatusToast> m_toast;
    // The row whose reason the list's tooltip shows (0 none, -1 unknown).
    int m_failureTipRow = -1;
    std::unique_ptr<DownloadController> m_controller;
};

}  // namespace quorvo::app
