#include "app/MainWindow.h"

#include "app/Captions.h"
#include "app/DownloadNotices.h"
#include "app/DownloadPage.h"
#include "app/PageLook.h"
#include "app/SearchPage.h"
#include "app/SettingsPage.h"
#include "app/TrayIcon.h"
#include "platform/dbus/DesktopNotifier.h"
#include "platform/dbus/SessionBus.h"
#include "platform/window/EventLoop.h"
#include "runtime/Encoding.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiMenu.h"
#include "ui/controls/UiTabStack.h"

#include <utility>

namespace quorvo::app {

MainWindow::MainWindow(ui::UiFramework& framework, AppServices& services, const AppLayout& layout, Prompts& prompts)
    : m_framework(framework)
    , m_services(services)
    , m_layout(layout)
    , m_prompts(prompts)
{
    // The background painting is registered before binding, so the first render has it.
    m_host = std::make_unique<ui::UiHost>(framework, look::windowOptions());
    m_host->onPaintBackground = look::paintWindowBackground;
    m_host->setBackground(std::nullopt, std::nullopt, ui::BackgroundTransition::RenderOnly, true);
    setWindowIcon();

    buildMenu();
    connectDesktop();
    m_tabs = &m_host->add<ui::UiTabStack>(look::tabStackLook());
    // The pages, in the order of their tabs.
    addPage<SearchPage>(caption::tabSearch, "tab_search.png");
    addPage<DownloadPage>(caption::tabDownload, "tab_download.png");
    addPage<SettingsPage>(caption::tabSettings, "tab_settings.png");

    m_messages
        = std::make_unique<WindowMessages>(*this,
                                           WindowMessages::Hooks {[this] { return m_services.queue().isRunning(); },
                                                                  [this] { return m_prompts.askExit(*m_host); },
                                                                  [this] { m_services.queue().requestPause(); }});
    m_host->onMessage = [this](const ui::WindowRequest& request) { return onWindowRequest(request); };
    for (ui::UiControl* button : m_host->captionButtons()) {
        if (isMenuCaptionButton(*button)) {
            button->bind(ui::EventType::Click, [this] {
                setFirstMenuCaption(Text(caption::menuToggle));
                popUpMenu();
            });
        }
    }
}

MainWindow::~MainWindow()
{
    // The pages go first, last built first: their threads end before the controls they post to.
    m_messages.reset();
    while (!m_pages.empty())
        m_pages.pop_back();
    m_tray.reset();
    m_notifier.reset();
}

void MainWindow::connectDesktop()
{
    // Where no session bus runs, the XEmbed tray is the only one and nothing is notified.
    m_bus = platform::SessionBus::open(platform::SessionBus::sessionAddress());
    const UiPoster post = [&dispatcher = m_framework.dispatcher()](UiTask task) { dispatcher.post(std::move(task)); };
    m_tray = std::make_unique<TrayIcon>(*this);
    m_tray->keep(*m_host, Text(caption::windowTitle), m_bus.get(), post);
    if (m_bus)
        m_notifier = std::make_unique<platform::DesktopNotifier>(*m_bus, encoding::toUtf8(caption::windowTitle));
    m_notices = std::make_unique<DownloadNotices>(
        DownloadNotices::Hooks {[this] { return m_host->isAlive() && isWindowVisible() && m_host->isActive(); },
                                [this](const DownloadNotice& notice) {
                                    if (!m_notifier)
                                        return;
                                    m_notifier->notify({.summary = encoding::toUtf8(notice.summary.view()),
                                                        .body = encoding::toUtf8(notice.body.view()),
                                                        .iconName = "quorvo",
                                                        .desktopEntry = "quorvo",
                                                        .suppressSound = notice.ownSoundPlays});
                                }});
}

template <typename Page> void MainWindow::addPage(std::string_view caption, std::string_view icon)
{
    const PageContext context {
        *m_host,
        *m_tabs,
        m_services,
        m_prompts,
        m_opener,
        m_layout.authorPage,
        [&dispatcher = m_framework.dispatcher()](UiTask task) { dispatcher.post(std::move(task)); },
        [host = m_host.get()](std::chrono::milliseconds delay, UiTask task) { host->runAfter(delay, std::move(task)); },
        m_notices.get(),
        [this] { takeKeptDownloads(); },
    };
    m_pages.push_back(std::make_unique<Page>(context, m_tabs->addPage(Text(caption), look::assetBytes(icon))));
}

void MainWindow::show()
{
    m_host->show(7);
    m_host->setCloseEffect(7);
    m_tray->windowVisibilityChanged(true);
    m_pages.front()->shown();
}

void MainWindow::restoreKeptDownloads(UiTask whenRestored)
{
    m_whenRestored = std::move(whenRestored);
    m_services.startRestoringQueue();
    waitForKeptDownloads();
}

void MainWindow::waitForKeptDownloads()
{
    // Looked at between the effect's frames; the timer goes with the window.
    m_host->runAfter(std::chrono::milliseconds(10), [this] {
        if (m_host->isBusy() || !m_services.queueRead())
            waitForKeptDownloads();
        else
            takeKeptDownloads();
    });
}

void MainWindow::takeKeptDownloads()
{
    for (const std::unique_ptr<AppPage>& page : m_pages) {
        if (auto* downloads = dynamic_cast<DownloadPage*>(page.get()))
            downloads->restoreKeptRows();
    }
    if (const UiTask task = std::exchange(m_whenRestored, nullptr))
        task();
}

bool MainWindow::finishBeforeExit()
{
    if (!m_messages->stopStartedOnExit())
        return true;
    return m_services.queue().waitUntilIdle(exitWait);
}

bool MainWindow::canNotify() const
{
    return m_notifier && m_notifier->isAvailable();
}

int MainWindow::currentPage() const
{
    return m_tabs->current();
}

ui::UiPanel& MainWindow::page(int index) const
{
    return m_tabs->page(index);
}

void MainWindow::switchPage(int index)
{
    m_tabs->switchTo(index);
}

void MainWindow::buildMenu()
{
    m_menu = std::make_unique<ui::UiMenu>();
    m_menu->setWidthSetting(120);
    // The same lines as the tray item's menu on the desktop.
    for (const WindowMenuLine& line : windowMenuLines(true)) {
        if (!line.command) {
            m_menu->addItem(ui::MenuItem {.type = ui::MenuItemType::Separator});
            continue;
        }
        m_menu->addItem(ui::MenuItem {.caption = line.caption,
                                      .icon = line.icon.empty() ? Bytes() : look::assetBytes(line.icon),
                                      .commandId = static_cast<int>(*line.command)});
    }
}

void MainWindow::setWindowIcon()
{
    // Taskbars and window switchers show it; each picks the size it draws.
    std::vector<gfx::Image> pictures;
    std::vector<platform::PixelView> views;
    pictures.reserve(6);
    for (const std::string_view name :
         {"icon_16.png", "icon_24.png", "icon_32.png", "icon_48.png", "icon_64.png", "icon_128.png"}) {
        pictures.push_back(gfx::loadImage(look::assetBytes(name)));
        if (pictures.back().isNull())
            continue;
        const gfx::Surface& frame = pictures.back().activeFrame();
        views.push_back({frame.data(), frame.pixelWidth(), frame.pixelHeight(), frame.stride()});
    }
    m_host->loop().setIcons(m_host->window(), views);
}

int MainWindow::onWindowRequest(const ui::WindowRequest& request)
{
    using ui::WindowRequestKind;
    switch (request.kind) {
    case WindowRequestKind::Destroy:
        m_messages->destroyed();
        return ui::notHandled;
    case WindowRequestKind::Close:
        return m_messages->closeRequested() ? ui::notHandled : 0;
    case WindowRequestKind::Command:
        m_messages->command(request.command);
        return ui::notHandled;
    case WindowRequestKind::Minimise:
        return m_messages->minimiseRequested() ? 0 : ui::notHandled;
    case WindowRequestKind::TrayNotification:
        if (request.trayEvent == ui::EventType::MouseUp)
            m_tray->clicked(TrayClick::Left);
        else if (request.trayEvent == ui::EventType::RightMouseUp)
            m_tray->clicked(TrayClick::Right);
        return ui::notHandled;
    default:
        return ui::notHandled;
    }
}

// ---- WindowShell ----

bool MainWindow::isWindowVisible() const
{
    return m_host->loop().isVisible(m_host->window());
}

void MainWindow::hideWindow()
{
    m_host->hide();
    m_tray->windowVisibilityChanged(false);
}

void MainWindow::bringToFront()
{
    if (!m_host->isAlive())
        return;
    platform::EventLoop& loop = m_host->loop();
    if (loop.isMinimised(m_host->window()))
        loop.restore(m_host->window());
    if (!isWindowVisible())
        showWindow();
    loop.setFocus(m_host->window());
}

void MainWindow::showWindow()
{
    m_host->loop().show(m_host->window());
    m_host->repaintAll();
    m_tray->windowVisibilityChanged(true);
}

void MainWindow::minimiseWindow()
{
    m_host->loop().minimise(m_host->window());
}

bool MainWindow::hasTrayHost() const
{
    return m_tray && m_tray->isDocked();
}

void MainWindow::setFirstMenuCaption(const Text& text)
{
    if (ui::MenuItem* item = m_menu->model().item(0))
        item->caption = text;
}

void MainWindow::popUpMenu()
{
    m_menu->showAt(*m_host);
}

void MainWindow::openAuthorPage()
{
    m_opener.open(m_layout.authorPage);
}

void MainWindow::requestClose()
{
    m_host->requestClose();
}

void MainWindow::removeTrayIcon()
{
    if (m_tray)
        m_tray->remove();
}

void MainWindow::quitLoop()
{
    m_framework.quit(0);
}

}  // namespace quorvo::app
