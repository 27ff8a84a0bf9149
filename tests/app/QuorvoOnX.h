#pragma once

// The program as a user meets it: quorvo on a private X desktop (bare Xvfb,
// or Xvfb with openbox) against the reference service, driven with xdotool
// and read back from the screen, config.ini, the service's request log and
// the files it writes. Every wait is for a state, with a limit.

#include "ReferenceServer.h"
#include "TempDir.h"
#include "XDesktop.h"

#include <gtest/gtest.h>

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

class QuorvoOnX : public ::testing::TestWithParam<XDesktop::Manager> {
protected:
    // Generous: two cores shared with other work.
    static constexpr std::chrono::seconds limit {30};

    void SetUp() override
    {
        std::string whyNot;
        m_desktop = XDesktop::start(GetParam(), whyNot);
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
        std::vector<std::string> entries {m_desktop->displayEntry(), "QUORVO_API_HOST=" + m_server.host(),
                                          "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=disk",
                                          "SDL_DISKAUDIOFILE=" + (m_dir.path() / "sound.raw").string(),
                                          "PATH=" + (m_dir.path() / "bin").string() + ":" + std::getenv("PATH"),
                                          // No session bus: no desktop folder chooser, no input method.
                                          "DBUS_SESSION_BUS_ADDRESS=", "XDG_RUNTIME_DIR="};
        entries.insert(entries.end(), environment.begin(), environment.end());
        m_quorvo = quorvo::test::Program::start({(m_dir.path() / "quorvo").string()}, entries);
        ASSERT_TRUE(m_quorvo);
        ASSERT_TRUE(quorvo::test::waitFor(
            [&] {
                const auto windows = m_desktop->windowsNamed("^Quorvo");
                if (windows.size() != 1)
                    return false;
                m_window = windows[0];
                return m_desktop->place(m_window).has_value();
            },
            limit))
            << "no quorvo window";
        // The tabs stop changing once the opening effect is over.
        ASSERT_TRUE(settled(115, 41, 180, 45)) << "the window kept changing";
        m_idleBar = windowArea(8, 87, 394, 3);
    }

    // Waits until `count` searches reached the service and the last one has
    // been shown: its progress bar (the strip above the search box) is gone
    // and the result rows stand still.
    bool searched(std::size_t count)
    {
        return requests(searchPath, count) && quorvo::test::waitFor([&] {
                   const ScreenArea bar = windowArea(8, 87, 394, 3);
                   return bar == m_idleBar;
               })
            && settled(10, 116, 380, 450);
    }

    // The window's area in window coordinates, as on the screen; empty when the window is not shown.
    [[nodiscard]] ScreenArea capture(int x, int y, int width, int height) const
    {
        const auto place = m_desktop->place(m_window);
        if (!place)
            return {};
        return m_desktop->capture(place->left + x, place->top + y, width, height);
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
    // Waits until an area differs from `before`.
    bool changes(const ScreenArea& before)
    {
        return quorvo::test::waitFor(
            [&] {
                const ScreenArea now = capture(before.left, before.top, before.width, before.height);
                return !now.empty() && now != before;
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
    void click(int x, int y, const std::string& button = "1")
    {
        ASSERT_EQ(
            m_desktop->xdotool({"mousemove", "--window", std::to_string(m_window), std::to_string(x), std::to_string(y),
                                "click", button, "mousemove", "--window", std::to_string(m_window), "250", "642"}),
            0);
    }
    // Keys go to the focused window; without a window manager the focus
    // follows the pointer, which rests on the window.
    void type(const std::string& utf8) { ASSERT_EQ(m_desktop->xdotool({"type", "--delay", "30", utf8}), 0); }
    void key(const std::string& name) { ASSERT_EQ(m_desktop->xdotool({"key", name}), 0); }
    bool requests(std::string_view path, std::size_t count)
    {
        return quorvo::test::waitFor([&] { return m_server.requestsTo(path).size() >= count; }, limit);
    }

    quorvo::test::TempDir m_dir;
    quorvo::test::ReferenceServer m_server;
    std::unique_ptr<XDesktop> m_desktop;
    std::unique_ptr<quorvo::test::Program> m_quorvo;
    unsigned long m_window = 0;
    ScreenArea m_idleBar;
};

}  // namespace quorvo::app::test
