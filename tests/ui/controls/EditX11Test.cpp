// End to end on a private Xvfb with xdotool: Chinese typed into one box,
// selected with the mouse, copied, and pasted into another. Skipped without
// Xvfb or xdotool.

#include "XvfbServer.h"

#include "ui/controls/UiEdit.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace quorvo::ui::test {
namespace {

using namespace std::chrono_literals;
using platform::test::runProgram;
using platform::test::XvfbServer;

class EditX11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server = XvfbServer::start(whyNot);
        if (server) {
            ::setenv("DISPLAY", server->display().c_str(), 1);
            if (runProgram({"xdotool", "getmouselocation"}) != 0) {
                server.reset();
                whyNot = "xdotool is not installed";
            }
        }
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << whyNot;
        ::setenv("DISPLAY", server->display().c_str(), 1);
        ::setenv("SDL_VIDEODRIVER", "x11", 1);
        std::string error;
        framework = UiFramework::create(&error);
        ASSERT_TRUE(framework) << error;
    }
    void TearDown() override { framework.reset(); }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 5s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            framework->processPending();
            std::this_thread::sleep_for(2ms);
        }
        return true;
    }

    // xdotool steps run on a worker while this thread keeps the loop going.
    void drive(const std::vector<std::vector<std::string>>& steps)
    {
        bool finished = false;
        std::jthread driver([&] {
            for (const auto& step : steps) {
                if (step.size() == 2 && step[0] == "sleep") {
                    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(step[1].c_str())));
                    continue;
                }
                std::vector<std::string> command {"xdotool"};
                command.insert(command.end(), step.begin(), step.end());
                EXPECT_EQ(runProgram(command), 0);
            }
            framework->loop().post([&] { finished = true; });
        });
        EXPECT_TRUE(pumpUntil([&] { return finished; }, 20s));
    }

    static inline std::unique_ptr<XvfbServer> server;
    static inline std::string whyNot;
    std::unique_ptr<UiFramework> framework;
};

TEST_F(EditX11Test, TypeSelectWithTheMouseCopyAndPasteIntoAnotherBox)
{
    HostOptions options;
    options.captionFlags = 0;
    options.position = IntPoint {100, 100};
    options.width = 300;
    options.height = 120;
    options.dragAnywhere = false;
    options.backgroundColour = 0x00C68630;
    UiHost host(*framework, options);
    UiEdit& source = host.add<UiEdit>(FloatRect {10, 10, 250, 26});
    UiEdit& target = host.add<UiEdit>(FloatRect {10, 60, 250, 26});
    host.show();
    framework->loop().setFocus(host.window());
    ASSERT_TRUE(pumpUntil([&] { return framework->loop().focusedWindow() == host.window(); }));

    // The first remapping of a key for a character outside the keymap can
    // race the client's keymap refresh; warm it up, then start afresh.
    drive({{"mousemove", "130", "123"}, {"click", "1"}, {"type", "--delay", "60", "中"}, {"sleep", "150"}});
    source.setEditText({});
    drive({{"type", "--delay", "150", "ab你好"}, {"sleep", "200"}});
    const Text typed = source.editText();
    ASSERT_FALSE(typed.empty());
    EXPECT_TRUE(typed == encoding::fromUtf8("ab你好") || typed.view().starts_with("ab"))
        << encoding::toUtf8(typed.view());

    // Drag from the text's start to well past its end, copy, paste below.
    const IntPoint start = source.pointOf({1, 0});
    drive({{"mousemove", std::to_string(100 + start.x), "123"},
           {"mousedown", "1"},
           {"mousemove", std::to_string(100 + 240), "124"},
           {"mouseup", "1"},
           {"sleep", "100"},
           {"key", "ctrl+c"},
           {"mousemove", "130", "173"},
           {"click", "1"},
           {"key", "ctrl+v"},
           {"sleep", "200"}});
    EXPECT_EQ(source.selectedText(), typed);
    ASSERT_TRUE(pumpUntil([&] { return target.editText() == typed; }))
        << "pasted \"" << encoding::toUtf8(target.editText().view()) << "\"";
}

}  // namespace
}  // namespace quorvo::ui::test
