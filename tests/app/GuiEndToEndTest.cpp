// The program as a user meets it: quorvo under its own Xvfb against the
// reference service, driven with xdotool, its pages photographed from the X
// server's frame buffer into the build tree (app-screenshots/x11-*.png).
// Skipped with a message where Xvfb or xdotool is missing.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "gfx/Surface.h"

#include <gtest/gtest.h>

#include <bit>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A child process stopped (SIGTERM) and reaped on destruction.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
    {
        m_pid = ::fork();
        if (m_pid == 0) {
            for (const std::string& entry : environment)
                ::putenv(const_cast<char*>(entry.c_str()));
            std::vector<char*> args;
            for (const std::string& arg : argv)
                args.push_back(const_cast<char*>(arg.c_str()));
            args.push_back(nullptr);
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
    }
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    // The exit status, or -1 when it did not exit normally.
    int stop()
    {
        if (m_pid <= 0)
            return m_status;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return m_status;
    }
    [[nodiscard]] bool running() const { return m_pid > 0 && ::waitpid(m_pid, nullptr, WNOHANG) == 0; }

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

// The screen as Xvfb keeps it in its frame-buffer file (-fbdir, XWD format:
// a big-endian header, a colour map, then the pixel rows), cut to `area`.
// Null when the file is not a 32-bit TrueColor image.
quorvo::gfx::Surface readScreen(const fs::path& xwdFile, int left, int top, int width, int height)
{
    const std::string data = quorvo::test::readWholeFile(xwdFile);
    const auto field = [&](std::size_t index) -> std::uint32_t {
        if (data.size() < (index + 1) * 4)
            return 0;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(data[index * 4 + i]);
        return value;
    };
    const std::uint32_t headerSize = field(0);
    const std::uint32_t screenWidth = field(4);
    const std::uint32_t screenHeight = field(5);
    const std::uint32_t byteOrder = field(7);
    const std::uint32_t bitsPerPixel = field(11);
    const std::uint32_t bytesPerLine = field(12);
    const std::uint32_t colours = field(19);
    const std::size_t pixels = headerSize + std::size_t {colours} * 12;
    if (bitsPerPixel != 32 || byteOrder != 0 || left < 0 || top < 0
        || static_cast<std::uint32_t>(left + width) > screenWidth
        || static_cast<std::uint32_t>(top + height) > screenHeight
        || data.size() < pixels + std::size_t {bytesPerLine} * screenHeight)
        return {};
    quorvo::gfx::Surface picture = quorvo::gfx::Surface::create(width, height);
    for (int y = 0; y < height; ++y) {
        const char* row = data.data() + pixels + std::size_t {bytesPerLine} * static_cast<std::size_t>(top + y);
        for (int x = 0; x < width; ++x) {
            const auto* pixel = reinterpret_cast<const unsigned char*>(row + (left + x) * 4);
            picture.setPixel(x, y, quorvo::gfx::argb(255, pixel[2], pixel[1], pixel[0]));
        }
    }
    return picture;
}

// A pixel of `area` that is bright red (the failed row's text), not the dark
// red of the other rows.
bool hasBrightRed(const quorvo::gfx::Surface& picture, int left, int top, int width, int height)
{
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x) {
            const quorvo::gfx::Argb colour = picture.pixel(x, y);
            const int red = static_cast<int>(colour >> 16 & 0xFF);
            const int green = static_cast<int>(colour >> 8 & 0xFF);
            if (red > 220 && green < 150)
                return true;
        }
    }
    return false;
}

class GuiEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (run("command -v Xvfb >/dev/null && command -v xdotool >/dev/null") != 0)
            GTEST_SKIP() << "Xvfb and xdotool are needed for the end-to-end GUI test";
        fs::copy_file(QUORVO_EXECUTABLE, m_dir.path() / "quorvo");
        fs::create_directories(m_dir.path() / "fb");
        // Other tests run their own servers at the same time: a number whose lock
        // exists is taken, and a server that exits at once lost the race for it.
        for (int attempt = 0; attempt < 20 && !(m_xvfb && m_xvfb->running()); ++attempt) {
            const int number = 90 + (::getpid() + attempt * 7) % 400;
            char lock[32];
            std::snprintf(lock, sizeof lock, "/tmp/.X%d-lock", number);
            if (fs::exists(lock))
                continue;
            char displayName[16];
            std::snprintf(displayName, sizeof displayName, ":%d", number);
            m_display = displayName;
            m_xvfb = std::make_unique<Child>(std::vector<std::string> {"Xvfb", m_display, "-screen", "0", "1024x768x24",
                                                                       "-nolisten", "tcp", "-fbdir",
                                                                       (m_dir.path() / "fb").string()},
                                             std::vector<std::string> {});
            const bool answers = run("for i in $(seq 100); do DISPLAY=" + m_display
                                     + " xdotool getmouselocation >/dev/null 2>&1 && exit 0;"
                                       " sleep 0.1; done; exit 1")
                == 0;
            if (!answers || !m_xvfb->running())
                m_xvfb.reset();
        }
        ASSERT_TRUE(m_xvfb) << "no X server of our own could be started";
    }

    void start(const std::string& config)
    {
        std::ofstream(m_dir.path() / "config.ini") << config;
        fs::create_directories(m_dir.path() / "Download");
        m_quorvo = std::make_unique<Child>(
            std::vector<std::string> {(m_dir.path() / "quorvo").string()},
            std::vector<std::string> {"DISPLAY=" + m_display, "QUORVO_API_HOST=" + m_server.host(),
                                      "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                      // A bare X server: no session bus, so no desktop folder chooser.
                                      "DBUS_SESSION_BUS_ADDRESS=", "XDG_RUNTIME_DIR="});
        ASSERT_EQ(run(xdotool() + "search --sync --onlyvisible --name Quorvo >/dev/null"), 0);
        // Wait until the window has been shown (the zoom-in effect ends).
        std::this_thread::sleep_for(700ms);
    }

    [[nodiscard]] std::string xdotool() const { return "DISPLAY=" + m_display + " xdotool "; }
    // A left click at window coordinates.
    void click(int x, int y)
    {
        ASSERT_EQ(run(xdotool() + "search --name Quorvo mousemove --window %1 " + std::to_string(x) + " "
                      + std::to_string(y) + " click 1"),
                  0);
        std::this_thread::sleep_for(200ms);
    }
    void type(const std::string& utf8) { ASSERT_EQ(run(xdotool() + "type --delay 60 '" + utf8 + "'"), 0); }
    void key(const std::string& name) { ASSERT_EQ(run(xdotool() + "key " + name), 0); }
    // Waits until the server has seen `count` requests to `path`.
    bool waitForRequests(std::string_view path, std::size_t count)
    {
        for (int i = 0; i < 400; ++i) {
            if (m_server.requestsTo(path).size() >= count)
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    // The window as the X server shows it (no window manager: it sits centred on the screen).
    quorvo::gfx::Surface screenshot(const std::string& name, int left = 307, int top = 59, int width = 410,
                                    int height = 650)
    {
        quorvo::gfx::Surface picture = readScreen(m_dir.path() / "fb" / "Xvfb_screen0", left, top, width, height);
        if (picture) {
            const fs::path directory = QUORVO_SCREENSHOT_DIR;
            fs::create_directories(directory);
            picture.writePng((directory / ("x11-" + name + ".png")).string());
        }
        return picture;
    }

    quorvo::test::ReferenceServer m_server;
    quorvo::test::TempDir m_dir;
    std::string m_display;
    std::unique_ptr<Child> m_xvfb;
    std::unique_ptr<Child> m_quorvo;
};

constexpr std::string_view searchPath = "/v1/restserver/vesk";

TEST_F(GuiEndToEnd, ChineseQuerySearchesOnceInGbkThenPagesShowResultsDownloadsAndSettings)
{
    // Downloads held at 150 KB/s so that they are still running for the pictures.
    start("[Main]\npath=" + (m_dir.path() / "Download").string()
          + "/\nsType=0\nlrc=1\nwav=0\nbypass=1\ndelete=0\nspeed=150\n");
    // The search box has the focus at start; xdotool types through a spare
    // keycode mapped to each character's keysym, which arrives as text input.
    type("你好");
    key("Return");
    ASSERT_TRUE(waitForRequests(searchPath, 1));
    std::this_thread::sleep_for(300ms);
    auto searches = m_server.requestsTo(searchPath);
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_NE(searches[0].target.find("query=%C4%E3%BA%C3&"), std::string::npos) << searches[0].target;

    // A song whose link reply is not JSON: its download row turns red.
    click(200, 102);
    for (int i = 0; i < 2; ++i)
        key("BackSpace");
    type("Broken Link Html");
    key("Return");
    ASSERT_TRUE(waitForRequests(searchPath, 2));
    std::this_thread::sleep_for(600ms);
    click(35, 622);   // 全选
    click(100, 620);  // the add button
    ASSERT_TRUE(waitForRequests("/app/link/getLinks.php", 1));

    // Sixty results, all ticked and added.
    click(200, 102);
    for (int i = 0; i < 16; ++i)
        key("BackSpace");
    type("a");
    key("Return");
    ASSERT_TRUE(waitForRequests(searchPath, 3));
    std::this_thread::sleep_for(1s);
    const quorvo::gfx::Surface search = screenshot("search");
    ASSERT_TRUE(search) << "the frame buffer file of Xvfb is not readable";
    click(35, 622);
    click(100, 620);
    // A song file is being fetched.
    bool transferring = false;
    for (int i = 0; i < 200 && !transferring; ++i) {
        for (const auto& entry : m_server.requestLog())
            transferring = transferring || entry.path().starts_with("/data2/music/");
        std::this_thread::sleep_for(50ms);
    }
    ASSERT_TRUE(transferring);

    click(205, 63);  // 下载
    std::this_thread::sleep_for(1500ms);
    const quorvo::gfx::Surface downloads = screenshot("download");
    // The failed row is the first one, drawn red.
    EXPECT_TRUE(hasBrightRed(downloads, 20, 117, 360, 18));
    EXPECT_FALSE(hasBrightRed(downloads, 20, 140, 360, 18));
    click(265, 63);  // 设置
    std::this_thread::sleep_for(600ms);
    const quorvo::gfx::Surface settings = screenshot("settings");
    // The browse button opens the window's own folder picker, centred over
    // it; "取消" leaves the stored folder as it was.
    const fs::path screen = m_dir.path() / "fb" / "Xvfb_screen0";
    const quorvo::gfx::Surface beforePicker = readScreen(screen, 362, 194, 300, 380);
    click(356, 148);
    std::this_thread::sleep_for(800ms);
    const quorvo::gfx::Surface picker = screenshot("folder-picker", 362, 194, 300, 380);
    EXPECT_NE(picker.encodePng(), beforePicker.encodePng()) << "no picker on the screen";
    const std::string config = quorvo::test::readWholeFile(m_dir.path() / "config.ini");
    click(55 + 247, 135 + 354);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(quorvo::test::readWholeFile(m_dir.path() / "config.ini"), config);
    EXPECT_NE(search.encodePng(), downloads.encodePng());
    EXPECT_NE(downloads.encodePng(), settings.encodePng());

    // One request per search, none from page switching.
    EXPECT_EQ(m_server.requestsTo(searchPath).size(), 3u);
    // SIGTERM ends it as closing does, without the question.
    EXPECT_TRUE(m_quorvo->running());
    EXPECT_EQ(m_quorvo->stop(), 0);
}

}  // namespace
