#include "app/MainWindow.h"

#include "app/Captions.h"
#include "app/sound/CompletionSoundPlayback.h"
#include "assets/Assets.h"
#include "gfx/Color.h"
#include "gfx/Shapes.h"
#include "gfx/StringFormat.h"
#include "gfx/TextPainter.h"
#include "platform/window/EventLoop.h"
#include "service/FileNames.h"
#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiComboBox.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiImageButton.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiLink.h"
#include "ui/controls/UiList.h"
#include "ui/controls/UiMenu.h"
#include "ui/controls/UiRadioButton.h"
#include "ui/controls/UiTabButton.h"
#include "ui/core/UiMotion.h"
#include "ui/core/UiPanel.h"

#include "app/FolderPicker.h"
#include "app/MainWindowParts.h"

#include <cmath>

namespace quorvo::app {

namespace {

using namespace std::chrono_literals;
using gfx::argb;

constexpr gfx::Argb opaque(int red, int green, int blue)
{
    return argb(254, red, green, blue);
}
const gfx::Argb white = opaque(255, 255, 255);

Bytes assetBytes(std::string_view name)
{
    return Bytes(assets::asStringView(assets::find(name)));
}

ui::ImageStrip buttonStrip(std::string_view name)
{
    ui::ImageStrip strip;
    strip.image = assetBytes(name);
    strip.frameCount = 4;
    return strip;
}

ui::LabelOptions labelLook(gfx::Argb text)
{
    ui::LabelOptions options;
    options.textColour = text;
    return options;
}

ui::LabelOptions glowLook(gfx::Argb glow)
{
    ui::LabelOptions options = labelLook(opaque(255, 255, 255));
    options.textEffect = gfx::TextEffect::Glow;
    options.effectColour = glow;
    return options;
}

// A label over a flat two-stop gradient (the progress bar, the status line).
ui::LabelOptions barLook(gfx::Argb text, gfx::Argb fill)
{
    ui::LabelOptions options = labelLook(text);
    options.gradient = gfx::GradientMode::Horizontal;
    options.gradientStart = fill;
    options.gradientEnd = fill;
    options.visible = false;
    return options;
}

ui::EditOptions editLook(gfx::Argb text, gfx::Argb background, gfx::Argb border,
                         ui::EditInputMode mode = ui::EditInputMode::Normal)
{
    ui::EditOptions options;
    options.inputMode = mode;
    options.textColour = text;
    options.background = background;
    options.borderColour = border;
    return options;
}

ui::ButtonOptions buttonLook(gfx::Argb text, int appearance = 0)
{
    ui::ButtonOptions options;
    options.textColour = text;
    options.appearance = appearance;
    return options;
}

ui::UiLink& addLink(ui::UiControl& parent, FloatRect rect, std::string_view text)
{
    // White with a dark glow: "全选", "反选" and the version link.
    auto& link = parent.add<ui::UiLink>(rect, Text(text), glowLook(argb(102, 0, 0, 0)));
    link.setHoverColour(white);
    link.setVisitedColour(white);
    link.setCursor(ui::Cursor::Hand);
    return link;
}

ui::UiImageButton& addImageButton(ui::UiControl& parent, FloatRect rect, std::string_view strip, std::string_view tip)
{
    auto& button = parent.add<ui::UiImageButton>(rect, buttonStrip(strip));
    button.setText(Text(tip));
    button.setCursor(ui::Cursor::Hand);
    return button;
}

ui::ListOptions listLook(gfx::Argb text, gfx::Argb hot, gfx::Argb selected)
{
    ui::ListOptions options;
    options.headerHidden = true;
    options.gridLines = 0u;
    options.singleSelection = true;
    options.checkBoxes = true;
    options.textColour = text;
    options.hotTextColour = hot;
    options.selectedTextColour = selected;
    options.background = argb(0, 255, 255, 255);
    options.borderColour = 0;
    return options;
}

constexpr gfx::Argb resultText = argb(190, 128, 0, 0);
constexpr gfx::Argb greyedRow = argb(102, 0, 0, 0);
constexpr gfx::Argb failedRow = argb(153, 255, 0, 0);

}  // namespace

MainWindow::MainWindow(ui::UiFramework& framework, service::ServiceEndpoints service, const AppLayout& layout)
    : m_framework(framework)
    , m_layout(layout)
    , m_config(layout.runDirectory + "/config.ini")
    , m_settings(readSettings(m_config))
    , m_bindings(m_config, m_settings)
    , m_post([&dispatcher = framework.dispatcher()](UiTask task) { dispatcher.post(std::move(task)); })
{
    ui::HostOptions options;
    options.title = Text(caption::windowTitle);
    options.width = 410;
    options.height = 650;
    options.backgroundImage = assetBytes("background.jpg");
    options.backgroundColour = 6060765;
    options.captionFlags = ui::caption::Close | ui::caption::Minimise | ui::caption::Menu;
    options.layerAlpha = 190;
    options.imageMode = 0;
    options.frameStyle = 0;
    // The background painting is registered before binding, so the first render has it.
    m_host = std::make_unique<ui::UiHost>(framework, std::move(options));
    m_host->onPaintBackground = [this](gfx::Painter& painter, IntSize size) { paintBackground(painter, size); };
    m_host->setBackground(std::nullopt, std::nullopt, ui::BackgroundTransition::RenderOnly, true);
    setWindowIcon();

    buildMenu();
    m_tray = std::make_unique<TrayIcon>(*m_host, Text(caption::windowTitle));
    buildTabs();
    buildSearchPage();
    buildDownloadPage();
    buildSettingsPage();

    m_fetcher = std::make_unique<download::ServiceSongFetcher>(service);
    m_downloadPage = std::make_unique<DownloadPage>(
        m_post, *this, m_settings, [](download::CompletionSound sound) { playCompletionSound(sound); });
    m_queue = std::make_unique<download::DownloadQueue>(
        *m_fetcher, m_settings,
        [config = m_config](const Text& title, const Text& artist) {
            return service::buildFileName(title, artist, config);
        },
        m_downloadPage.get());
    m_downloadPage->attach(*m_queue);
    m_toast = std::make_unique<StatusToast>(m_post, *this);
    m_downloadToast = std::make_unique<StatusToast>(m_post, *m_downloadStatusLine);
    m_search = std::make_unique<SearchController>(std::move(service), m_post, *this, [this] {
        service::SearchFilter filter;
        filter.bypass = m_settings.bypass();
        filter.saveDirectory = m_settings.saveDirectory();
        filter.buildName = [config = m_config](const Text& title, const Text& artist) {
            return service::buildFileName(title, artist, config);
        };
        filter.isQueued = [list = &m_queue->list()](const Text& name) { return list->containsName(name); };
        return filter;
    });
    m_messages = std::make_unique<WindowMessages>(*this,
                                                  WindowMessages::Hooks {[this] { return m_queue->isRunning(); },
                                                                         [this] { return askExit(); },
                                                                         [this] { m_queue->requestPause(); }});

    m_host->onMessage = [this](const ui::WindowRequest& request) { return onWindowRequest(request); };
    m_host->onClick = [this](ui::UiControl& control, ui::ControlKind kind) { onControlEvent(control, kind); };
}

MainWindow::~MainWindow()
{
    m_desktopChooser.cancel();
    if (m_folderChooser.joinable())
        m_folderChooser.join();
    // The logic goes first: its threads end before the controls they post to.
    m_messages.reset();
    m_search.reset();
    m_toast.reset();
    m_downloadToast.reset();
    m_queue.reset();
    m_downloadPage.reset();
    m_tray.reset();
}

void MainWindow::show()
{
    m_host->show(7);
    m_host->setCloseEffect(7);
    m_searchBox->setFocus();
}

bool MainWindow::finishBeforeExit()
{
    if (!m_messages->stopStartedOnExit())
        return true;
    return m_queue->waitUntilIdle(exitWait);
}

// ---- building ----

void MainWindow::paintBackground(gfx::Painter& painter, IntSize size) const
{
    const auto w = static_cast<float>(size.width);
    const auto h = static_cast<float>(size.height);
    gfx::fillRect(painter, {5, 86, w - 10, 30}, argb(153, 255, 255, 255));
    gfx::drawFrame(painter, {5, 86, w - 10, 30}, gfx::frame::Solid, argb(102, 255, 255, 255));
    gfx::fillGradient(painter, {5, 116, w - 10, 485}, argb(204, 255, 255, 255), argb(235, 255, 255, 255));
    gfx::drawLine(painter, argb(190, 255, 255, 255), 6, 116, w - 6, 116);
    gfx::drawLine(painter, argb(71, 128, 0, 0), 6, h - 51, w - 6, h - 51);
    gfx::fillGradient(painter, {5, h - 50, w - 10, 50}, argb(153, 255, 255, 255), argb(153, 255, 255, 255));
}

void MainWindow::buildMenu()
{
    m_menu = std::make_unique<ui::UiMenu>();
    m_menu->setWidthSetting(120);
    m_menu->addItem(ui::MenuItem {.caption = Text(caption::menuToggle), .commandId = 100});
    m_menu->addItem(ui::MenuItem {.type = ui::MenuItemType::Separator});
    m_menu->addItem(ui::MenuItem {.caption = Text(caption::menuUpdates), .commandId = 101});
    m_menu->addItem(
        ui::MenuItem {.caption = Text(caption::menuAuthor), .icon = assetBytes("menu_author.png"), .commandId = 101});
    m_menu->addItem(ui::MenuItem {.caption = Text(caption::menuExit), .commandId = 102});
}

void MainWindow::buildTabs()
{
    const std::array<std::string_view, 3> captions {caption::tabSearch, caption::tabDownload, caption::tabSettings};
    const std::array<std::string_view, 3> icons {"tab_search.png", "tab_download.png", "tab_settings.png"};
    for (std::size_t i = 0; i < 3; ++i) {
        const FloatRect rect {115.0f + 60.0f * static_cast<float>(i), 41, 60, 45};
        auto& tab = m_host->add<ui::UiTabButton>(rect, Text(captions[i]), assetBytes(icons[i]), buttonLook(white, 4),
                                                 argb(81, 0, 0, 0));
        m_tabs[i] = &tab;
    }
    m_tabs[0]->select();
    for (std::size_t i = 0; i < 3; ++i)
        m_pages[i] = &m_host->add<ui::UiPanel>(FloatRect {5, 86, 400, 565}, i == 0);
}

void MainWindow::buildSearchPage()
{
    ui::UiPanel& page = *m_pages[0];
    m_progressBar = &page.add<ui::UiLabel>(FloatRect {8, 87, 0, 29}, Text(), barLook(white, argb(31, 0, 255, 0)));

    m_searchBox = &page.add<ui::UiEdit>(FloatRect {8, 90, 394, 24}, Text(),
                                        editLook(argb(168, 128, 0, 0), argb(0, 255, 255, 255), argb(0, 255, 255, 255)));
    m_searchBox->setEmbeddedButton(gfx::loadImage(assets::asStringView(assets::find("button_search.png"))), 20, 20,
                                   Text(caption::searchTip));
    m_searchBox->onButtonClicked = [this] { startSearch(); };
    m_searchBox->bind(ui::EventType::KeyDown, [this](const ui::Event& event) {
        if (static_cast<const ui::KeyEvent&>(event).key() == ui::Key::Return)
            startSearch();
    });

    m_results = &page.add<ui::UiList>(FloatRect {5, 115, 400, 485},
                                      listLook(resultText, argb(210, 128, 0, 0), opaque(128, 0, 0)));
    m_results->insertColumn(1, Text(caption::columnName), 130);
    m_results->insertColumn(2, Text(caption::columnAlbum), 125);
    m_results->insertColumn(3, Text(caption::columnArtist), 90);
    m_results->insertColumn(4, Text(caption::columnQuality), 40);
    m_results->insertColumn(5, "id", 0);
    m_results->insertColumn(6, "lrc", 0);

    ui::LabelOptions statusLook = barLook(white, argb(0, 0, 255, 0));
    statusLook.alignment = gfx::StringAlignment::Center;
    statusLook.lineAlignment = gfx::StringAlignment::Center;
    m_statusLine = &page.add<ui::UiLabel>(FloatRect {5, 574, 400, 24}, Text(), statusLook);

    m_tickAll = &addLink(page, {15, 610, 40, 25}, caption::tickAll);
    m_invertTicks = &addLink(page, {50, 610, 40, 25}, caption::invertTicks);
    m_addButton = &addImageButton(page, {90, 610, 20, 20}, "button_add.png", caption::addTip);
    m_addButton->bind(ui::EventType::Click, [this] { addTickedSongs(); });
}

void MainWindow::buildDownloadPage()
{
    ui::UiPanel& page = *m_pages[1];
    m_startButton = &addImageButton(page, {15, 91, 20, 20}, "button_start.png", caption::startTip);
    m_pauseButton = &addImageButton(page, {40, 91, 20, 20}, "button_pause.png", caption::pauseTip);
    m_pauseButton->setEnabled(false);
    m_deleteButton = &addImageButton(page, {65, 91, 20, 20}, "button_delete.png", caption::deleteTip);
    m_deleteButton->setEnabled(false);
    m_openFolderButton = &addImageButton(page, {340, 91, 20, 20}, "button_open_folder.png", caption::openFolderTip);
    m_copyToButton = &addImageButton(page, {365, 91, 28, 20}, "button_copy_to.png", caption::copyToTip);

    m_downloads = &page.add<ui::UiList>(FloatRect {5, 115, 400, 485}, listLook(resultText, opaque(128, 0, 0), white));
    m_downloads->insertColumn(1, Text(caption::columnName), 230);
    m_downloads->insertColumn(2, Text(caption::columnQuality), 40);
    m_downloads->insertColumn(3, Text(caption::columnSize), 50);
    m_downloads->insertColumn(4, Text(caption::columnProgress), 60);
    m_downloads->insertColumn(5, "id", 0);
    m_downloads->insertColumn(6, "lrc", 0);
    m_downloads->onCheckChanged = [this](int, bool checked) { m_downloadPage->downloadTickChanged(checked); };

    // The status cell of a failed or stopped row says why in its tooltip.
    m_downloads->bind(ui::EventType::MouseMove, [this](const ui::Event& event) {
        showFailureTip(static_cast<const ui::MouseEvent&>(event).position());
    });
    // Entering the list again, the host puts the list's own tip back.
    m_downloads->bind(ui::EventType::MouseLeave, [this] { m_failureTipRow = -1; });

    m_speedLabel = &page.add<ui::UiLabel>(FloatRect {15, 610, 120, 25}, Text(), glowLook(argb(153, 0, 0, 0)));
    // The download page's own status line, where a failure says why; the look of the search page's.
    ui::LabelOptions statusLook = barLook(white, argb(0, 0, 255, 0));
    statusLook.alignment = gfx::StringAlignment::Center;
    statusLook.lineAlignment = gfx::StringAlignment::Center;
    m_downloadStatusLine
        = std::make_unique<LabelStatusLine>(page.add<ui::UiLabel>(FloatRect {5, 574, 400, 24}, Text(), statusLook));
}

void MainWindow::showFailureTip(IntPoint position)
{
    const ui::ListHit hit = m_downloads->hitTest(position);
    Text reason;
    if (hit.row >= 1 && hit.column == static_cast<int>(download::DownloadColumn::Status)
        && static_cast<std::size_t>(hit.row) <= m_downloadReasons.size())
        reason = m_downloadReasons[static_cast<std::size_t>(hit.row - 1)];
    const int tipRow = reason.empty() ? 0 : hit.row;
    if (tipRow == m_failureTipRow)
        return;
    m_failureTipRow = tipRow;
    m_downloads->refreshTooltip(reason);
}

void MainWindow::buildSettingsPage()
{
    ui::UiPanel& page = *m_pages[2];
    const SettingsValues values = m_settings.values();
    const gfx::Argb caption = argb(153, 0, 0, 0);
    const ui::ButtonOptions markLook = buttonLook(caption);

    // The captions of the rows, one line each of a 14-pixel grid from y 141,
    // blank lines keeping the rows apart. Each line is its own label centred
    // on its grid line: the installed CJK fonts are taller than 14 pixels a
    // line, and one multi-line label would drift off the lower rows.
    constexpr float captionLine = 14;
    std::string_view captions = caption::settingsCaptions;
    for (float top = 141; !captions.empty(); top += captionLine) {
        const std::size_t end = captions.find("\r\n");
        const std::string_view line = captions.substr(0, end);
        captions = end == std::string_view::npos ? std::string_view() : captions.substr(end + 2);
        if (line.empty())
            continue;
        ui::LabelOptions look = labelLook(caption);
        look.lineAlignment = gfx::StringAlignment::Center;
        page.add<ui::UiLabel>(FloatRect {25, top - 4, 100, captionLine + 8}, Text(line), look);
    }

    m_folderBox = &page.add<ui::UiEdit>(
        FloatRect {110, 136, 260, 24}, values.saveDirectory,
        editLook(argb(190, 0, 0, 0), argb(10, 0, 0, 0), argb(51, 0, 96, 192), ui::EditInputMode::ReadOnly));
    // The folder variant: a browse button inside the box's right end.
    m_browseButton = &addImageButton(*m_folderBox, {110 + 260 - 24, 136 + (24 - 20) / 2.0f, 20, 20},
                                     "button_open_folder.png", caption::browseTip);
    m_browseButton->bind(ui::EventType::Click, [this] { browseFolder(); });

    m_namingScheme = &page.add<ui::UiComboBox>(FloatRect {109, 166, 90, 24});
    m_namingScheme->addItem(Text(caption::schemeArtistSong));
    m_namingScheme->addItem(Text(caption::schemeSongArtist));
    m_namingScheme->addItem(Text(caption::schemeSong));
    m_namingScheme->setAlpha(190);
    if (m_namingScheme->isValidIndex(static_cast<int>(values.namingItem)))
        m_namingScheme->setCurrentIndex(static_cast<int>(values.namingItem));
    m_namingScheme->onSelectionChanged = [this](int item) { m_bindings.namingSchemeSelected(item); };

    m_lyrics = &page.add<ui::UiCheckBox>(FloatRect {103, 190, 80, 25}, Text(caption::lyricsBox), markLook);
    m_lyrics->setChecked(values.lyrics);
    m_lyrics->onCheckedChanged = [this](bool ticked) { m_bindings.lyricsChanged(ticked); };

    m_sounds[1]
        = &page.add<ui::UiRadioButton>(FloatRect {103, 219, 100, 25}, Text(caption::soundWhirlwind), 0, markLook);
    m_play1 = &addImageButton(page, {195, 220, 20, 20}, "button_play.png", caption::playTip);
    m_sounds[2] = &page.add<ui::UiRadioButton>(FloatRect {103, 239, 100, 25}, Text(caption::soundThunder), 0, markLook);
    m_play2 = &addImageButton(page, {195, 240, 20, 20}, "button_play.png", caption::playTip);
    m_sounds[0] = &page.add<ui::UiRadioButton>(FloatRect {103, 259, 60, 25}, Text(caption::soundNone), 0, markLook);
    if (values.sound >= 0 && values.sound <= 2)
        m_sounds[static_cast<std::size_t>(values.sound)]->setChecked(true);
    for (int sound = 0; sound < 3; ++sound) {
        m_sounds[static_cast<std::size_t>(sound)]->onCheckedChanged = [this, sound](bool checked) {
            if (checked)
                m_bindings.soundSelected(sound);
        };
    }
    m_play1->bind(ui::EventType::Click, [] { playCompletionSound(int64_t {1}); });
    m_play2->bind(ui::EventType::Click, [] { playCompletionSound(int64_t {2}); });

    m_bypass = &page.add<ui::UiCheckBox>(FloatRect {103, 287, 160, 25}, Text(caption::bypassBox), markLook);
    m_bypass->setChecked(values.bypass);
    m_bypass->onCheckedChanged = [this](bool ticked) { m_bindings.bypassChanged(ticked); };
    m_removeAdded = &page.add<ui::UiCheckBox>(FloatRect {103, 309, 230, 25}, Text(caption::removeAddedBox), markLook);
    m_removeAdded->setChecked(values.removeAdded);
    m_removeAdded->onCheckedChanged = [this](bool ticked) { m_bindings.removeAddedChanged(ticked); };

    m_speedBox = &page.add<ui::UiEdit>(
        FloatRect {110, 345, 80, 22}, values.speed,
        editLook(argb(153, 0, 0, 0), ui::EditOptions {}.background, argb(51, 0, 96, 192), ui::EditInputMode::Decimal));
    m_speedBox->onTextChanged = [this] { m_bindings.speedTextChanged(m_speedBox->editText()); };
    // The spin variant: −1 and +1 stacked at the box's right edge.
    const float spinHeight = 22 / 2.0f - 1;
    for (const int step : {1, -1}) {
        const float top = step > 0 ? 345 : 345 + 22 - spinHeight;
        auto& spin = m_speedBox->add<SpinButton>(FloatRect {110 + 80 - 23, top, 23, spinHeight}, step > 0);
        spin.bind(ui::EventType::Click, [this, step] {
            const Text next = spinSpeed(m_speedBox->editText(), step);
            if (next != m_speedBox->editText()) {
                m_speedBox->setEditText(next);
                m_bindings.speedTextChanged(next);
            }
        });
    }
    page.add<ui::UiLabel>(FloatRect {190, 346, 90, 22}, Text(caption::speedUnit), labelLook(caption));

    m_versionLink = &addLink(page, {15, 610, 80, 25}, caption::versionLink);
    m_versionLink->bind(ui::EventType::Click, [this] { openAuthorPage(); });
}

void MainWindow::setWindowIcon()
{
    // Taskbars and window switchers show it; each picks the size it draws.
    std::vector<gfx::Image> pictures;
    std::vector<platform::PixelView> views;
    pictures.reserve(6);
    for (const std::string_view name :
         {"icon_16.png", "icon_24.png", "icon_32.png", "icon_48.png", "icon_64.png", "icon_128.png"}) {
        pictures.push_back(gfx::loadImage(assets::asStringView(assets::find(name))));
        if (pictures.back().isNull())
            continue;
        const gfx::Surface& frame = pictures.back().activeFrame();
        views.push_back({frame.data(), frame.width(), frame.height(), frame.stride()});
    }
    m_host->loop().setIcons(m_host->window(), views);
}

// ---- events ----

void MainWindow::onControlEvent(ui::UiControl& control, ui::ControlKind kind)
{
    using ui::ControlKind;
    switch (kind) {
    case ControlKind::CaptionButton:
        if (isMenuCaptionButton(control)) {
            setFirstMenuCaption(Text(caption::menuToggle));
            popUpMenu();
        }
        break;
    case ControlKind::Link:
        if (&control == m_tickAll)
            tickAllResults();
        else if (&control == m_invertTicks)
            invertResultTicks();
        break;
    case ControlKind::ImageButton:
        if (&control == m_openFolderButton)
            openFolder();
        else if (&control == m_startButton)
            m_queue->startWorker();
        else if (&control == m_pauseButton)
            m_queue->requestPause();
        else if (&control == m_copyToButton)
            showCopyToMessage();
        else if (&control == m_deleteButton)
            deleteTicked();
        break;
    case ControlKind::TabButton:
        for (std::size_t i = 0; i < 3; ++i) {
            if (&control == m_tabs[i])
                switchPage(static_cast<int>(i) + 1);
        }
        break;
    default:
        break;
    }
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
            m_messages->trayClicked(TrayClick::Left);
        else if (request.trayEvent == ui::EventType::RightMouseUp)
            m_messages->trayClicked(TrayClick::Right);
        return ui::notHandled;
    default:
        return ui::notHandled;
    }
}

void MainWindow::switchPage(int newTab)
{
    if (newTab == m_currentTab || newTab < 1 || newTab > 3)
        return;
    ui::UiPanel& oldPage = page(m_currentTab);
    ui::UiPanel& newPage = page(newTab);
    const bool fromLeft = m_currentTab > newTab;
    m_tabs[static_cast<std::size_t>(newTab - 1)]->select();
    m_currentTab = newTab;

    newPage.setLeft(fromLeft ? -395 : 405);
    newPage.setVisible(true);
    ui::UiMotion motion(0, 0);
    motion.start(400, 0, 100ms);
    for (int frame = 1; frame <= 10; ++frame) {
        motion.step(20ms);
        const auto v = static_cast<float>(std::trunc(motion.x()));
        if (fromLeft) {
            newPage.setLeft(v - 395);
            oldPage.setLeft(v - 395 + 400);
        } else {
            newPage.setLeft(405 - v);
            oldPage.setLeft(405 - v - 400);
        }
        m_framework.processPending();
        if (onSlideFrame)
            onSlideFrame(frame);
        if (m_slidePause.count() > 0)
            std::this_thread::sleep_for(m_slidePause);
    }
    oldPage.setVisible(false);
}

void MainWindow::tickAllResults()
{
    ui::UiListModel& model = m_results->model();
    for (int row = 1; row <= model.rowCount(); ++row)
        model.setChecked(row, true);
}

void MainWindow::invertResultTicks()
{
    ui::UiListModel& model = m_results->model();
    for (int row = 1; row <= model.rowCount(); ++row)
        model.setChecked(row, !model.isChecked(row));
}

void MainWindow::startSearch()
{
    m_search->startSearch(m_searchBox->editText());
}

void MainWindow::addTickedSongs()
{
    m_downloadPage->addTickedSongs(*this, *m_toast);
}

void MainWindow::deleteTicked()
{
    const bool confirmed = deleteQuestion ? deleteQuestion() : askDelete(*m_host);
    if (!confirmed)
        return;
    std::vector<std::size_t> rows;
    const ui::UiListModel& model = m_downloads->model();
    for (int row = 1; row <= model.rowCount(); ++row) {
        if (model.isChecked(row))
            rows.push_back(static_cast<std::size_t>(row));
    }
    m_downloadPage->deleteRows(rows);
}

void MainWindow::browseFolder()
{
    if (folderChooser) {
        m_folderBox->setEditText(m_bindings.folderChosen(folderChooser()));
        return;
    }
    if (m_choosingFolder)
        return;
    m_choosingFolder = true;
    if (m_folderChooser.joinable())
        m_folderChooser.join();
    m_folderChooser = std::thread([this, start = m_settings.saveDirectory()] {
        const FolderAnswer answer = m_desktopChooser.choose(Text(caption::folderTitle), start);
        m_post([this, answer] { folderAnswered(answer); });
    });
}

void MainWindow::folderAnswered(const FolderAnswer& answer)
{
    std::optional<Text> chosen;
    if (answer.choice == FolderChoice::NoChooser)
        chosen
            = pickFolderInWindow(*m_host, Text(caption::folderTitle), m_settings.saveDirectory(), onFolderPickerShown);
    else if (answer.choice == FolderChoice::Chosen)
        chosen = answer.folder;
    m_choosingFolder = false;
    if (chosen && !chosen->empty())
        m_folderBox->setEditText(m_bindings.folderChosen(*chosen));
}

void MainWindow::openFolder()
{
    m_opener.open(m_folderBox->editText());
}

void MainWindow::showCopyToMessage()
{
    if (showCopyTo(*m_host))
        openAuthorPage();
}

ExitAnswer MainWindow::askExit()
{
    if (exitQuestion)
        return exitQuestion();
    return askExitQuestion(*m_host);
}

// ---- SearchView ----

void MainWindow::setSearchBoxEnabled(bool enabled)
{
    m_searchBox->setEnabled(enabled);
}

void MainWindow::setProgressBarVisible(bool visible)
{
    m_progressBar->setVisible(visible);
}

void MainWindow::setProgressBarWidth(int width)
{
    m_progressBar->setWidth(static_cast<float>(width));
}

void MainWindow::clearResults()
{
    m_results->model().deleteAllRows();
}

void MainWindow::appendResult(const service::SongRecord& row)
{
    const int at = m_results->insertRow(0, ui::NewRow {.text = row.title, .textColour = resultText});
    ui::UiListModel& model = m_results->model();
    model.setCellText(at, 2, row.album);
    model.setCellText(at, 3, row.artist);
    model.setCellText(at, 4, row.quality);
    model.setCellText(at, 5, row.songId);
    model.setCellText(at, 6, row.lyricUrl);
}

void MainWindow::focusSearchBox()
{
    // A search ending while the user is on another page must not take the keys typed there.
    if (m_currentTab == 1 && m_searchBox->isShowing())
        m_searchBox->setFocus();
}

void MainWindow::showSearchFailure(const Text& message)
{
    // The red-orange of "请勾选欲下载的歌曲".
    m_toast->show(download::AddMessage {message, download::MessageColour {211, 111, 84}});
}

// ---- DownloadView ----

void MainWindow::appendDownloadRow(const download::DownloadTask& task)
{
    const int at = m_downloads->insertRow(0, ui::NewRow {.text = task.name, .textColour = resultText});
    ui::UiListModel& model = m_downloads->model();
    for (const download::DownloadColumn column :
         {download::DownloadColumn::Quality, download::DownloadColumn::Size, download::DownloadColumn::Status,
          download::DownloadColumn::SongId, download::DownloadColumn::LyricUrl})
        model.setCellText(at, static_cast<int>(column), task.cell(column));
    if (task.failed)
        model.setRowTextColour(at, failedRow);
    m_downloadReasons.emplace_back();
}

void MainWindow::removeDownloadRow(std::size_t row)
{
    m_downloads->model().deleteRow(static_cast<int>(row));
    if (row >= 1 && row <= m_downloadReasons.size())
        m_downloadReasons.erase(m_downloadReasons.begin() + static_cast<std::ptrdiff_t>(row - 1));
    m_failureTipRow = -1;
}

void MainWindow::setDownloadFailure(std::size_t row, const Text& reason)
{
    if (row >= 1 && row <= m_downloadReasons.size())
        m_downloadReasons[row - 1] = reason;
    m_failureTipRow = -1;
}

void MainWindow::showDownloadFailure(const Text& message)
{
    // The red-orange of the status line's warnings.
    m_downloadToast->show(download::AddMessage {message, download::MessageColour {211, 111, 84}});
}

void MainWindow::setDownloadCell(std::size_t row, download::DownloadColumn column, const Text& text)
{
    m_downloads->model().setCellText(static_cast<int>(row), static_cast<int>(column), text);
}

void MainWindow::markDownloadRowFailed(std::size_t row)
{
    m_downloads->model().setRowTextColour(static_cast<int>(row), failedRow);
}

void MainWindow::setSpeedText(const Text& text)
{
    m_speedLabel->setCaption(text);
}

void MainWindow::setWorkerButtons(bool running)
{
    m_startButton->setEnabled(!running);
    m_pauseButton->setEnabled(running);
}

void MainWindow::setDeleteEnabled(bool enabled)
{
    m_deleteButton->setEnabled(enabled);
}

// ---- StatusLineView ----

void MainWindow::showStatusMessage(const Text& text, download::MessageColour colour)
{
    const gfx::Argb argbColour = opaque(colour.red, colour.green, colour.blue);
    m_statusLine->setCaption(text);
    m_statusLine->setGradient(gfx::GradientMode::Horizontal, argbColour, argbColour);
    m_statusLine->setBorderColour(argbColour);
    m_statusLine->setAlpha(255);
    m_statusLine->setVisible(true);
}

void MainWindow::setStatusAlpha(int alpha)
{
    m_statusLine->setAlpha(alpha);
}

void MainWindow::hideStatusLine()
{
    m_statusLine->setVisible(false);
}

// ---- ResultListView ----

std::vector<ResultListView::TickedRow> MainWindow::tickedResults() const
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

void MainWindow::greyResult(std::size_t row)
{
    m_results->model().setRowTextColour(static_cast<int>(row), greyedRow);
}

void MainWindow::removeResult(std::size_t row)
{
    m_results->model().deleteRow(static_cast<int>(row));
}

// ---- WindowShell ----

bool MainWindow::isWindowVisible() const
{
    return m_host->loop().isVisible(m_host->window());
}

void MainWindow::hideWindow()
{
    m_host->hide();
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
