// End to end on a private Xvfb with xdotool: Chinese typed into one box,
// selected with the mouse, copied, and pasted into another. Skipped without
// Xvfb or xdotool.

#include "PumpUntil.h"
#include "XvfbServer.h"

#include "ui/controls/UiEdit.h"
#include "ui/core/UiFramework.h"
#include "ui/core/UiHost.h"

#include "platform/window/EventLoop.h"
#include "runtime/Encoding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quorvo::ui::test {
namespace {

using namespace std::chrono_literals;
using platform::test::XvfbServer;

class EditX11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = XvfbServer::startWithXdotool(whyNot); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server)
            GTEST_SKIP() << whyNot;
        server->useForSdl();
        std::string error;
        framework = UiFramework::create(&error);
        ASSERT_TRUE(framework) << error;
    }
    void TearDown() override { framework.reset(); }

    template <typename Predicate> bool pumpUntil(Predicate done, std::chrono::milliseconds limit = 5s)
    {
        return quorvo::test::pumpUntil(
            done,
            [this] {
                framework->processPending();
                std::this_thread::sleep_for(2ms);
            },
            limit);
    }

    // xdotool steps run on a worker while this thread keeps the loop going.
    void drive(const std::vector<std::vector<std::string>>& steps)
    {
        EXPECT_TRUE(platform::test::driveWithXdotool(
            steps, [this] { framework->processPending(); }, 20s));
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
