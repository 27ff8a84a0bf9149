#pragma once

// The program's one window: 410 × 650, the caption with its menu button, the
// tab stack with the three pages (search, download, settings), the popup
// menu and the tray icon. The pages own their controls; the window wires the
// caption, the menu and the tray to WindowMessages and answers its requests.

#include "app/AppLayout.h"
#include "app/AppPage.h"
#include "app/AppServices.h"
#include "app/DesktopServices.h"
#include "app/Prompts.h"
#include "app/WindowMessages.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include <memory>
#include <vector>

namespace quorvo::ui {
class UiPanel;
class UiMenu;
class UiTabStack;
}  // namespace quorvo::ui

namespace quorvo::platform {
class SessionBus;
class DesktopNotifier;
}  // namespace quorvo::platform

namespace quorvo::app {

class TrayIcon;
class DownloadNotices;

class MainWindow final : public WindowShell {
public:
    // `services` and `prompts` outlive the window.
    MainWindow(ui::UiFramework& framework, AppServices& services, const AppLayout& layout, Prompts& prompts);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Shows the window with effect 7; the first page takes the keyboard.
    void show();
    // Reads the download list kept by the last run (AppServicesOptions::queueStore)
    // on a thread of its own and puts it into the list and onto the download
    // page in one go once it is read and the opening effect is over; sooner
    // when the user searches, adds or starts first. `whenRestored` runs then.
    // Called once the first frame is on the screen, so that a long list
    // neither holds it back nor stops the effect half way.
    void restoreKeptDownloads(UiTask whenRestored = {});
    // After the loop ended: when a confirmed exit stopped a download, waits
    // (at most `exitWait`) until the transfer has acknowledged the abort.
    // False when it did not within that time.
    bool finishBeforeExit();
    // Shows the window (from the tray or the taskbar) and gives it the keyboard:
    // another start on the same settings asked for it.
    void bringToFront();

    [[nodiscard]] ui::UiHost& host() { return *m_host; }
    [[nodiscard]] ui::UiTabStack& tabs() { return *m_tabs; }
    // 1 search, 2 download, 3 settings.
    [[nodiscard]] int currentPage() const;
    [[nodiscard]] ui::UiPanel& page(int index) const;
    [[nodiscard]] download::DownloadQueue& queue() { return m_services.queue(); }
    void switchPage(int index);
    // The tray icon in either of its kinds (tests).
    [[nodiscard]] const TrayIcon& tray() const { return *m_tray; }
    // A notification server is there to tell (tests).
    [[nodiscard]] bool canNotify() const;

private:
    template <typename Page> void addPage(std::string_view caption, std::string_view icon);
    void setWindowIcon();
    void buildMenu();
    void connectDesktop();
    int onWindowRequest(const ui::WindowRequest& request);
    void waitForKeptDownloads();
    // The kept rows onto the download page now (waiting while they are read); once.
    void takeKeptDownloads();

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
    AppServices& m_services;
    AppLayout m_layout;
    Prompts& m_prompts;
    DesktopOpener m_opener;

    // The session bus outlives what talks over it: the tray item and the notifier.
    std::unique_ptr<platform::SessionBus> m_bus;
    std::unique_ptr<platform::DesktopNotifier> m_notifier;
    std::unique_ptr<DownloadNotices> m_notices;
    std::unique_ptr<ui::UiHost> m_host;
    std::unique_ptr<ui::UiMenu> m_menu;
    std::unique_ptr<TrayIcon> m_tray;
    ui::UiTabStack* m_tabs = nullptr;
    std::vector<std::unique_ptr<AppPage>> m_pages;
    std::unique_ptr<WindowMessages> m_messages;
    UiTask m_whenRestored;
};

}  // namespace quorvo::app
