// The application's rules that need neither a network nor a window:
// settings bindings, window requests, the status line's fade, the command
// line, the parts both front ends are built from.

#include "app/AppServices.h"
#include "app/CommandLine.h"
#include "app/DownloadNotices.h"
#include "app/SettingsBindings.h"
#include "app/StatusToast.h"
#include "app/TrayIcon.h"
#include "app/WindowMessages.h"

#include "TempDir.h"
#include "UiQueue.h"
#include "platform/Files.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvo::app {
namespace {

using namespace std::chrono_literals;

class SettingsBindingsTest : public ::testing::Test {
protected:
    std::string fileText() { return quorvo::test::readWholeFile(m_dir.path() / "config.ini"); }
    std::string keyLine(const char* key)
    {
        const std::string text = fileText();
        const std::string prefix = std::string("\n") + key + "=";
        const std::size_t at = ("\n" + text).find(prefix);
        if (at == std::string::npos)
            return "(missing)";
        const std::size_t start = at + prefix.size() - 1;
        return text.substr(start, text.find('\n', start) - start);
    }

    quorvo::test::TempDir m_dir;
    platform::ConfigStore m_config {platform::fromNativePath(m_dir.file("config.ini"))};
    LiveSettings m_live;
    SettingsBindings m_bindings {m_config, m_live};
};

TEST_F(SettingsBindingsTest, EachControlWritesItsKeyAtOnce)
{
    m_bindings.lyricsChanged(false);
    EXPECT_EQ(keyLine("lrc"), "0");
    m_bindings.bypassChanged(false);
    EXPECT_EQ(keyLine("bypass"), "0");
    m_bindings.removeAddedChanged(true);
    EXPECT_EQ(keyLine("delete"), "1");
    m_bindings.soundSelected(2);
    EXPECT_EQ(keyLine("wav"), "2");
    m_bindings.namingSchemeSelected(3);  // "歌曲"
    EXPECT_EQ(keyLine("sType"), "2");
    m_bindings.speedTextChanged("1.5");
    EXPECT_EQ(keyLine("speed"), "1.5");

    // The live copy the worker reads follows.
    EXPECT_FALSE(m_live.fetchLyrics());
    EXPECT_FALSE(m_live.bypass());
    EXPECT_TRUE(m_live.removeAdded());
    EXPECT_EQ(m_live.completionSound(), download::CompletionSound::Thunder);
    EXPECT_EQ(m_live.speedLimit(), 1);  // a typed 1.5 limits to 1 KB/s
    m_bindings.speedTextChanged("abc");
    EXPECT_EQ(m_live.speedLimit(), 0);
}

TEST_F(SettingsBindingsTest, ChosenFolderGetsItsTrailingSlashAndCancelKeepsTheOld)
{
    EXPECT_EQ(m_bindings.folderChosen("/music/lossless"), "/music/lossless/");
    EXPECT_EQ(keyLine("path"), "/music/lossless/");
    EXPECT_EQ(m_bindings.folderChosen("/"), "/");
    EXPECT_EQ(keyLine("path"), "/");
    EXPECT_EQ(m_bindings.folderChosen(""), "/");
    EXPECT_EQ(m_live.saveDirectory(), "/");
}

TEST_F(SettingsBindingsTest, ReadSettingsShowsOddValuesAsTheControlsAllow)
{
    m_config.write("path", "/x");
    m_config.write("sType", "1");
    m_config.write("lrc", "yes");
    m_config.write("wav", "7");
    m_config.write("bypass", "1");
    m_config.write("delete", "0");
    m_config.write("speed", "12");
    const SettingsValues values = readSettings(m_config);
    EXPECT_EQ(values.saveDirectory, "/x/");
    EXPECT_EQ(values.namingItem, 2);
    EXPECT_FALSE(values.lyrics);
    EXPECT_EQ(values.sound, -1);
    EXPECT_TRUE(values.bypass);
    EXPECT_FALSE(values.removeAdded);
    EXPECT_EQ(values.speed, "12");
    EXPECT_EQ(values.jobs, 1) << "no jobs key: one worker";
}

TEST_F(SettingsBindingsTest, JobsAreOneUnlessTheFileAsksForMoreWithinTheLimit)
{
    for (const auto& [written, jobs] : std::vector<std::pair<const char*, int64_t>> {
             {"3", 3}, {"0", 1}, {"-2", 1}, {"abc", 1}, {"99", download::maxJobs}}) {
        m_config.write("jobs", written);
        EXPECT_EQ(LiveSettings(readSettings(m_config)).jobs(), jobs) << written;
    }
}

// Names follow the scheme of the moment: the page's choice, and a scheme
// written into config.ini by hand while the program runs.
TEST_F(SettingsBindingsTest, NamingSchemeFollowsThePageAndAHandEditedFile)
{
    using service::NamingScheme;
    m_config.write("sType", "1");
    LiveSettings live(readSettings(m_config), m_config);
    SettingsBindings bindings(m_config, live);
    EXPECT_EQ(live.namingScheme(), NamingScheme::TitleArtist);
    bindings.namingSchemeSelected(3);  // "歌曲"
    EXPECT_EQ(live.namingScheme(), NamingScheme::Title);

    // Another length than the page's file, so the change shows whatever the clock's grain.
    quorvo::test::writeWholeFile(m_dir.path() / "config.ini", "[Main]\nsType=0\nspeed=0\n");
    const service::SongRecord song {"T", "Album", "A", "flac", "1", "http://h/1.lrc"};
    EXPECT_EQ(live.naming().nameOf(song), "A - T");
    bindings.speedTextChanged("5");
    EXPECT_EQ(live.namingScheme(), NamingScheme::ArtistTitle);
    m_config.write("sType", "7");  // any other value names as 0 does
    EXPECT_EQ(live.namingScheme(), NamingScheme::ArtistTitle);
    bindings.namingSchemeSelected(2);
    EXPECT_EQ(live.naming().nameOf(song), "T - A");
    bindings.namingSchemeSelected(4);  // "歌手/专辑/歌曲"
    EXPECT_EQ(keyLine("sType"), "3");
    EXPECT_EQ(live.naming().nameOf(song), "A/Album/T");
}

TEST(SpinSpeed, StepsTheLeadingIntegerAndStopsAtZero)
{
    EXPECT_EQ(spinSpeed("0", -1), "0");
    EXPECT_EQ(spinSpeed("", 1), "1");
    EXPECT_EQ(spinSpeed("1.5", 1), "2");
    EXPECT_EQ(spinSpeed("300", -1), "299");
}

class FakeShell final : public WindowShell {
public:
    bool isWindowVisible() const override { return m_visible; }
    void hideWindow() override
    {
        m_visible = false;
        m_log.push_back("hide");
    }
    void showWindow() override
    {
        m_visible = true;
        m_log.push_back("show");
    }
    void minimiseWindow() override { m_log.push_back("minimise"); }
    bool hasTrayHost() const override { return m_tray; }
    void setFirstMenuCaption(const Text& caption) override
    {
        m_log.push_back("caption " + encoding::toUtf8(caption.view()));
    }
    void popUpMenu() override { m_log.push_back("menu"); }
    void openAuthorPage() override { m_log.push_back("author"); }
    void requestClose() override { m_log.push_back("close"); }
    void removeTrayIcon() override { m_log.push_back("untray"); }
    void quitLoop() override { m_log.push_back("quit"); }

    bool m_visible = true;
    bool m_tray = true;
    std::vector<std::string> m_log;
};

TEST(WindowMessages, MinimiseHidesToTheTrayOnlyWhereATrayShowsTheIcon)
{
    FakeShell shell;
    WindowMessages messages(shell, {});
    TrayIcon tray(shell);
    EXPECT_TRUE(messages.minimiseRequested());
    EXPECT_FALSE(shell.m_visible);
    tray.clicked(TrayClick::Left);
    EXPECT_TRUE(shell.m_visible);
    tray.clicked(TrayClick::Left);
    EXPECT_FALSE(shell.m_visible);

    // No tray host: the window minimises as usual and stays reachable.
    shell.m_visible = true;
    shell.m_tray = false;
    shell.m_log.clear();
    EXPECT_FALSE(messages.minimiseRequested());
    EXPECT_TRUE(shell.m_visible);
    EXPECT_TRUE(shell.m_log.empty());
}

TEST(TrayIcon, RightClickSetsTheToggleCaptionThenOpensTheMenu)
{
    FakeShell shell;
    TrayIcon tray(shell);
    tray.clicked(TrayClick::Right);
    shell.m_visible = false;
    tray.clicked(TrayClick::Right);
    EXPECT_EQ(shell.m_log, (std::vector<std::string> {"caption 隐藏窗口", "menu", "caption 显示窗口", "menu"}));
}

TEST(WindowMessages, MenuCommandsToggleOpenAndClose)
{
    FakeShell shell;
    WindowMessages messages(shell, {});
    messages.command(100);
    messages.command(100);
    messages.command(101);
    messages.command(102);
    messages.command(7);
    messages.destroyed();
    EXPECT_EQ(shell.m_log, (std::vector<std::string> {"hide", "show", "author", "close", "untray", "quit"}));
}

TEST(WindowMessages, HideWithoutATrayMinimisesAndAnIconAppearingLaterMakesItHide)
{
    FakeShell shell;
    shell.m_tray = false;
    WindowMessages messages(shell, {});
    messages.command(100);
    EXPECT_TRUE(shell.m_visible) << "hidden with no icon to bring it back";
    EXPECT_EQ(shell.m_log, (std::vector<std::string> {"minimise"}));
    shell.m_tray = true;
    messages.command(100);
    EXPECT_FALSE(shell.m_visible);
}

TEST(DownloadNotices, OnlyRunsThatFinishEverySongAndFailuresTheUserDidNotSee)
{
    bool inView = false;
    std::vector<DownloadNotice> sent;
    DownloadNotices notices({[&] { return inView; }, [&](const DownloadNotice& notice) { sent.push_back(notice); }});

    // Three songs, the last with our own sound: one notice for the run.
    notices.runStarted();
    for (int i = 0; i < 3; ++i)
        notices.songCompleted();
    notices.soundPlayed();
    notices.runEnded(true);
    ASSERT_EQ(sent.size(), 1U);
    EXPECT_EQ(encoding::toUtf8(sent[0].summary.view()), "3首歌曲下载完毕");
    EXPECT_TRUE(sent[0].ownSoundPlays);

    // A paused run (rows left waiting), a run that finished nothing, a run
    // the user watched, and a silent one: only the last is told.
    notices.runStarted();
    notices.songCompleted();
    notices.runEnded(false);
    notices.runStarted();
    notices.runEnded(true);
    inView = true;
    notices.runStarted();
    notices.songCompleted();
    notices.runEnded(true);
    notices.songFailed(Text("a"), Text("b"));
    inView = false;
    notices.runStarted();
    notices.songCompleted();
    notices.songCompleted();
    notices.runEnded(true);
    ASSERT_EQ(sent.size(), 2U);
    EXPECT_EQ(encoding::toUtf8(sent[1].summary.view()), "2首歌曲下载完毕");
    EXPECT_FALSE(sent[1].ownSoundPlays);

    notices.songFailed(Text("Paper Lanterns"), Text("HTTP 404"));
    ASSERT_EQ(sent.size(), 3U);
    EXPECT_EQ(sent[2].summary, "Paper Lanterns");
    EXPECT_EQ(sent[2].body, "HTTP 404");
}

TEST(WindowMessages, CloseAsksOnlyWhileAWorkerRuns)
{
    FakeShell shell;
    bool running = false;
    int asked = 0;
    int stops = 0;
    ExitAnswer answer = ExitAnswer::Keep;
    WindowMessages messages(shell,
                            {[&] { return running; },
                             [&] {
                                 ++asked;
                                 return answer;
                             },
                             [&] { ++stops; }});
    EXPECT_TRUE(messages.closeRequested());
    EXPECT_EQ(asked, 0);
    running = true;
    EXPECT_FALSE(messages.closeRequested());
    EXPECT_EQ(stops, 0);
    EXPECT_FALSE(messages.stopStartedOnExit());
    answer = ExitAnswer::Exit;
    EXPECT_TRUE(messages.closeRequested());
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(stops, 1);
    EXPECT_TRUE(messages.stopStartedOnExit());
}

class RecordingStatusLine final : public StatusLineView {
public:
    void showStatusMessage(const Text& text, download::MessageColour) override
    {
        m_log.push_back("show " + encoding::toUtf8(text.view()));
    }
    void setStatusAlpha(int alpha) override { m_log.push_back(std::to_string(alpha)); }
    void hideStatusLine() override { m_log.push_back("hide"); }
    std::vector<std::string> m_log;
};

TEST(StatusToast, HoldsThenFadesInTwentyFiveStepsThenHides)
{
    test::UiQueue ui;
    RecordingStatusLine line;
    {
        StatusToast toast(ui.timer(), line, ToastTiming {1ms, 1ms, 25});
        toast.show(download::composeAddMessage(3, 0));
        ASSERT_TRUE(ui.runUntil([&] { return !line.m_log.empty() && line.m_log.back() == "hide"; }));
    }
    ASSERT_EQ(line.m_log.size(), 27u);
    EXPECT_EQ(line.m_log.front(), "show 已添加3首歌曲至下载列表");
    EXPECT_EQ(line.m_log[1], "245");
    EXPECT_EQ(line.m_log[25], "5");
}

TEST(StatusToast, ASecondMessageReplacesTheFirstWhoseFadeLeavesTheLabelAlone)
{
    test::UiQueue ui;
    RecordingStatusLine line;
    StatusToast toast(ui.timer(), line, ToastTiming {1ms, 1ms, 25});
    toast.show(download::composeAddMessage(1, 0));
    toast.show(download::composeAddMessage(0, 0));
    ASSERT_TRUE(ui.runUntil([&] { return line.m_log.back() == "hide"; }));
    ui.runPending();
    // One fade, the second message's: 25 steps.
    ASSERT_EQ(line.m_log.size(), 28u);
    EXPECT_EQ(line.m_log[0], "show 已添加1首歌曲至下载列表");
    EXPECT_EQ(line.m_log[1], "show 请勾选欲下载的歌曲");
    EXPECT_EQ(line.m_log[2], "245");
    EXPECT_EQ(line.m_log[26], "5");
}

TEST(AppServices, TheQueueSpeaksToTheListenerOfTheMomentAndTheSearchNamesByTheSettings)
{
    quorvo::test::TempDir dir;
    const platform::ConfigStore config(platform::fromNativePath(dir.file("config.ini")));
    config.write("sType", "1");
    config.write("bypass", "1");
    AppServices services(config, service::ServiceEndpoints(Text("127.0.0.1:9")));
    EXPECT_TRUE(services.searchFilter().bypass);
    // config.ini without `retries`: a transfer the network broke is tried three more times.
    EXPECT_EQ(services.settings().retries(), 3);
    EXPECT_EQ(services.searchFilter().naming.nameOf(service::SongRecord {"Song", "Album", "Artist", "flac", "1", ""}),
              "Song - Artist");

    download::QueueMailbox mailbox;
    services.listenToQueue(&mailbox);
    download::DownloadTask task;
    task.name = "Artist - Song";
    services.queue().list().append(task);
    EXPECT_EQ(mailbox.takeAll().size(), 1u);
    EXPECT_TRUE(services.searchFilter().isQueued("Artist - Song"));
    // A page that is gone hears nothing more.
    services.listenToQueue(nullptr);
    services.queue().list().append(task);
    EXPECT_TRUE(mailbox.takeAll().empty());
}

TEST(CommandLine, HelpServiceAndUsageErrors)
{
    const char* help[] = {"--help"};
    EXPECT_TRUE(parseCommandLine(help).help);
    const char* service[] = {"--service", "127.0.0.1:9"};
    EXPECT_EQ(parseCommandLine(service).service, "127.0.0.1:9");
    const char* missing[] = {"--service"};
    EXPECT_FALSE(parseCommandLine(missing).error.empty());
    const char* unknown[] = {"--frobnicate"};
    EXPECT_FALSE(parseCommandLine(unknown).error.empty());
    EXPECT_NE(helpText().find("--service"), std::string::npos);
}

}  // namespace
}  // namespace quorvo::app
