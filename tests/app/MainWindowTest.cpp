// The whole window on SDL's dummy video driver against the reference service:
// controls found by caption and position, input injected through the host as
// the system would deliver it (pointer and keys), the result read back from
// the controls, the files and the server's log.

#include "app/MainWindow.h"
#include "app/AppServices.h"
#include "app/Captions.h"
#include "app/FolderPicker.h"
#include "app/Prompts.h"
#include "app/Startup.h"
#include "app/WindowSkin.h"

#include "ControlSweep.h"
#include "PumpUntil.h"
#include "ReferenceServer.h"
#include "TempDir.h"
#include "download/DownloadStatus.h"
#include "download/QueueStore.h"
#include "gfx/Surface.h"
#include "platform/Files.h"
#include "platform/window/EventLoop.h"
#include "platform/window/SyntheticInput.h"
#include "runtime/Encoding.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiComboBox.h"
#include "ui/controls/UiEdit.h"
#include "ui/controls/UiImageButton.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiList.h"
#include "ui/controls/UiRadioButton.h"
#include "ui/controls/UiTabButton.h"
#include "ui/controls/UiTabStack.h"
#include "ui/core/UiPanel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace synthetic = platform::synthetic;

// Depth first, in drawing order.
ui::UiControl* findControl(std::span<const std::unique_ptr<ui::UiControl>> controls,
                           const std::function<bool(const ui::UiControl&)>& match)
{
    for (const auto& control : controls) {
        if (match(*control))
            return control.get();
        if (ui::UiControl* found = findControl(control->children(), match))
            return found;
    }
    return nullptr;
}

template <typename T> bool isA(const ui::UiControl& control)
{
    if constexpr (std::is_same_v<T, ui::UiControl>)
        return true;
    else
        return dynamic_cast<const T*>(&control) != nullptr;
}

// The window's own questions and choosers, each answered by the test when it sets an answer.
class TestPrompts final : public WindowPrompts {
public:
    std::function<ExitAnswer()> exitQuestion;
    // The folder the desktop's chooser picks (asked off the user-interface thread).
    std::function<Text()> folderChooser;
    // The window's own picker once it is shown.
    std::function<void(ui::UiHost&)> onFolderPickerShown;

    ExitAnswer askExit(ui::UiHost& owner) override
    {
        return exitQuestion ? exitQuestion() : WindowPrompts::askExit(owner);
    }
    FolderAnswer chooseFolderOnDesktop(const Text& title, const Text& startFolder) override
    {
        if (folderChooser)
            return {FolderChoice::Chosen, folderChooser()};
        return WindowPrompts::chooseFolderOnDesktop(title, startFolder);
    }
    std::optional<Text> pickFolder(ui::UiHost& owner, const Text& title, const Text& startFolder) override
    {
        return pickFolderInWindow(owner, title, startFolder, onFolderPickerShown);
    }
};

class MainWindowTest : public ::testing::Test {
protected:
    explicit MainWindowTest(std::vector<std::string> serverArgs = {})
        : m_server(std::move(serverArgs))
    { }

    void SetUp() override
    {
        ::setenv("SDL_VIDEODRIVER", "dummy", 1);
        m_runDir = platform::fromNativePath(m_dir.path().string());
        prepareConfiguration(m_runDir);
        configure(platform::ConfigStore(m_runDir + "/config.ini"));
        std::string error;
        m_framework = ui::UiFramework::create(&error);
        ASSERT_TRUE(m_framework) << error;
        m_framework->setSkin(windowSkin());
        ui::installCaptionButtons(*m_framework);
        AppLayout layout;
        layout.runDirectory = m_runDir;
        layout.defaultSaveDirectory = m_runDir + "/Download/";
        m_services = std::make_unique<AppServices>(platform::ConfigStore(m_runDir + "/config.ini"),
                                                   service::ServiceEndpoints(Text(m_server.host())), servicesOptions());
        m_window = std::make_unique<MainWindow>(*m_framework, *m_services, layout, m_prompts);
        m_window->tabs().setFrameInterval(0ms);
        m_window->host().effectPause = [](std::chrono::milliseconds) {};
        m_window->show();
        drain();
    }
    void TearDown() override
    {
        m_window.reset();
        m_framework.reset();
        m_services.reset();
    }

    // Settings the window starts with.
    virtual void configure(const platform::ConfigStore&) { }
    virtual AppServicesOptions servicesOptions() { return {}; }

    ui::UiHost& host() { return m_window->host(); }
    platform::EventLoop& loop() { return m_framework->loop(); }
    void drain()
    {
        for (int i = 0; i < 4; ++i)
            m_framework->processPending();
    }
    // Runs the loop until `done` holds; false when it did not within a generous limit.
    bool pumpUntil(const std::function<bool()>& done, std::chrono::seconds limit = 60s)
    {
        return quorvo::test::pumpUntil(
            done,
            [this] {
                m_framework->processPending();
                std::this_thread::sleep_for(1ms);
            },
            limit);
    }

    template <typename T = ui::UiControl> T& byText(std::string_view programText)
    {
        ui::UiControl* found = findControl(host().controls(), [&](const ui::UiControl& control) {
            const auto* button = dynamic_cast<const ui::UiButtonBase*>(&control);
            const auto* label = dynamic_cast<const ui::UiLabel*>(&control);
            return isA<T>(control)
                && (control.text() == programText || (button && button->caption() == programText)
                    || (label && label->caption() == programText));
        });
        if (!found)
            throw std::runtime_error("no control with that text");
        return dynamic_cast<T&>(*found);
    }
    template <typename T = ui::UiControl> T& at(float x, float y)
    {
        ui::UiControl* found = findControl(host().controls(), [&](const ui::UiControl& control) {
            return isA<T>(control) && control.left() == x && control.top() == y;
        });
        if (!found)
            throw std::runtime_error("no control at that position");
        return dynamic_cast<T&>(*found);
    }

    void click(const ui::UiControl& control)
    {
        const int x = static_cast<int>(control.left() + control.width() / 2);
        const int y = static_cast<int>(control.top() + control.height() / 2);
        synthetic::mouseMove(loop(), host().window(), x, y);
        drain();
        synthetic::mouseButton(loop(), host().window(), synthetic::MouseButton::Left, true, x, y);
        drain();
        synthetic::mouseButton(loop(), host().window(), synthetic::MouseButton::Left, false, x, y);
        drain();
    }
    void type(const char* utf8)
    {
        synthetic::text(loop(), host().window(), utf8);
        drain();
    }
    void key(int virtualKey)
    {
        synthetic::key(loop(), host().window(), static_cast<platform::Key>(virtualKey), true);
        synthetic::key(loop(), host().window(), static_cast<platform::Key>(virtualKey), false);
        drain();
    }

    ui::UiEdit& searchBox() { return at<ui::UiEdit>(8, 90); }
    ui::UiList& results() { return at<ui::UiList>(5, 115); }
    ui::UiList& downloads()
    {
        return *dynamic_cast<ui::UiList*>(findControl(m_window->page(2).children(), [](const ui::UiControl& c) {
            return dynamic_cast<const ui::UiList*>(&c) != nullptr;
        }));
    }
    bool searchFinished() { return searchBox().isEnabled() && !at<ui::UiLabel>(8, 87).isVisible(); }
    void search(const char* utf8)
    {
        click(searchBox());
        type(utf8);
        key(13);
        ASSERT_TRUE(pumpUntil([&] { return !searchBox().isEnabled(); }) || searchFinished());
        ASSERT_TRUE(pumpUntil([&] { return searchFinished(); }));
    }

    quorvo::test::TempDir m_dir;
    quorvo::test::ReferenceServer m_server;
    Text m_runDir;
    std::unique_ptr<ui::UiFramework> m_framework;
    TestPrompts m_prompts;
    std::unique_ptr<AppServices> m_services;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(MainWindowTest, OpensWithTheSearchPageTheTabsAndTheFocusInTheSearchBox)
{
    EXPECT_EQ(host().size(), (IntSize {410, 650}));
    EXPECT_EQ(loop().title(host().window()), Text(caption::windowTitle));
    EXPECT_TRUE(byText<ui::UiTabButton>(caption::tabSearch).rect() == (FloatRect {115, 41, 60, 45}));
    EXPECT_TRUE(byText<ui::UiTabButton>(caption::tabDownload).rect() == (FloatRect {175, 41, 60, 45}));
    EXPECT_TRUE(byText<ui::UiTabButton>(caption::tabSettings).rect() == (FloatRect {235, 41, 60, 45}));
    EXPECT_TRUE(m_window->page(1).isVisible());
    EXPECT_FALSE(m_window->page(2).isVisible());
    EXPECT_FALSE(m_window->page(3).isVisible());
    EXPECT_TRUE(searchBox().hasFocus());
    EXPECT_FALSE(byText<ui::UiImageButton>(caption::pauseTip).isEnabled());
    EXPECT_FALSE(byText<ui::UiImageButton>(caption::deleteTip).isEnabled());
    EXPECT_TRUE(byText<ui::UiImageButton>(caption::startTip).isEnabled());
}

TEST_F(MainWindowTest, EnterSearchesOnceTickAllAddDownloadsSongAndLyrics)
{
    search("夜色温柔");
    ASSERT_GT(results().model().rowCount(), 0);
    EXPECT_EQ(results().model().cellText(1, 5), "9900001");
    ASSERT_EQ(m_server.requestsTo("/v1/restserver/vesk").size(), 1u);
    EXPECT_NE(m_server.requestsTo("/v1/restserver/vesk")[0].target.find("query=%D2%B9%C9%AB%CE%C2%C8%E1&"),
              std::string::npos);

    // The same query again sends nothing.
    click(searchBox());
    key(13);
    drain();
    EXPECT_EQ(m_server.requestsTo("/v1/restserver/vesk").size(), 1u);

    // Keep only the first (the second has the same built name).
    for (int row = results().model().rowCount(); row > 1; --row)
        results().model().deleteRow(row);
    click(byText(caption::tickAll));
    EXPECT_TRUE(results().model().isChecked(1));
    click(byText<ui::UiImageButton>(caption::addTip));
    ui::UiLabel& status = at<ui::UiLabel>(5, 574);
    ASSERT_TRUE(pumpUntil([&] { return status.isVisible(); }));
    EXPECT_EQ(encoding::toUtf8(status.caption().view()), "已添加1首歌曲至下载列表");

    ASSERT_TRUE(pumpUntil([&] {
        return downloads().model().rowCount() == 1
            && downloads().model().cellText(1, 4) == "\xCF\xC2\xD4\xD8\xCD\xEA\xB1\xCF";
    }));
    const fs::path saved = m_dir.path() / "Download";
    EXPECT_EQ(quorvo::test::readWholeFile(saved / "林晓风 - 夜色温柔.flac"),
              m_server.get("/data2/music/9900001/9900001.flac").body);
    EXPECT_TRUE(fs::exists(saved / "林晓风 - 夜色温柔.lrc"));
    ASSERT_TRUE(pumpUntil([&] { return byText<ui::UiImageButton>(caption::startTip).isEnabled(); }));
}

TEST_F(MainWindowTest, TabsSlideThePagesAndTheSelectedTabDoesNothing)
{
    std::vector<float> newPageX;
    m_window->tabs().onSlideFrame = [&](int) { newPageX.push_back(m_window->page(2).left()); };
    click(byText<ui::UiTabButton>(caption::tabDownload));
    EXPECT_EQ(m_window->currentPage(), 2);
    // From the right: 405 - v for v = 144, 256, 336, 384, 400, 400, ...
    ASSERT_EQ(newPageX.size(), 10u);
    EXPECT_EQ(newPageX[0], 405 - 144);
    EXPECT_EQ(newPageX[1], 405 - 256);
    EXPECT_EQ(newPageX[4], 5);
    EXPECT_EQ(newPageX[9], 5);
    EXPECT_FALSE(m_window->page(1).isVisible());
    EXPECT_EQ(m_window->page(1).left(), -395);

    newPageX.clear();
    click(byText<ui::UiTabButton>(caption::tabDownload));
    EXPECT_TRUE(newPageX.empty());

    click(byText<ui::UiTabButton>(caption::tabSettings));
    std::vector<float> searchX;
    m_window->tabs().onSlideFrame = [&](int) { searchX.push_back(m_window->page(1).left()); };
    click(byText<ui::UiTabButton>(caption::tabSearch));
    // From the left: v - 395.
    ASSERT_EQ(searchX.size(), 10u);
    EXPECT_EQ(searchX[0], 144 - 395);
    EXPECT_EQ(searchX[9], 5);
    EXPECT_EQ(m_window->page(3).left(), 405);
}

TEST_F(MainWindowTest, InvertTwiceRestoresTheTicks)
{
    search("夜");
    ui::UiListModel& model = results().model();
    ASSERT_GE(model.rowCount(), 3);
    model.setChecked(2, true);
    click(byText(caption::invertTicks));
    EXPECT_TRUE(model.isChecked(1));
    EXPECT_FALSE(model.isChecked(2));
    click(byText(caption::invertTicks));
    EXPECT_FALSE(model.isChecked(1));
    EXPECT_TRUE(model.isChecked(2));
}

TEST_F(MainWindowTest, SettingsControlsWriteTheirKeysAtOnce)
{
    const platform::ConfigStore config(m_runDir + "/config.ini");
    m_window->switchPage(3);
    drain();
    click(byText<ui::UiCheckBox>(caption::lyricsBox));
    EXPECT_EQ(config.read("lrc"), "0");
    EXPECT_FALSE(m_services->settings().embedLyrics());
    click(byText<ui::UiCheckBox>(caption::embedLyricsBox));
    EXPECT_EQ(config.read("embedLrc"), "1");
    EXPECT_TRUE(m_services->settings().embedLyrics());
    click(byText<ui::UiCheckBox>(caption::bypassBox));
    EXPECT_EQ(config.read("bypass"), "0");
    click(byText<ui::UiCheckBox>(caption::removeAddedBox));
    EXPECT_EQ(config.read("delete"), "0");
    click(byText<ui::UiRadioButton>(caption::soundThunder));
    EXPECT_EQ(config.read("wav"), "2");
    click(byText<ui::UiRadioButton>(caption::soundNone));
    EXPECT_EQ(config.read("wav"), "0");

    ui::UiEdit& speed = at<ui::UiEdit>(110, 345);
    click(speed);
    key(35);  // End
    type("5");
    EXPECT_EQ(config.read("speed"), "05");

    // The folder box's browse button stores the chosen folder with its "/".
    m_prompts.folderChooser = [&] { return m_runDir + "/elsewhere"; };
    click(byText<ui::UiImageButton>(caption::browseTip));
    // The chooser is another process, waited for off the user-interface thread.
    ASSERT_TRUE(pumpUntil([&] { return config.read("path") == m_runDir + "/elsewhere/"; }));
    EXPECT_EQ(at<ui::UiEdit>(110, 136).editText(), m_runDir + "/elsewhere/");
}

// Sets an environment variable for one test, restoring it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

// A bare X server: no session bus (so no portal) and no zenity. The browse
// button opens the window's own picker; double clicks enter folders and
// "确认" stores the folder shown, with its "/".
TEST_F(MainWindowTest, BrowseWithoutADesktopChooserUsesTheWindowsOwnPicker)
{
    const ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS", nullptr);
    const ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
    const ScopedEnvironment noPrograms("PATH", (m_dir.path() / "no-programs").c_str());
    const fs::path download = m_dir.path() / "Download";
    fs::create_directories(download / "Alpha" / "Inner");
    fs::create_directories(download / "Beta");
    fs::create_directories(download / ".hidden");
    m_window->switchPage(3);
    drain();

    std::vector<Text> firstRows;
    m_prompts.onFolderPickerShown = [&](ui::UiHost& box) {
        auto* list = dynamic_cast<ui::UiList*>(findControl(box.controls(), isA<ui::UiList>));
        ASSERT_NE(list, nullptr);
        for (int row = 1; row <= list->model().rowCount(); ++row)
            firstRows.push_back(list->model().cellText(row, 1));
        box.repaintAll();
        fs::create_directories(QUORVO_SCREENSHOT_DIR);
        box.backBuffer().writePng(QUORVO_SCREENSHOT_DIR "/folder-picker.png");
        // Row 2 twice: "Alpha", then (inside it) "Inner".
        const IntRect second = list->rowRect(2);
        const int x = static_cast<int>(list->left()) + 40;
        const int y = static_cast<int>(list->top()) + second.y + second.height / 2;
        platform::EventLoop& boxLoop = box.framework().loop();
        synthetic::mouseMove(boxLoop, box.window(), x, y);
        for (int folder = 0; folder < 2; ++folder) {
            for (const int clicks : {1, 2}) {
                synthetic::mouseButton(boxLoop, box.window(), synthetic::MouseButton::Left, true, x, y, clicks);
                synthetic::mouseButton(boxLoop, box.window(), synthetic::MouseButton::Left, false, x, y, clicks);
            }
        }
        ui::UiControl* confirm = findControl(box.controls(), [](const ui::UiControl& control) {
            const auto* button = dynamic_cast<const ui::UiButtonBase*>(&control);
            return button && button->caption() == "\xC8\xB7\xC8\xCF";  // 确认
        });
        ASSERT_NE(confirm, nullptr);
        const int cx = static_cast<int>(confirm->left() + confirm->width() / 2);
        const int cy = static_cast<int>(confirm->top() + confirm->height() / 2);
        synthetic::mouseMove(boxLoop, box.window(), cx, cy);
        synthetic::mouseButton(boxLoop, box.window(), synthetic::MouseButton::Left, true, cx, cy);
        synthetic::mouseButton(boxLoop, box.window(), synthetic::MouseButton::Left, false, cx, cy);
    };
    click(byText<ui::UiImageButton>(caption::browseTip));
    const platform::ConfigStore config(m_runDir + "/config.ini");
    const Text wanted = m_runDir + "/Download/Alpha/Inner/";
    ASSERT_TRUE(pumpUntil([&] { return config.read("path") == wanted; }, 20s)) << config.read("path").view();
    EXPECT_EQ(firstRows, (std::vector<Text> {"..", "Alpha", "Beta"}));
    EXPECT_EQ(at<ui::UiEdit>(110, 136).editText(), wanted);
}

// Every reply of the service comes 2 s late: a search is still running while the user goes elsewhere.
class SlowServiceWindowTest : public MainWindowTest {
protected:
    SlowServiceWindowTest()
        : MainWindowTest({"--fault-delay-ms", "2000"})
    { }
};

TEST_F(SlowServiceWindowTest, ASearchEndingOnAnotherPageLeavesTheKeyboardWhereTheUserIs)
{
    // Held by reference: off its page the box is no longer where at() looks.
    ui::UiEdit& box = searchBox();
    ui::UiLabel& bar = at<ui::UiLabel>(8, 87);
    const auto finished = [&] { return box.isEnabled() && !bar.isVisible(); };
    click(box);
    type("夜");
    key(13);
    ASSERT_TRUE(pumpUntil([&] { return !box.isEnabled(); }));
    m_window->switchPage(3);
    drain();
    ui::UiEdit& speed = at<ui::UiEdit>(110, 345);
    click(speed);
    ASSERT_TRUE(speed.hasFocus());
    ASSERT_TRUE(pumpUntil(finished));
    EXPECT_TRUE(speed.hasFocus()) << "the finished search took the keyboard from the settings page";
    EXPECT_FALSE(box.hasFocus());

    // Back on the search page, the next search ends in the box as before.
    m_window->switchPage(1);
    drain();
    click(box);
    type("色");
    key(13);
    ASSERT_TRUE(pumpUntil([&] { return !box.isEnabled(); }));
    click(results());
    ASSERT_TRUE(pumpUntil(finished));
    EXPECT_TRUE(box.hasFocus());
}

TEST_F(MainWindowTest, ASearchTheServiceDoesNotAnswerSaysSoInTheStatusLine)
{
    m_server.stop();
    search("夜色");
    ui::UiLabel& status = at<ui::UiLabel>(5, 574);
    ASSERT_TRUE(pumpUntil([&] { return status.isVisible(); }));
    EXPECT_EQ(encoding::toUtf8(status.caption().view()), "搜索失败,服务没有响应");
    EXPECT_EQ(results().model().rowCount(), 0);
}

// The picker without a mouse: Esc cancels; a typed path and Enter take that folder.
TEST_F(MainWindowTest, TheWindowsOwnFolderPickerAnswersTheKeyboard)
{
    const ScopedEnvironment noBus("DBUS_SESSION_BUS_ADDRESS", nullptr);
    const ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", nullptr);
    const ScopedEnvironment noPrograms("PATH", (m_dir.path() / "no-programs").c_str());
    fs::create_directories(m_dir.path() / "Typed" / "Here");
    m_window->switchPage(3);
    drain();
    const platform::ConfigStore config(m_runDir + "/config.ini");
    const Text before = config.read("path");

    int shown = 0;
    bool closedByTest = false;
    const auto pressKey = [](ui::UiHost& box, int virtualKey) {
        synthetic::key(box.framework().loop(), box.window(), static_cast<platform::Key>(virtualKey), true);
        synthetic::key(box.framework().loop(), box.window(), static_cast<platform::Key>(virtualKey), false);
    };
    // A picker deaf to the keyboard would hold its modal loop for ever: the
    // test closes it itself after a while, and counts that as a failure.
    const auto closeIfStillOpen = [&](ui::UiHost& box) {
        box.framework().loop().setTimer(box.window(), 77, 10s,
                                        [&box, &closedByTest](platform::WindowId, platform::TimerId) {
                                            closedByTest = true;
                                            box.requestClose();
                                        });
    };
    m_prompts.onFolderPickerShown = [&](ui::UiHost& box) {
        ++shown;
        closeIfStillOpen(box);
        pressKey(box, 0x1B);  // Esc, with the focus in the list
    };
    click(byText<ui::UiImageButton>(caption::browseTip));
    // The picker's modal loop runs inside the pump: once it has been shown and the pump is back, it is gone.
    ASSERT_TRUE(pumpUntil([&] { return shown == 1; }, 30s));
    EXPECT_FALSE(closedByTest) << "Esc did not close the picker";
    EXPECT_EQ(config.read("path"), before) << "Esc changed the folder";

    const std::string typed = (m_dir.path() / "Typed" / "Here").string() + "/";
    m_prompts.onFolderPickerShown = [&](ui::UiHost& box) {
        ++shown;
        closeIfStillOpen(box);
        auto* edit = dynamic_cast<ui::UiEdit*>(findControl(box.controls(), isA<ui::UiEdit>));
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->setFocus(true));
        edit->selectAll();
        synthetic::text(box.framework().loop(), box.window(), typed.c_str());
        pressKey(box, 0x0D);  // Enter
    };
    click(byText<ui::UiImageButton>(caption::browseTip));
    const Text wanted = platform::fromNativePath(typed);
    ASSERT_TRUE(pumpUntil([&] { return shown == 2; }, 30s));
    EXPECT_FALSE(closedByTest) << "Enter did not take the typed folder";
    EXPECT_EQ(config.read("path"), wanted);
    EXPECT_EQ(at<ui::UiEdit>(110, 136).editText(), wanted);
}

TEST_F(MainWindowTest, AFailedRowSaysWhyInItsStatusTooltipAndTheStatusLine)
{
    download::DownloadTask task;
    task.name = "Missing Song";
    task.songId = "1";
    task.state = download::Failed {{download::FailureKind::HttpStatus, 404}};
    m_window->queue().list().append(task);
    m_window->switchPage(2);
    drain();

    auto* status = dynamic_cast<ui::UiLabel*>(findControl(m_window->page(2).children(), [](const ui::UiControl& c) {
        return isA<ui::UiLabel>(c) && c.left() == 5 && c.top() == 574;
    }));
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return status->isVisible(); }));
    EXPECT_EQ(encoding::toUtf8(status->caption().view()), "下载失败: HTTP 404");

    // The pointer over each cell of the row: only the status cell has the reason as its tooltip.
    ui::UiList& list = downloads();
    std::map<int, Text> tipByColumn;
    for (int y = static_cast<int>(list.top()); y < static_cast<int>(list.top()) + 60; y += 2) {
        for (int x = static_cast<int>(list.left()); x < static_cast<int>(list.left() + list.width()); x += 5) {
            const ui::ListHit hit = list.hitTest({x, y});
            if (hit.row != 1 || tipByColumn.contains(hit.column))
                continue;
            synthetic::mouseMove(loop(), host().window(), x, y);
            drain();
            tipByColumn[hit.column] = host().tooltipControl() == &list ? host().tooltipText() : Text();
        }
    }
    ASSERT_TRUE(tipByColumn.contains(4));
    EXPECT_EQ(tipByColumn[4], "HTTP 404");
    ASSERT_TRUE(tipByColumn.contains(1));
    EXPECT_EQ(tipByColumn[1], "");
}

// A download list kept by an earlier run: finished, failed, killed part way
// through its transfer, and waiting.
class SavedListWindowTest : public MainWindowTest {
protected:
    void configure(const platform::ConfigStore&) override
    {
        const auto row = [&](uint64_t id, const char* name, download::TaskState state) {
            download::DownloadTask task;
            task.id = id;
            task.name = name;
            task.quality = "flac";
            task.songId = std::to_string(9900000 + id);
            const Text base = m_runDir + "/Download/" + task.name;
            task.paths = {base + ".flac", base + ".lrc", base + ".flac.tmp"};
            task.state = std::move(state);
            return task;
        };
        download::QueueStore::Opened opened = download::QueueStore::open(store());
        ASSERT_TRUE(opened.store);
        opened.store->rowAdded(row(4, "Done", download::Completed {}));
        opened.store->rowAdded(row(2, "Missing", download::Failed {{download::FailureKind::HttpStatus, 404}}));
        opened.store->rowAdded(row(7, "Half", download::Transferring {100, 4000, 0}));
        opened.store->rowAdded(row(3, "Later", download::Waiting {}));
        quorvo::test::writeWholeFile(m_dir.path() / "Download" / "Half.flac.tmp", std::string(2000, 'x'));
    }
    AppServicesOptions servicesOptions() override
    {
        AppServicesOptions options;
        options.queueStore = platform::fromNativePath(store());
        return options;
    }
    [[nodiscard]] std::string store() const { return (m_dir.path() / "queue.db").string(); }
};

TEST_F(SavedListWindowTest, TheDownloadPageShowsTheKeptRowsAsTheyStoodAndNothingStarts)
{
    m_window->switchPage(2);
    drain();
    const ui::UiListModel& model = downloads().model();
    ASSERT_EQ(model.rowCount(), 4);
    const std::vector<std::pair<const char*, const char*>> expected
        = {{"Done", "下载完毕"}, {"Missing", "下载失败"}, {"Half", "50%"}, {"Later", "等待下载"}};
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(model.cellText(row, 1), expected[row - 1].first);
        EXPECT_EQ(encoding::toUtf8(model.cellText(row, 4).view()), expected[row - 1].second);
    }
    EXPECT_TRUE(m_services->queueNotice().empty()) << m_services->queueNotice();
    // Nothing was fetched, and a later change is kept.
    EXPECT_TRUE(m_server.requestLog().empty()) << m_server.requestLogText();
    m_window->queue().list().removeRows([](const download::DownloadTask& task) { return task.name == "Later"; });
    EXPECT_EQ(download::QueueStore::read(store()).rows.size(), 3u);
}

// As the program runs: the kept list is read once the window is on the screen.
class LateSavedListWindowTest : public SavedListWindowTest {
protected:
    AppServicesOptions servicesOptions() override
    {
        AppServicesOptions options = SavedListWindowTest::servicesOptions();
        options.restoreQueueLater = true;
        return options;
    }
    std::vector<std::string> shownNames()
    {
        std::vector<std::string> names;
        for (int row = 1; row <= downloads().model().rowCount(); ++row)
            names.push_back(downloads().model().cellText(row, 1).str());
        return names;
    }
};

TEST_F(LateSavedListWindowTest, TheKeptRowsComeInOnTheirOwnAndNothingStarts)
{
    bool restored = false;
    m_window->restoreKeptDownloads([&] { restored = true; });
    ASSERT_TRUE(pumpUntil([&] { return restored; }));
    EXPECT_EQ(shownNames(), (std::vector<std::string> {"Done", "Missing", "Half", "Later"}));
    EXPECT_EQ(encoding::toUtf8(downloads().model().cellText(3, 4).view()), "50%");
    EXPECT_FALSE(m_window->queue().isRunning());
    EXPECT_TRUE(m_server.requestLog().empty()) << m_server.requestLogText();
    // Kept from here on.
    m_window->queue().list().removeRows([](const download::DownloadTask& task) { return task.name == "Later"; });
    EXPECT_EQ(download::QueueStore::read(store()).rows.size(), 3u);
}

TEST_F(LateSavedListWindowTest, SongsAddedBeforeTheKeptRowsCameInGoAfterThemAndAllAreKept)
{
    // Quicker than the reading: the search brings the kept rows in first.
    search("Paper Lanterns");
    ASSERT_GT(results().model().rowCount(), 0);
    click(byText(caption::tickAll));
    click(byText<ui::UiImageButton>(caption::addTip));
    ASSERT_TRUE(pumpUntil([&] { return downloads().model().rowCount() > 4; }));
    const std::vector<std::string> names = shownNames();
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string> {"Done", "Missing", "Half", "Later"}));
    const std::vector<download::DownloadTask> listed = m_window->queue().list().rows();
    ASSERT_EQ(listed.size(), names.size());
    for (std::size_t row = 4; row < listed.size(); ++row)
        EXPECT_GT(listed[row].id, 7u) << "an added row took a kept row's number";
    std::vector<uint64_t> listedIds;
    for (const download::DownloadTask& task : listed)
        listedIds.push_back(task.id);
    std::vector<uint64_t> keptIds;
    for (const download::DownloadTask& task : download::QueueStore::read(store()).rows)
        keptIds.push_back(task.id);
    EXPECT_EQ(keptIds, listedIds);
}

// A download held at 20 KB/s, so that it is still running when the window closes.
class SlowDownloadWindowTest : public MainWindowTest {
protected:
    void configure(const platform::ConfigStore& config) override { config.write("speed", "20"); }
};

TEST_F(SlowDownloadWindowTest, CloseWhileDownloadingAsksAndKeepOrExit)
{
    search("Paper Lanterns");
    click(byText(caption::tickAll));
    click(byText<ui::UiImageButton>(caption::addTip));
    ASSERT_TRUE(pumpUntil([&] { return byText<ui::UiImageButton>(caption::pauseTip).isEnabled(); }));
    const fs::path partial = m_dir.path() / "Download" / "The Velvet Orchard - Paper Lanterns.mp3.tmp";
    ASSERT_TRUE(pumpUntil([&] { return fs::exists(partial) && fs::file_size(partial) > 0; }));

    int asked = 0;
    m_prompts.exitQuestion = [&] {
        ++asked;
        return asked == 1 ? ExitAnswer::Keep : ExitAnswer::Exit;
    };
    host().requestClose();
    drain();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(host().isAlive());
    EXPECT_TRUE(m_window->queue().isRunning());

    host().requestClose();
    ASSERT_TRUE(pumpUntil([&] { return !host().isAlive(); }));
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(m_window->finishBeforeExit());
    EXPECT_FALSE(m_window->queue().isRunning());
    // The partial file stays for the next start to resume.
    EXPECT_TRUE(fs::exists(partial));
    EXPECT_FALSE(fs::exists(m_dir.path() / "Download" / "The Velvet Orchard - Paper Lanterns.mp3"));
}

}  // namespace
}  // namespace quorvo::app

namespace quorvo::app {
namespace {

bool samePicture(const gfx::Surface& a, const gfx::Surface& b)
{
    return a.encodePng() == b.encodePng();
}

// Pictures of the three pages after a search and a download, saved in the
// build tree (app-screenshots/); a frame in the middle of a slide is neither end.
TEST_F(MainWindowTest, ScreenshotsOfEachPageAndASlideInBetween)
{
    search("夜");
    results().model().setChecked(3, true);
    results().model().setChecked(4, true);
    click(byText<ui::UiImageButton>(caption::addTip));
    ASSERT_TRUE(pumpUntil([&] { return downloads().model().rowCount() == 2; }));
    ASSERT_TRUE(pumpUntil([&] { return byText<ui::UiImageButton>(caption::startTip).isEnabled(); }));

    const fs::path directory = fs::path(QUORVO_SCREENSHOT_DIR);
    fs::create_directories(directory);
    host().repaintAll();
    const gfx::Surface searchPage = host().backBuffer().copy();
    EXPECT_TRUE(searchPage.writePng((directory / "search.png").string()));

    std::optional<gfx::Surface> midSlide;
    m_window->tabs().onSlideFrame = [&](int frame) {
        if (frame == 2) {
            host().repaintAll();
            midSlide = host().backBuffer().copy();
        }
    };
    click(byText<ui::UiTabButton>(caption::tabDownload));
    host().repaintAll();
    const gfx::Surface downloadPage = host().backBuffer().copy();
    EXPECT_TRUE(downloadPage.writePng((directory / "download.png").string()));
    ASSERT_TRUE(midSlide);
    EXPECT_TRUE(midSlide->writePng((directory / "slide.png").string()));
    EXPECT_FALSE(samePicture(*midSlide, searchPage));
    EXPECT_FALSE(samePicture(*midSlide, downloadPage));
    EXPECT_FALSE(samePicture(searchPage, downloadPage));

    m_window->tabs().onSlideFrame = {};
    click(byText<ui::UiTabButton>(caption::tabSettings));
    host().repaintAll();
    EXPECT_TRUE(host().backBuffer().writePng((directory / "settings.png").string()));
}

// Every control a user can press, on every page, lies under a point of the
// X11 sweep (ControlSweep.h); labels, images and the pages themselves do nothing.
void expectTheSweepCoversEveryPressableControl(MainWindow& window)
{
    const auto pressable = [](const ui::UiControl& control) {
        switch (control.kind()) {
        case ui::ControlKind::None:
        case ui::ControlKind::Label:
        case ui::ControlKind::Image:
        case ui::ControlKind::Panel:
            return false;
        default:
            return true;
        }
    };
    struct Pressable {
        int page;
        FloatRect area;
        int kind;
    };
    std::vector<Pressable> found;
    const auto isPage = [&](const ui::UiControl& control) {
        for (int page = 1; page <= window.tabs().pageCount(); ++page) {
            if (&control == &window.page(page))
                return true;
        }
        return false;
    };
    std::function<void(std::span<const std::unique_ptr<ui::UiControl>>, int)> visit;
    visit = [&](std::span<const std::unique_ptr<ui::UiControl>> controls, int page) {
        for (const auto& control : controls) {
            // A page is visited on its own below.
            if (!control->isVisible() || (page == 0 && isPage(*control)))
                continue;
            if (pressable(*control))
                found.push_back({page, control->rect(), static_cast<int>(control->kind())});
            visit(control->children(), page);
        }
    };
    visit(window.host().controls(), 0);
    for (int page = 1; page <= window.tabs().pageCount(); ++page)
        visit(window.page(page).children(), page);
    const auto inside = [](const FloatRect& area, const test::SweptControl& swept) {
        return area.x <= swept.x && swept.x < area.x + area.width && area.y <= swept.y
            && swept.y < area.y + area.height;
    };
    for (const Pressable& control : found) {
        EXPECT_TRUE(std::ranges::any_of(
            test::sweptControls,
            [&](const auto& swept) { return swept.page == control.page && inside(control.area, swept); }))
            << "page " << control.page << ": the sweep misses the control of kind " << control.kind << " at "
            << control.area.x << ", " << control.area.y << " (" << control.area.width << " x " << control.area.height
            << ")";
    }
    for (const test::SweptControl& swept : test::sweptControls) {
        EXPECT_TRUE(std::ranges::any_of(
            found, [&](const Pressable& control) { return swept.page == control.page && inside(control.area, swept); }))
            << swept.name << ": no pressable control at its point";
    }
}

TEST_F(MainWindowTest, TheSweepPressesEveryPressableControl)
{
    search("a");  // sixty rows: the list's scroll bar shows
    expectTheSweepCoversEveryPressableControl(*m_window);
}

// At the desktop scale 2 the window is drawn on twice as many pixels each
// way; its controls, the sweep's points and the pointer stay in window
// coordinates.
class MainWindowAtScale2Test : public MainWindowTest {
protected:
    void SetUp() override
    {
        ::setenv("QUORVO_SCALE", "2", 1);
        MainWindowTest::SetUp();
    }
    void TearDown() override
    {
        MainWindowTest::TearDown();
        ::unsetenv("QUORVO_SCALE");
    }
};

TEST_F(MainWindowAtScale2Test, TheWindowCovers820By1300PixelsAndTheSweepStillPressesEveryControl)
{
    ASSERT_EQ(loop().scale(), 2);
    EXPECT_EQ(host().size(), (IntSize {410, 650}));
    const IntRect bounds = loop().bounds(host().window());
    EXPECT_EQ(bounds.width, 410);
    EXPECT_EQ(bounds.height, 650);
    const auto snapshot = loop().surfaceSnapshot(host().window());
    ASSERT_TRUE(snapshot.has_value());
    EXPECT_EQ(snapshot->width(), 820);
    EXPECT_EQ(snapshot->height(), 1300);
    EXPECT_EQ(host().backBuffer().pixelWidth(), 820);
    EXPECT_EQ(host().backBuffer().pixelHeight(), 1300);

    search("a");
    expectTheSweepCoversEveryPressableControl(*m_window);
    // The pointer at each point of the sweep (on the search page) reaches the
    // control there, through the platform's scale.
    for (const test::SweptControl& swept : test::sweptControls) {
        if (swept.page > 1)
            continue;
        SCOPED_TRACE(std::string(swept.name));
        synthetic::mouseMove(loop(), host().window(), swept.x, swept.y);
        drain();
        const ui::UiControl* expected = host().hitTest({float(swept.x), float(swept.y)});
        ASSERT_NE(expected, nullptr);
        EXPECT_EQ(host().hover(), expected);
        EXPECT_TRUE(expected->rect().contains(FloatPoint {float(swept.x), float(swept.y)}));
    }
}

}  // namespace
}  // namespace quorvo::app
