#include "app/TrayIcon.h"

#include "app/Captions.h"
#include "assets/Assets.h"
#include "gfx/Image.h"
#include "platform/dbus/StatusNotifier.h"
#include "platform/window/EventLoop.h"
#include "platform/window/TrayIcon.h"
#include "runtime/Encoding.h"
#include "ui/core/UiHost.h"

namespace quorvo::app {

namespace {

// The desktop's name for the program: its .desktop file and its icon.
constexpr const char* desktopName = "quorvo";

std::vector<platform::StatusIconPixmap> statusPixmaps()
{
    // Panels pick the size nearest theirs: 16 to 64 pixels cover them all.
    std::vector<platform::StatusIconPixmap> pixmaps;
    for (const std::string_view name : {"icon_16.png", "icon_24.png", "icon_32.png", "icon_48.png", "icon_64.png"}) {
        const gfx::Image picture = gfx::loadImage(assets::asStringView(assets::find(name)));
        if (picture.isNull())
            continue;
        const gfx::Surface& frame = picture.activeFrame();
        pixmaps.push_back(platform::toStatusIconPixmap({frame.data(), frame.width(), frame.height(), frame.stride()}));
    }
    return pixmaps;
}

std::vector<platform::StatusMenuEntry> statusMenu(bool windowVisible)
{
    std::vector<platform::StatusMenuEntry> entries;
    for (const WindowMenuLine& line : windowMenuLines(windowVisible))
        entries.push_back({.label = encoding::toUtf8(line.caption.view()), .separator = !line.command});
    return entries;
}

}  // namespace

std::vector<WindowMenuLine> windowMenuLines(bool windowVisible)
{
    return {
        {toggleCaption(windowVisible), MenuCommand::ToggleWindow, {}},
        {Text(), std::nullopt, {}},
        {Text(caption::menuUpdates), MenuCommand::AuthorPage, {}},
        {Text(caption::menuAuthor), MenuCommand::AuthorPage, "menu_author.png"},
        {Text(caption::menuExit), MenuCommand::Exit, {}},
    };
}

TrayIcon::TrayIcon(WindowShell& shell)
    : m_shell(shell)
{ }

TrayIcon::~TrayIcon()
{
    remove();
}

bool TrayIcon::keep(ui::UiHost& owner, const Text& tip, platform::SessionBus* bus, UiPoster post)
{
    remove();
    m_owner = &owner;
    m_tip = tip;
    const bool xembed = keepXEmbed();
    if (bus == nullptr || !post)
        return xembed;
    platform::StatusNotifier::Description item;
    item.id = desktopName;
    item.title = encoding::toUtf8(tip.view());
    item.tooltip = encoding::toUtf8(platform::TrayIcon::cutTooltip(tip).view());
    item.iconName = desktopName;
    item.pixmaps = statusPixmaps();
    item.menu = statusMenu(m_shell.isWindowVisible());
    platform::StatusNotifier::Handlers handlers;
    handlers.activate = [this] { clicked(TrayClick::Left); };
    handlers.contextMenu = [this] { clicked(TrayClick::Right); };
    handlers.menuClicked = [this](std::size_t index) { menuClicked(index); };
    handlers.shownChanged = [this](bool shown) { statusShownChanged(shown); };
    m_status = std::make_unique<platform::StatusNotifier>(
        *bus, std::move(item),
        [post = std::move(post)](std::function<void()> task) {
            post(std::move(task));
            return true;
        },
        std::move(handlers));
    return true;
}

bool TrayIcon::keepXEmbed()
{
    if (m_owner == nullptr || !m_owner->isAlive())
        return false;
    // Every committed size: the tray's socket (about 22 to 24 pixels on most
    // panels, twice that on a HiDPI desktop, or the panel's height) shows the
    // one that suits it.
    std::vector<gfx::Image> images;
    std::vector<platform::PixelView> pictures;
    images.reserve(6);
    for (const std::string_view name :
         {"icon_16.png", "icon_24.png", "icon_32.png", "icon_48.png", "icon_64.png", "icon_128.png"}) {
        const gfx::Image& picture = images.emplace_back(gfx::loadImage(assets::asStringView(assets::find(name))));
        if (picture.isNull())
            continue;
        const gfx::Surface& frame = picture.activeFrame();
        pictures.push_back({frame.data(), frame.pixelWidth(), frame.pixelHeight(), frame.stride()});
    }
    m_xembedKept = m_owner->loop().keepTrayIcon(m_owner->window(), pictures, platform::TrayIcon::cutTooltip(m_tip));
    return m_xembedKept;
}

bool TrayIcon::isDocked() const
{
    if (m_status && m_status->isShown())
        return true;
    return m_owner && m_owner->isAlive() && m_xembedKept && m_owner->loop().isTrayIconDocked(m_owner->window());
}

void TrayIcon::remove()
{
    m_status.reset();
    // Gone already when the owner's window was destroyed first.
    if (m_owner && m_owner->isAlive() && m_xembedKept)
        m_owner->loop().removeTrayIcon(m_owner->window());
    m_xembedKept = false;
    m_owner = nullptr;
}

void TrayIcon::clicked(TrayClick click)
{
    if (click == TrayClick::Left) {
        toggleWindow(m_shell);
        return;
    }
    m_shell.setFirstMenuCaption(toggleCaption(m_shell.isWindowVisible()));
    m_shell.popUpMenu();
}

void TrayIcon::windowVisibilityChanged(bool visible)
{
    if (m_status)
        m_status->setMenuLabel(0, encoding::toUtf8(toggleCaption(visible).view()));
}

void TrayIcon::statusShownChanged(bool shown)
{
    if (m_owner == nullptr || !m_owner->isAlive())
        return;
    if (shown) {
        // One icon is enough: where both trays run (a proxy on KDE's X11
        // session bridges XEmbed icons) the user would see it twice.
        if (m_xembedKept)
            m_owner->loop().removeTrayIcon(m_owner->window());
        m_xembedKept = false;
        return;
    }
    keepXEmbed();
    // The icon the hidden window could come back from has gone.
    if (!m_shell.isWindowVisible() && !isDocked())
        m_shell.showWindow();
}

void TrayIcon::menuClicked(std::size_t index)
{
    const std::vector<WindowMenuLine> lines = windowMenuLines(m_shell.isWindowVisible());
    if (index >= lines.size() || !lines[index].command || m_owner == nullptr || !m_owner->isAlive())
        return;
    // The same road as a choice in the window's own menu.
    ui::WindowRequest request;
    request.kind = ui::WindowRequestKind::Command;
    request.command = static_cast<int>(*lines[index].command);
    m_owner->postWindowRequest(request);
}

}  // namespace quorvo::app
