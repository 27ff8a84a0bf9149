// The program's numbers survive the typed vocabulary, and nothing above the
// platform speaks in window messages.

#include "ui/core/Event.h"
#include "ui/core/EventDecoder.h"
#include "ui/core/UiMotion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace quorvo::ui::test {
namespace {

TEST(Vocabulary, EventTypesKeepTheProgramsNumbers)
{
    EXPECT_EQ(static_cast<int>(EventType::Click), 10244);
    EXPECT_EQ(static_cast<int>(EventType::DoubleClick), 515);
    EXPECT_EQ(static_cast<int>(EventType::KeyDown), 256);
    EXPECT_EQ(static_cast<int>(EventType::MouseDown), 513);
    EXPECT_EQ(static_cast<int>(EventType::MouseUp), 514);
    EXPECT_EQ(static_cast<int>(EventType::RightMouseUp), 517);
    EXPECT_EQ(static_cast<int>(EventType::FocusIn), 0x2800);
    EXPECT_EQ(static_cast<int>(EventType::MouseLeave), 0x2803);
    EXPECT_EQ(static_cast<int>(EventType::TransitionEnded), 0x2818);
    EXPECT_EQ(static_cast<int>(Key::Return), 13);
    EXPECT_EQ(static_cast<int>(Key::Tab), 9);
    EXPECT_EQ(platform::keyFor('c'), Key::C);
    EXPECT_EQ(static_cast<int>(Key::F12), 0x7B);
}

TEST(Vocabulary, ControlKindsKeepTheProgramsNumbers)
{
    EXPECT_EQ(static_cast<int>(ControlKind::CaptionButton), 1);
    EXPECT_EQ(static_cast<int>(ControlKind::Button), 2);
    EXPECT_EQ(static_cast<int>(ControlKind::Label), 3);
    EXPECT_EQ(static_cast<int>(ControlKind::Image), 4);
    EXPECT_EQ(static_cast<int>(ControlKind::Link), 5);
    EXPECT_EQ(static_cast<int>(ControlKind::List), 8);
    EXPECT_EQ(static_cast<int>(ControlKind::Edit), 9);
    EXPECT_EQ(static_cast<int>(ControlKind::CheckBox), 10);
    EXPECT_EQ(static_cast<int>(ControlKind::RadioButton), 11);
    EXPECT_EQ(static_cast<int>(ControlKind::ComboBox), 15);
    EXPECT_EQ(static_cast<int>(ControlKind::ScrollBar), 19);
    EXPECT_EQ(static_cast<int>(ControlKind::Panel), 21);
    EXPECT_EQ(static_cast<int>(ControlKind::MessageBoxButton), 23);
    EXPECT_EQ(static_cast<int>(ControlKind::ImageButton), 24);
    EXPECT_EQ(static_cast<int>(ControlKind::TabButton), 1112);
}

// The code of a source file without its comments (identifiers are what counts).
std::string withoutComments(const std::string& source)
{
    std::string code;
    code.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos) {
                break;
            }
        } else if (source.compare(i, 2, "/*") == 0) {
            i = source.find("*/", i + 2);
            if (i == std::string::npos) {
                break;
            }
            ++i;
            continue;
        }
        code += source[i];
    }
    return code;
}

// Every source file above the platform layer is free of the window-message
// vocabulary the framework once spoke.
TEST(Vocabulary, NothingAboveThePlatformSpeaksWindowMessages)
{
    namespace fs = std::filesystem;
    const fs::path src = fs::path(QUORVO_SOURCE_DIR) / "src";
    ASSERT_TRUE(fs::is_directory(src));
    // Spelt with classes so that a search of the tree for these names finds
    // only offenders, not this check.
    const std::regex forbidden(R"(\b([W]Param|[L]Param|[L]Result|[W]M_[A-Z]|[U]IM_[A-Z]|[M]K_[A-Z]|[V]K_[A-Z]))");
    std::vector<std::string> offenders;
    int scanned = 0;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (!entry.is_regular_file()) {
            continue;
        }
        const fs::path relative = fs::relative(entry.path(), src);
        const std::string name = relative.generic_string();
        const auto extension = entry.path().extension();
        if (extension != ".h" && extension != ".cpp") {
            continue;
        }
        if (name.starts_with("platform/")) {
            continue;
        }
        ++scanned;
        std::ifstream in(entry.path());
        std::stringstream text;
        text << in.rdbuf();
        const std::string content = withoutComments(text.str());
        if (std::smatch match; std::regex_search(content, match, forbidden)) {
            offenders.push_back(name + ": " + match.str());
        }
    }
    EXPECT_GT(scanned, 20);
    EXPECT_EQ(withoutComments("a // x\nb /* y */ c"), "a \nb  c");
    EXPECT_TRUE(offenders.empty()) << ::testing::PrintToString(offenders);
}

TEST(Motion, DeceleratesFromZeroToFourHundredInOneHundredMilliseconds)
{
    UiMotion motion(0, 0);
    motion.start(400, 0, std::chrono::milliseconds(100));
    const double expected[] = {144, 256, 336, 384, 400};
    for (const double x : expected) {
        motion.step(std::chrono::milliseconds(20));
        EXPECT_NEAR(motion.x(), x, 1e-9);
        EXPECT_EQ(static_cast<int>(motion.x() + 1e-9), static_cast<int>(x));
    }
    motion.step(std::chrono::milliseconds(20));
    EXPECT_NEAR(motion.x(), 400, 1e-9) << "the move is over: further steps change nothing";
    EXPECT_FALSE(motion.isMoving());
}

TEST(Motion, TenStepsOfTenEndAtTheTargetAndALongStepEndsTheMove)
{
    UiMotion motion(0, 0);
    motion.start(400, -200, std::chrono::milliseconds(100));
    for (int i = 0; i < 10; ++i) {
        motion.step(std::chrono::milliseconds(10));
    }
    EXPECT_NEAR(motion.x(), 400, 1e-9);
    EXPECT_NEAR(motion.y(), -200, 1e-9);
    UiMotion quick(10, 10);
    quick.start(20, 30, std::chrono::milliseconds(50));
    quick.step(std::chrono::milliseconds(500));
    EXPECT_NEAR(quick.x(), 20, 1e-9);
    EXPECT_NEAR(quick.y(), 30, 1e-9);
}

}  // namespace
}  // namespace quorvo::ui::test
