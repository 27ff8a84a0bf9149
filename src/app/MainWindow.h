#pragma once

// The program's one window: 410 × 650, three tab buttons under the caption
// and three pages stacked in one place (search, download, settings), the
// popup menu and the tray icon. It builds every control once and binds it to
// the application's logic (SearchController, DownloadPage, StatusToast,
// SettingsBindings, WindowMessages), whose worker threads reach the controls
// only through the views below, on the user-interface thread.

#include "app/AppLayout.h"
#include "app/DesktopServices.h"
#include "app/DownloadPage.h"
#include "app/FolderChooser.h"
#include "app/LiveSettings.h"
#include "app/SearchController.h"
#include "app/SettingsBindings.h"
#include "app/StatusToast.h"
#include "app/WindowMessages.h"
#include "download/ServiceSongFetcher.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include <array>
#include <memory>
#include <thread>

namespace quorvo::ui {
class UiPanel;
class UiLabel;
class UiLink;
class UiEdit;
class UiList;
class UiImageButton;
class UiCheckBox;
class UiRadioButton;
class UiComboBox;
class UiMenu;
class UiTabButton;
}  // namespace quorvo::ui

namespace quorvo::app {

class TrayIcon;
class LabelStatusLine;

class MainWindow final : public SearchView,
                         public DownloadView,
                         public StatusLineView,
                         public ResultListView,
                         public WindowShell {
public:
    MainWindow(ui::UiFramework& framework, service::ServiceEndpoints service, const AppLayout& layout);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window with effect 7 and focuses the search box.
    void show();
    // After the loop ended: when a confirmed exit stopped a download, waits
    // (at most `exitWait`) until the transfer has acknowledged the abort.
    // False when it did not within that time.
    bool finishBeforeExit();
    // Shows the window (from the tray or the taskbar) and gives it the keyboard:
    // another start on the same settings asked for it.
    void bringToFront();

    [[nodiscard]] ui::UiHost& host() { return *m_host; }
    // 1 search, 2 download, 3 settings.
    [[nodiscard]] int currentPage() const { return m_currentTab; }
    [[nodiscard]] ui::UiPanel& page(int index) const { return *m_pages.at(static_cast<std::size_t>(index - 1)); }
    [[nodiscard]] download::DownloadQueue& queue() { return *m_queue; }
    // Page switching without the pauses between frames (tests).
    void setSlidePause(std::chrono::milliseconds pause) { m_slidePause = pause; }
    // Called with each frame of a page slide, after it is composed (tests, screenshots).
    std::function<void(int frame)> onSlideFrame;
    // Called instead of the exit question's box (tests); unset: the box.
    std::function<ExitAnswer()> exitQuestion;
    // Called instead of the delete question's box (tests); unset: the box.
    std::function<bool()> deleteQuestion;
    // The folder the browse button's chooser would pick (tests); unset: the
    // desktop's chooser, else the window's own picker.
    std::function<Text()> folderChooser;
    // Called with the window's own folder picker once it is shown (tests).
    std::function<void(ui::UiHost&)> onFolderPickerShown;

    // The handlers of the window's controls, for the model-level tests that
    // drive them without a pointer.
    void switchPage(int newTab);
    void tickAllResults();
    void invertResultTicks();

private:
    void setWindowIcon();
    void buildMenu();
    void buildTabs();
    void buildSearchPage();
    void buildDownloadPage();
    void buildSettingsPage();
    void paintBackground(gfx::Painter& painter, IntSize size) const;
    void onControlEvent(ui::UiControl& control, ui::ControlKind kind);
    int onWindowRequest(const ui::WindowRequest& request);
    void startSearch();
    void addTickedSongs();
    void deleteTicked();
    void browseFolder();
    void folderAnswered(const FolderAnswer& answer);
    void openFolder();
    void showCopyToMessage();
    ExitAnswer askExit();

    // SearchView
    void setSearchBoxEnabled(bool enabled) override;
    void setProgressBarVisible(bool visible) override;
    void setProgressBarWidth(int width) override;
    void clearResults() override;
    void appendResult(const service::SongRecord& row) override;
    void focusSearchBox() override;
    void showSearchFailure(const Text& message) override;
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
    void showFailureTip(IntPoint position);
    // StatusLineView
    void showStatusMessage(const Text& text, download::MessageColour colour) override;
    void setStatusAlpha(int alpha) override;
    void hideStatusLine() override;
    // ResultListView
    [[nodiscard]] std::vector<TickedRow> tickedResults() const override;
    void greyResult(std::size_t row) override;
    void removeResult(std::size_t row) override;
    // WindowShell
    [[nodiscard]] bool isWindowVisible() const override;
    void hideWindow() override;
    void showWindow() override;
    void minimiseWindow() override;
    [[nodiscard]] bool hasTrayHost() const override;
    void setFirstMenuCaption(const Text& caption) override;
    void popUpMenu() override;
    void openAuthorPage() override;
    void requestClose() override;
    void removeTrayIcon() override;
    void quitLoop() override;

    ui::UiFramework& m_framework;
    AppLayout m_layout;
    platform::ConfigStore m_config;
    LiveSettings m_settings;
    SettingsBindings m_bindings;
    UiPoster m_post;
    DesktopOpener m_opener;

    std::unique_ptr<ui::UiHost> m_host;
    std::unique_ptr<ui::UiMenu> m_menu;
    std::unique_ptr<TrayIcon> m_tray;
    std::array<ui::UiTabButton*, 3> m_tabs {};
    std::array<ui::UiPanel*, 3> m_pages {};
    int m_currentTab = 1;
    std::chrono::milliseconds m_slidePause {10};

    // Search page.
    ui::UiLabel* m_progressBar = nullptr;
    ui::UiEdit* m_searchBox = nullptr;
    ui::UiList* m_results = nullptr;
    ui::UiLabel* m_statusLine = nullptr;
    ui::UiLink* m_tickAll = nullptr;
    ui::UiLink* m_invertTicks = nullptr;
    ui::UiImageButton* m_addButton = nullptr;
    // Download page.
    ui::UiImageButton* m_startButton = nullptr;
    ui::UiImageButton* m_pauseButton = nullptr;
    ui::UiImageButton* m_deleteButton = nullptr;
    ui::UiImageButton* m_openFolderButton = nullptr;
    ui::UiImageButton* m_copyToButton = nullptr;
    ui::UiList* m_downloads = nullptr;
    ui::UiLabel* m_speedLabel = nullptr;
    std::unique_ptr<LabelStatusLine> m_downloadStatusLine;
    // Each download row's failure reason, in list order ("" for none).
    std::vector<Text> m_downloadReasons;
    // The row whose reason the list's tooltip shows (0 none, -1 unknown).
    int m_failureTipRow = -1;
    // Settings page.
    ui::UiEdit* m_folderBox = nullptr;
    ui::UiImageButton* m_browseButton = nullptr;
    ui::UiComboBox* m_namingScheme = nullptr;
    ui::UiCheckBox* m_lyrics = nullptr;
    std::array<ui::UiRadioButton*, 3> m_sounds {};  // (无), 旋风, 迅雷: `wav` 0, 1, 2
    ui::UiImageButton* m_play1 = nullptr;
    ui::UiImageButton* m_play2 = nullptr;
    ui::UiCheckBox* m_bypass = nullptr;
    ui::UiCheckBox* m_removeAdded = nullptr;
    ui::UiEdit* m_speedBox = nullptr;
    ui::UiLink* m_versionLink = nullptr;

    std::unique_ptr<download::ServiceSongFetcher> m_fetcher;
    std::unique_ptr<DownloadPage> m_downloadPage;
    std::unique_ptr<download::DownloadQueue> m_queue;
    std::unique_ptr<StatusToast> m_toast;
    std::unique_ptr<StatusToast> m_downloadToast;
    std::unique_ptr<SearchController> m_search;
    std::unique_ptr<WindowMessages> m_messages;
    // The desktop's chooser is another process: it is waited for off this thread.
    DesktopFolderChooser m_desktopChooser;
    std::thread m_folderChooser;
    bool m_choosingFolder = false;
};

}  // namespace quorvo::app
