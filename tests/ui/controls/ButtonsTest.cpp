#include "ui/controls/ControlImages.h"
#include "ui/controls/UiCaptionButtons.h"
#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiImageButton.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiLink.h"
#include "ui/controls/UiMessageBoxButton.h"
#include "ui/controls/UiRadioButton.h"
#include "ui/controls/UiSpinButton.h"
#include "ui/controls/UiTabButton.h"

#include "HostFixture.h"

#include "assets/Assets.h"

#include <algorithm>

using namespace quorvo;
using namespace quorvo::ui;
using quorvo::ui::test::HostTest;
using quorvo::ui::test::solidImage;

namespace {

Bytes asset(std::string_view name)
{
    return Bytes(assets::asStringView(assets::find(name)));
}

ImageStrip startStrip(int frames = 4)
{
    ImageStrip strip;
    strip.image = asset("button_start.png");
    strip.frameCount = frames;
    return strip;
}

HostOptions sized(int width, int height, unsigned captionFlags = 0)
{
    HostOptions options;
    options.width = width;
    options.height = height;
    options.captionFlags = captionFlags;
    return options;
}

// Every pixel of the control's surface equals the strip's frame at its origin.
::testing::AssertionResult showsFrame(const UiImageButton& button, int index)
{
    const gfx::Image strip = gfx::loadImage(button.strip().image);
    const int w = button.frameWidth();
    const gfx::Image frame = cutOutImage(strip, {float(index * w), 0, float(w), float(strip.height())});
    const gfx::Surface& surface = button.surface();
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < w; ++x) {
            if (surface.rawPixel(x, y) != frame.activeFrame().rawPixel(x, y))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is not frame " << index;
        }
    }
    return ::testing::AssertionSuccess();
}

struct ClickLog {
    std::vector<ControlKind> kinds;
    void attach(UiHost& host)
    {
        host.onClick = [this](UiControl&, ControlKind kind) { kinds.push_back(kind); };
    }
};

void countChanges(UiMarkButton& button, int& counter)
{
    button.onCheckedChanged = [&counter](bool) { ++counter; };
}

void countChanges(UiTabButton& tab, int& counter)
{
    tab.onSelectedChanged = [&counter](bool) { ++counter; };
}

}  // namespace

using ImageButtonTest = HostTest;

TEST_F(ImageButtonTest, EachStateShowsItsFrameAndDisabledShowsTheFourth)
{
    UiHost& host = makeHost();
    auto& button = host.add<UiImageButton>(FloatRect {10, 10, 20, 20}, startStrip());
    drain();
    ASSERT_EQ(button.frameWidth(), 20);
    button.paintIfNeeded();
    EXPECT_TRUE(showsFrame(button, 0));

    move(host, 15, 15);
    button.paintIfNeeded();
    EXPECT_EQ(button.state(), ButtonState::Hover);
    EXPECT_TRUE(showsFrame(button, 1));

    press(host, 15, 15);
    button.paintIfNeeded();
    EXPECT_EQ(button.state(), ButtonState::Pressed);
    EXPECT_TRUE(showsFrame(button, 2));
    release(host, 15, 15);

    button.setEnabled(false);
    button.paintIfNeeded();
    EXPECT_FALSE(button.drawsDimmedWhenDisabled());
    EXPECT_TRUE(showsFrame(button, 3));
}

TEST_F(ImageButtonTest, StripWithoutDisabledFrameIsDimmedByTheFramework)
{
    UiHost& host = makeHost();
    auto& button = host.add<UiImageButton>(FloatRect {10, 10, 40, 20}, startStrip(2));
    button.setEnabled(false);
    EXPECT_EQ(button.frameIndexFor(ButtonState::Normal), 0);
    EXPECT_TRUE(button.drawsDimmedWhenDisabled());
    EXPECT_EQ(button.frameWidth(), 40);
}

TEST_F(ImageButtonTest, ClickNeedsPressAndReleaseOnTheButton)
{
    UiHost& host = makeHost();
    ClickLog log;
    log.attach(host);
    auto& button = host.add<UiImageButton>(FloatRect {10, 10, 20, 20}, startStrip());
    int clicks = 0;
    button.onClick = [&clicks] { ++clicks; };
    drain();

    move(host, 15, 15);
    press(host, 15, 15);
    move(host, 100, 100, true);
    release(host, 100, 100);
    EXPECT_TRUE(log.kinds.empty()) << "released elsewhere";

    move(host, 100, 100);
    press(host, 100, 100);
    move(host, 15, 15, true);
    release(host, 15, 15);
    EXPECT_TRUE(log.kinds.empty()) << "pressed elsewhere";

    EXPECT_EQ(clicks, 0);

    clickAt(host, 15, 15);
    EXPECT_EQ(log.kinds, std::vector<ControlKind> {ControlKind::ImageButton});
    EXPECT_EQ(clicks, 1);
}

using TabButtonTest = HostTest;

TEST_F(TabButtonTest, PressingATabClearsItsSiblingsAndTheSelectedOneRaisesNothing)
{
    UiHost& host = makeHost(sized(300, 100));
    ClickLog log;
    log.attach(host);
    auto& search = host.add<UiTabButton>(FloatRect {10, 10, 60, 45}, "A", asset("tab_search.png"));
    auto& download = host.add<UiTabButton>(FloatRect {70, 10, 60, 45}, "B", asset("tab_download.png"));
    auto& settings = host.add<UiTabButton>(FloatRect {130, 10, 60, 45}, "C", asset("tab_settings.png"));
    int searchChanges = 0;
    int downloadChanges = 0;
    int settingsChanges = 0;
    countChanges(search, searchChanges);
    countChanges(download, downloadChanges);
    countChanges(settings, settingsChanges);
    search.select();
    drain();
    ASSERT_EQ(searchChanges, 1);

    clickAt(host, 100, 30);
    EXPECT_TRUE(download.isSelected());
    EXPECT_FALSE(search.isSelected());
    EXPECT_FALSE(settings.isSelected());
    EXPECT_EQ(searchChanges, 2);
    EXPECT_EQ(downloadChanges, 1);
    EXPECT_EQ(settingsChanges, 0);
    EXPECT_EQ(log.kinds, std::vector<ControlKind> {ControlKind::TabButton});

    clickAt(host, 100, 30);
    EXPECT_TRUE(download.isSelected());
    EXPECT_EQ(searchChanges + downloadChanges + settingsChanges, 3) << "the selected tab raised a change";

    settings.setSelected(true);
    EXPECT_FALSE(download.isSelected());
    EXPECT_EQ(settingsChanges, 1);
}

TEST_F(TabButtonTest, TabsUnderAnotherParentAreAGroupOfTheirOwn)
{
    UiHost& host = makeHost(sized(300, 100));
    auto& top = host.add<UiTabButton>(FloatRect {10, 10, 60, 45}, "A");
    auto& panel = host.add<UiTabButton>(FloatRect {200, 0, 100, 100}, "P");
    auto& inner = panel.add<UiTabButton>(FloatRect {210, 10, 60, 45}, "B");
    top.select();
    inner.select();
    EXPECT_TRUE(top.isSelected());
    EXPECT_TRUE(inner.isSelected());
}

using CheckBoxTest = HostTest;

TEST_F(CheckBoxTest, ClickTogglesAndEachToggleRaisesOneChange)
{
    UiHost& host = makeHost();
    ClickLog log;
    log.attach(host);
    auto& box = host.add<UiCheckBox>(FloatRect {10, 10, 120, 25}, "check");
    int changes = 0;
    // The change comes with the new value, and the click after it.
    std::vector<std::string> heard;
    box.onCheckedChanged = [&](bool checked) {
        ++changes;
        heard.push_back(checked ? "checked" : "cleared");
    };
    box.onClick = [&] { heard.push_back(box.isChecked() ? "click on checked" : "click on cleared"); };
    drain();

    clickAt(host, 20, 20);
    EXPECT_TRUE(box.isChecked());
    clickAt(host, 20, 20);
    EXPECT_FALSE(box.isChecked());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(heard, (std::vector<std::string> {"checked", "click on checked", "cleared", "click on cleared"}));
    EXPECT_EQ(log.kinds, (std::vector<ControlKind> {ControlKind::CheckBox, ControlKind::CheckBox}));

    box.setChecked(false);
    EXPECT_EQ(changes, 2) << "setting the same value raised a change";
    box.setChecked(true);
    EXPECT_EQ(changes, 3);
}

TEST(MarkButton, FramesFollowCheckedAndHighlight)
{
    EXPECT_EQ(UiMarkButton::markFrameX(false, ButtonState::Normal), 0);
    EXPECT_EQ(UiMarkButton::markFrameX(false, ButtonState::Focused), 0);
    EXPECT_EQ(UiMarkButton::markFrameX(false, ButtonState::Hover), 17);
    EXPECT_EQ(UiMarkButton::markFrameX(false, ButtonState::Pressed), 17);
    EXPECT_EQ(UiMarkButton::markFrameX(true, ButtonState::Normal), 34);
    EXPECT_EQ(UiMarkButton::markFrameX(true, ButtonState::Hover), 51);
}

using RadioButtonTest = HostTest;

TEST_F(RadioButtonTest, CheckingOneClearsOnlyItsOwnGroup)
{
    UiHost& host = makeHost(sized(300, 150));
    ClickLog log;
    log.attach(host);
    auto& a = host.add<UiRadioButton>(FloatRect {10, 10, 100, 25}, "a", 1);
    auto& b = host.add<UiRadioButton>(FloatRect {10, 40, 100, 25}, "b", 1);
    auto& c = host.add<UiRadioButton>(FloatRect {150, 10, 100, 25}, "c", 2);
    auto& d = host.add<UiRadioButton>(FloatRect {150, 40, 100, 25}, "d", 2);
    int aChanges = 0;
    int bChanges = 0;
    int otherChanges = 0;
    countChanges(a, aChanges);
    countChanges(b, bChanges);
    countChanges(c, otherChanges);
    countChanges(d, otherChanges);
    c.setChecked(true);
    otherChanges = 0;
    drain();

    clickAt(host, 20, 20);
    EXPECT_TRUE(a.isChecked());
    clickAt(host, 20, 50);
    EXPECT_TRUE(b.isChecked());
    EXPECT_FALSE(a.isChecked());
    EXPECT_EQ(aChanges, 2);
    EXPECT_EQ(bChanges, 1);
    EXPECT_TRUE(c.isChecked()) << "group 2 changed";
    EXPECT_FALSE(d.isChecked());
    EXPECT_EQ(otherChanges, 0);

    clickAt(host, 20, 50);
    EXPECT_TRUE(b.isChecked()) << "a checked radio button stays checked";
    EXPECT_EQ(aChanges + bChanges, 3) << "selecting the selected one raised a change";
    EXPECT_EQ(log.kinds.size(), 3u);
    EXPECT_EQ(log.kinds.back(), ControlKind::RadioButton);
}

// The 17 x 17 mark of a 25-pixel-high radio button equals the strip's frame at x.
::testing::AssertionResult showsMark(const UiRadioButton& radio, int x)
{
    const gfx::Image& strip = radioMarkStrip();
    for (int dy = 0; dy < 17; ++dy) {
        for (int dx = 0; dx < 17; ++dx) {
            if (radio.surface().rawPixel(5 + dx, 4 + dy) != strip.activeFrame().rawPixel(x + dx, dy))
                return ::testing::AssertionFailure() << "the mark is not the frame at x " << x;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST_F(RadioButtonTest, AKeyClickShowsThePressedMarkForOnePaint)
{
    UiHost& host = makeHost(sized(300, 150));
    auto& radio = host.add<UiRadioButton>(FloatRect {10, 10, 100, 25}, "a", 1);
    ASSERT_TRUE(radio.setFocus(true));
    drain();
    ASSERT_TRUE(showsMark(radio, 0));

    key(host, platform::Key::Space);
    drain();
    ASSERT_TRUE(radio.isChecked());
    EXPECT_TRUE(showsMark(radio, 51)) << "the click did not show the highlighted mark";
    radio.update();
    drain();
    EXPECT_TRUE(showsMark(radio, 34)) << "the pressed look outlived its paint";
}

class CaptionButtonTest : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        if (framework)
            installCaptionButtons(*framework);
    }

    UiHost& captionHost()
    {
        UiHost& host = makeHost(sized(410, 200, caption::Close | caption::Minimise | caption::Menu));
        host.onMessage = [this](const WindowRequest& request) {
            if (request.kind == WindowRequestKind::Close || request.kind == WindowRequestKind::Minimise) {
                requests.push_back(request.kind);
                return 0;
            }
            return notHandled;
        };
        return host;
    }

    UiCaptionButtons& button(UiHost& host, CaptionButtonKind kind)
    {
        for (UiControl* control : host.captionButtons()) {
            auto* caption = dynamic_cast<UiCaptionButtons*>(control);
            if (caption != nullptr && caption->buttonKind() == kind)
                return *caption;
        }
        throw std::runtime_error("no such caption button");
    }

    void clickOn(UiHost& host, const UiControl& control)
    {
        clickAt(host, int(control.left() + control.width() / 2), int(control.top() + control.height() / 2));
    }

    std::vector<WindowRequestKind> requests;
};

TEST_F(CaptionButtonTest, CloseAndMinimisePostTheirRequestsAndTheMenuOnlyClicks)
{
    UiHost& host = captionHost();
    ClickLog log;
    log.attach(host);
    ASSERT_EQ(host.captionButtons().size(), 3u);
    EXPECT_EQ(button(host, CaptionButtonKind::Close).width(), 39);
    EXPECT_EQ(button(host, CaptionButtonKind::Menu).width(), 28);

    clickOn(host, button(host, CaptionButtonKind::Close));
    pumpUntil([&] { return !requests.empty(); });
    clickOn(host, button(host, CaptionButtonKind::Minimise));
    pumpUntil([&] { return requests.size() >= 2; });
    clickOn(host, button(host, CaptionButtonKind::Menu));
    drain();
    EXPECT_EQ(requests, (std::vector<WindowRequestKind> {WindowRequestKind::Close, WindowRequestKind::Minimise}));
    EXPECT_EQ(log.kinds, std::vector<ControlKind>(3, ControlKind::CaptionButton));
    EXPECT_TRUE(host.isAlive());
}

TEST_F(CaptionButtonTest, ButtonsAreDrawnFromTheSkinsStrip)
{
    UiHost& bare = captionHost();
    EXPECT_EQ(button(bare, CaptionButtonKind::Close).surface().rawPixel(5, 5), 0u) << "no strip given: nothing drawn";
    framework->setSkin({.captionButtons = solidImage(4 * 39, 5 * 19, 0xFF00C800)});
    UiHost& host = captionHost();
    drain();
    EXPECT_EQ(button(host, CaptionButtonKind::Close).surface().pixel(5, 5), 0xFF00C800u);
    EXPECT_EQ(button(host, CaptionButtonKind::Menu).surface().pixel(5, 5), 0xFF00C800u);
}

TEST_F(CaptionButtonTest, DisabledButtonIgnoresClicks)
{
    UiHost& host = captionHost();
    button(host, CaptionButtonKind::Close).setEnabled(false);
    clickOn(host, button(host, CaptionButtonKind::Close));
    drain();
    EXPECT_TRUE(requests.empty());
}

using SpinButtonTest = HostTest;

// Opaque-ish pixels of the arrow in each row of the button, top to bottom.
static std::vector<int> arrowRows(const UiSpinButton& button)
{
    std::vector<int> rows;
    const gfx::Surface& surface = button.surface();
    for (int y = 0; y < surface.height(); ++y) {
        int count = 0;
        for (int x = 0; x < surface.width(); ++x)
            count += (surface.rawPixel(x, y) >> 24) > 150 ? 1 : 0;
        if (count > 0)
            rows.push_back(count);
    }
    return rows;
}

TEST_F(SpinButtonTest, ArrowsPointTheirWayAndAClickLeavesTheFocusWhereItWas)
{
    UiHost& host = makeHost();
    auto& other = host.add<UiButtonBase>(FloatRect {60, 10, 40, 20}, Text("ok"));
    auto& up = host.add<UiSpinButton>(FloatRect {10, 10, 23, 10}, SpinDirection::Up);
    auto& down = host.add<UiSpinButton>(FloatRect {10, 20, 23, 10}, SpinDirection::Down);
    int clicks = 0;
    up.bind(EventType::Click, [&] { ++clicks; });
    drain();
    up.paintIfNeeded();
    down.paintIfNeeded();
    const std::vector<int> upRows = arrowRows(up);
    ASSERT_GE(upRows.size(), 3u);
    EXPECT_TRUE(std::is_sorted(upRows.begin(), upRows.end())) << "the up arrow widens downwards";
    EXPECT_LT(upRows.front(), upRows.back());
    std::vector<int> downRows = arrowRows(down);
    std::reverse(downRows.begin(), downRows.end());
    EXPECT_EQ(downRows, upRows) << "down mirrors up";

    ASSERT_TRUE(host.setFocus(&other));
    const std::uint32_t idle = up.surface().rawPixel(0, 0);
    move(host, 15, 15);
    press(host, 15, 15);
    up.paintIfNeeded();
    EXPECT_GT(up.surface().rawPixel(0, 0) >> 24, idle >> 24) << "pressed is darker";
    release(host, 15, 15);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(host.focus(), &other);
}

using PressSweepTest = HostTest;

// A control that acts on a press must take the press; otherwise the host
// reads it as a press on the window's background and drags the window (the
// speed box's spin buttons were such a case). Every kind, made non-focusable.
TEST_F(PressSweepTest, EveryControlThatActsOnAPressTakesItInsteadOfDraggingTheWindow)
{
    UiHost& host = makeHost(sized(400, 80));
    std::vector<UiControl*> controls;
    const auto place = [&](int index) {
        return FloatRect {float(5 + (index % 8) * 48), float(5 + (index / 8) * 36), 40, 28};
    };
    controls.push_back(&host.add<UiButtonBase>(place(0), Text("ok")));
    controls.push_back(&host.add<UiCheckBox>(place(1), Text("c")));
    controls.push_back(&host.add<UiRadioButton>(place(2), Text("r"), 1));
    controls.push_back(&host.add<UiTabButton>(place(3), Text("t")));
    controls.push_back(&host.add<UiImageButton>(place(4), startStrip()));
    controls.push_back(&host.add<UiMessageBoxButton>(place(5), Text("y"), MessageBoxResult {}, 1));
    controls.push_back(&host.add<UiLink>(place(6), Text("link")));
    controls.push_back(&host.add<UiSpinButton>(place(8), SpinDirection::Up));
    // Plain controls that act on a press only through the program's handler.
    controls.push_back(&host.add<UiLabel>(place(7), Text("label")));
    int handled = 0;
    for (UiControl* control : controls) {
        control->setFocusable(false);
        control->bind(EventType::Click, [&handled] { ++handled; });
    }
    for (UiControl* control : controls) {
        const FloatRect r = control->rect();
        const int x = int(r.x + r.width / 2);
        const int y = int(r.y + r.height / 2);
        SCOPED_TRACE(int(control->kind()));
        move(host, x, y);
        press(host, x, y);
        // A press no control takes starts a window drag instead.
        EXPECT_TRUE(host.isPressActive()) << "the press went to the window";
        EXPECT_EQ(host.pressed(), control);
        const int before = handled;
        release(host, x, y);
        EXPECT_EQ(handled, before + 1) << "no click";
    }
}

TEST_F(PressSweepTest, APressOnNothingThatActsStillDragsTheWindow)
{
    UiHost& host = makeHost(sized(200, 80));
    host.add<UiLabel>(FloatRect {10, 10, 60, 20}, Text("label"));
    move(host, 20, 20);
    press(host, 20, 20);
    EXPECT_FALSE(host.isPressActive()) << "a label without a handler does not act on presses";
    release(host, 20, 20);
}
