// Pinyin through a real input method: fcitx5 on a private session bus, the
// program under bare Xvfb and under openbox. The composition shows in the
// search box, underlined, while it is typed; the committed Chinese reaches
// the service as GBK. Skipped with a message where fcitx5 cannot start.

#include "QuorvoOnX.h"

#include <cstdlib>

namespace quorvo::app::test {
namespace {

// A pixel that stands out from what was there: drawn text or a line, not a
// change of shade in the background.
bool stroke(std::uint32_t before, std::uint32_t after)
{
    const auto luma = [](std::uint32_t c) {
        return static_cast<int>((c >> 16 & 0xFF) * 30 + (c >> 8 & 0xFF) * 59 + (c & 0xFF) * 11) / 100;
    };
    return std::abs(luma(before) - luma(after)) > 40;
}

// The longest run of stroke pixels in one row (a line drawn under the
// composed text), and the row it is in.
std::pair<int, int> longestChangedRun(const ScreenArea& before, const ScreenArea& after)
{
    std::pair<int, int> best {0, -1};
    for (int y = 0; y < after.height; ++y) {
        int run = 0;
        for (int x = 0; x < after.width; ++x) {
            run = stroke(before.at(x, y), after.at(x, y)) ? run + 1 : 0;
            if (run > best.first)
                best = {run, y};
        }
    }
    return best;
}

int changedPixels(const ScreenArea& before, const ScreenArea& after)
{
    int count = 0;
    for (std::size_t i = 0; i < after.pixels.size(); ++i)
        count += stroke(before.pixels[i], after.pixels[i]) ? 1 : 0;
    return count;
}

// Longer than any stroke of a character at the box's size, shorter than a
// line under two of them.
constexpr int underlineLength = 18;

using InputMethod = QuorvoOnX;

TEST_P(InputMethod, PinyinComposesInlineUnderlinedAndSearchesTheCommittedChineseInGbk)
{
    std::string whyNot;
    const auto method = quorvo::test::InputMethod::start(*m_desktop, whyNot);
    if (!method)
        GTEST_SKIP() << whyNot;
    start("[Main]\npath=" + saveDirectory() + "\nsType=0\nlrc=0\nwav=0\nbypass=0\ndelete=0\nspeed=0\n",
          method->environment());
    // The search box has the focus: quorvo's input context is focused, with pinyin on.
    ASSERT_TRUE(quorvo::test::waitFor([&] { return method->focusedState() == 2; }, limit))
        << "no focused input context with pinyin on:\n"
        << method->contexts();

    const auto box = [&] { return windowArea(8, 90, 394, 24); };
    // The empty box (its caret blinks: a one-pixel column, never a run in a row).
    const ScreenArea empty = box();
    for (const char* letter : {"n", "i", "h", "a", "o"})
        key(letter);
    // The composition is drawn in the box with a line under it.
    ScreenArea composing;
    std::pair<int, int> underline;
    const bool drawn = quorvo::test::waitFor(
        [&] {
            composing = box();
            underline = longestChangedRun(empty, composing);
            return !composing.empty() && underline.first >= underlineLength && underline.second >= 12;
        },
        limit);
    if (!composing.empty())
        savePicture(composing, "ime-composition");
    EXPECT_TRUE(drawn) << "no underlined composition in the search box (longest changed run " << underline.first
                       << " pixels, row " << underline.second << ")";
    // Nothing was searched while composing, and no Latin letter leaked into the box.
    EXPECT_TRUE(m_server.requestsTo(searchPath).empty());

    key("space");  // the first candidate, 你好
    ASSERT_TRUE(quorvo::test::waitFor([&] {
        const ScreenArea now = box();
        return !now.empty() && longestChangedRun(empty, now).first < underlineLength && changedPixels(empty, now) >= 40;
    })) << "the composition did not end in committed text";
    key("Return");
    ASSERT_TRUE(requests(searchPath, 1)) << "Enter sent no search";
    const auto searches = m_server.requestsTo(searchPath);
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_NE(searches[0].target.find("query=%C4%E3%BA%C3&"), std::string::npos) << searches[0].target;
}

INSTANTIATE_TEST_SUITE_P(Desktops, InputMethod, ::testing::Values(XDesktop::Manager::None, XDesktop::Manager::Openbox),
                         managerName);

}  // namespace
}  // namespace quorvo::app::test
