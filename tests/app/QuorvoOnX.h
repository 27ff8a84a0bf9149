#pragma once

// The program as a user meets it: quorvo on a private X desktop (bare Xvfb,
// or Xvfb with openbox) against the reference service, driven with xdotool
// and read back from the screen, config.ini, the service's request log and
// the files it writes. Every wait is for a state, with a limit.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "XDesktop.h"
#include "gfx/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace quorvo::app::test {

inline constexpr std::string_view searchPath = "/v1/restserver/vesk";

using quorvo::test::ScreenArea;
using quorvo::test::XDesktop;

inline std::string managerName(const ::testing::TestParamInfo<XDesktop::Manager>& info)
{
    return info.param == XDesktop::Manager::Openbox ? "Openbox" : "BareXvfb";
}

// Leaves a picture of the screen in the build tree (app-screenshots/x11-NAME.png).
inline void savePicture(const ScreenArea& area, const std::string& name)
{
    if (area.empty())
        return;
    gfx::Surface picture = gfx::Surface::create(area.width, area.height);
    for (int y = 0; y < area.height; ++y) {
        for (int x = 0; x < area.width; ++x)
            picture.setPixel(x, y, area.at(x, y));
    }
    const std::filesystem::path directory = QUORVO_SCREENSHOT_DIR;
    std::filesystem::create_directories(directory);
    picture.writePng((directory / ("x11-" + name + ".png")).string());
}

class QuorvoOnX : public ::testing::TestWithParam<XDesktop::Manager> {
protected:
    // Generous: two cores shared with other work.
    static constexpr std::chrono::seconds limit {30};

    // The desktop's scale the program draws at (QUORVO_SCALE). Every
    // coordinate the tests use stays in window coordinates; only the screen
    // is read and driven in device pixels.
    [[nodiscard]] virtual int desktopScale() const { return 1; }

    void SetUp() override
    {
        m_scale = desktopScale();
        std::string whyNot;
        m_desktop = XDesktop::start(GetParam(), whyNot, m_scale > 1 ? "2048x1536x24" : "1024x768x24");
        if (!m_desktop)
            GTEST_SKIP() << whyNot;
        namespace fs = std::filesystem;
        fs::copy_file(QUORVO_EXECUTABLE, m_dir.path() / "quorvo");
        fs::create_directories(m_dir.path() / "Download");
        // The desktop opener: records what it was asked to open.
        fs::create_directories(m_dir.path() / "bin");
        std::ofstream(m_dir.path() / "bin" / "xdg-open")
            << "#!/bin/sh\necho \"$1\" >> '" << (m_dir.path() / "opened.txt").string() << "'\n";
        fs::permissions(m_dir.path() / "bin" / "xdg-open", fs::perms::owner_all);
    }

    [[nodiscard]] std::string saveDirectory() const { return (m_dir.path() / "Download").string() + "/"; }
    [[nodiscard]] std::string config() const { return quorvo::test::readWholeFile(m_dir.path() / "config.ini"); }
    // What the program wrote to its error output.
    [[nodiscard]] std::string errors() const
    {
        return std::filesystem::exists(m_dir.path() / "quorvo.log")
            ? quorvo::test::readWholeFile(m_dir.path() / "quorvo.log")
            : std::string();
    }
    [[nodiscard]] std::string opened() const
    {
        return std::filesystem::exists(m_dir.path() / "opened.txt")
            ? quorvo::test::readWholeFile(m_dir.path() / "opened.txt")
            : std::string();
    }
    // What the completion sounds played so far (SDL's disk audio driver).
    [[nodiscard]] std::uintmax_t soundBytes() const
    {
        std::error_code error;
        const auto size = std::filesystem::file_size(m_dir.path() / "sound.raw", error);
        return error ? 0 : size;
    }
    bool configHas(const std::string& line)
    {
        return quorvo::test::waitFor([&] { return config().find("\n" + line + "\n") != std::string::npos; }, limit);
    }

    // Starts quorvo with `configText` and waits until its window is on the
    // screen and its opening effect has ended.
    void start(const std::string& configText, const std::vector<std::string>& environment = {})
    {
        std::ofstream(m_dir.path() / "config.ini") << configText;
        std::vector<std::string> entries {
            m_desktop->displayEntry(), "QUORVO_API_HOST=" + m_server.host(), "QUORVO_SCALE=" + std::to_string(m_scale),
            "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + (m_dir.path() / "sound.raw").string(),
            "PATH=" + (m_dir.path() / "bin").string() + ":" + std::getenv("PATH"),
            // No session bus: no desktop folder chooser, no input method.
            "DBUS_SESSION_BUS_ADDRESS=", "XDG_RUNTIME_DIR="};
        entries.insert(entries.end(), environment.begin(), environment.end());
        m_quorvo = quorvo::test::Program::start({(m_dir.path() / "quorvo").string()}, entries,
                                                (m_dir.path() / "quorvo.log").string());
        ASSERT_TRUE(m_quorvo);
        ASSERT_TRUE(quorvo::test::waitFor(
            [&] {
                // The window, not its tray icon (named by the same title).
                for (const unsigned long window : m_desktop->windowsNamed("^Quorvo")) {
                    const auto place = m_desktop->place(window);
                    if (place && place->width == 410 * m_scale && place->height == 650 * m_scale)
                        m_window = window;
                }
                return m_window != 0;
            },
            limit))
            << "no quorvo window";
        // Keys follow the pointer where no window manager gives the focus.
        ASSERT_EQ(m_desktop->xdotool({"mousemove", "--window", std::to_string(m_window), std::to_string(250 * m_scale),
                                      std::to_string(642 * m_scale)}),
                  0);
        // A window manager gives the new window the keyboard when it is ready to.
        if (GetParam() == XDesktop::Manager::Openbox) {
            ASSERT_TRUE(quorvo::test::waitFor([&] {
                std::string focused;
                return m_desktop->xdotool({"getwindowfocus"}, &focused) == 0
                    && std::strtoul(focused.c_str(), nullptr, 10) == m_window;
            })) << "openbox did not focus the window";
        }
        // The tabs stop changing once the opening effect is over.
        ASSERT_TRUE(settled(115, 41, 180, 45)) << "the window kept changing";
    }

    // The darkest pixel of the search box's text: its text (and caret) are
    // drawn paler while the box is disabled, during a search.
    [[nodiscard]] int searchBoxDarkest() const
    {
        const ScreenArea box = capture(10, 92, 360, 20);
        int darkest = box.empty() ? 0 : 255;
        for (const std::uint32_t pixel : box.pixels) {
            const auto luma
                = static_cast<int>(((pixel >> 16 & 0xFF) * 30 + (pixel >> 8 & 0xFF) * 59 + (pixel & 0xFF) * 11) / 100);
            darkest = std::min(darkest, luma);
        }
        return darkest;
    }
    // Waits until `count` searches reached the service and the last one has
    // ended: the search box was disabled while it ran and is enabled again,
    // and the result rows stand still.
    bool searched(std::size_t count)
    {
        const auto running = [&] { return searchBoxDarkest() >= 130; };
        return requests(searchPath, count) && quorvo::test::waitFor(running)
            && quorvo::test::waitFor([&] { return !running(); }) && settled(10, 116, 380, 450);
    }

    // The window's area in window coordinates, as on the screen (in device
    // pixels); empty when the window is not shown.
    [[nodiscard]] ScreenArea capture(int x, int y, int width, int height) const
    {
        const auto place = m_desktop->place(m_window);
        if (!place)
            return {};
        return m_desktop->capture(place->left + x * m_scale, place->top + y * m_scale, width * m_scale,
                                  height * m_scale);
    }
    // Waits until an area reads the same three times 50 ms apart.
    bool settled(int x, int y, int width, int height)
    {
        ScreenArea last;
        int same = 0;
        return quorvo::test::waitFor(
            [&] {
                ScreenArea now = capture(x, y, width, height);
                same = !now.empty() && now == last ? same + 1 : 0;
                last = std::move(now);
                return same >= 2;
            },
            limit);
    }
    // Waits until the pixels of an area (from windowArea) differ from
    // `before`. Only the pixels: `before` holds window coordinates, a fresh
    // capture screen coordinates.
    bool changes(const ScreenArea& before)
    {
        return !before.empty()
            && quorvo::test::waitFor(
                [&] {
                    const ScreenArea now
                        = capture(before.left, before.top, before.width / m_scale, before.height / m_scale);
                    return !now.empty() && now.width == before.width && now.height == before.height
                        && now.pixels != before.pixels;
                },
                limit);
    }
    // Waits until the pixels of an area (from windowArea) read as `before` again.
    bool readsAgain(const ScreenArea& before)
    {
        return !before.empty()
            && quorvo::test::waitFor(
                [&] {
                    const ScreenArea now
                        = capture(before.left, before.top, before.width / m_scale, before.height / m_scale);
                    return now.width == before.width && now.height == before.height && now.pixels == before.pixels;
                },
                limit);
    }
    [[nodiscard]] ScreenArea windowArea(int x, int y, int width, int height) const
    {
        ScreenArea area = capture(x, y, width, height);
        area.left = x;  // window coordinates, for changes()
        area.top = y;
        return area;
    }

    // A press and release at window coordinates, then the pointer rests where
    // it highlights nothing (no hover, no tooltip).
    void click(int x, int y, const std::string& button = "1") { clickIn(m_window, x, y, button); }
    // The same in another of the program's windows (a box, a picker).
    void clickIn(unsigned long window, int x, int y, const std::string& button = "1")
    {
        const std::string rest[] = {std::to_string(250 * m_scale), std::to_string(642 * m_scale)};
        ASSERT_EQ(m_desktop->xdotool({"mousemove", "--window", std::to_string(window), std::to_string(x * m_scale),
                                      std::to_string(y * m_scale), "click", button, "mousemove", "--window",
                                      std::to_string(m_window), rest[0], rest[1]}),
                  0);
    }
    // Keys go to the focused window; without a window manager the focus
    // follows the pointer, which rests on the window.
    void type(const std::string& utf8) { ASSERT_EQ(m_desktop->type(utf8), 0); }
    void key(const std::string& name) { ASSERT_EQ(m_desktop->xdotool({"key", name}), 0); }
    // Windows other than the main one that are showing now.
    [[nodiscard]] std::vector<unsigned long> otherWindows() const
    {
        std::vector<unsigned long> windows = m_desktop->windowsNamed(".");
        std::erase(windows, m_window);
        // Tooltips are not what a press opens.
        std::erase_if(windows, [&](unsigned long window) {
            const auto place = m_desktop->place(window);
            return !place || place->height < 40 * m_scale;
        });
        return windows;
    }
    // Waits for a window that `before` did not have; 0 when none came.
    unsigned long newWindow(const std::vector<unsigned long>& before)
    {
        unsigned long found = 0;
        quorvo::test::waitFor(
            [&] {
                for (const unsigned long window : otherWindows()) {
                    if (std::ranges::find(before, window) == before.end())
                        found = window;
                }
                return found != 0;
            },
            limit);
        return found;
    }
    bool requests(std::string_view path, std::size_t count)
    {
        return quorvo::test::waitFor([&] { return m_server.requestsTo(path).size() >= count; }, limit);
    }

    quorvo::test::TempDir m_dir;
    // Searches answered after a second, so that the search box is seen disabled while one runs.
    quorvo::test::ReferenceServer m_server {{"--fault-delay-ms", "1000", "--fault-on", "search"}};
    std::unique_ptr<XDesktop> m_desktop;
    std::unique_ptr<quorvo::test::Program> m_quorvo;
    unsigned long m_window = 0;
    int m_scale = 1;
};

}  // namespace quorvo::app::test
