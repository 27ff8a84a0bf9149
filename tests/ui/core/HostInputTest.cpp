// Mouse and keyboard routing through a real host: hit testing, capture,
// clicks, double clicks, Tab, Enter/Space, mnemonics, focus order, the hook.

#include "HostFixture.h"

#include "ui/core/UiButtonBase.h"
#include "ui/core/UiPanel.h"

#include "platform/window/WindowEvent.h"

#include <algorithm>

namespace quorvo::ui::test {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> only(const std::vector<std::string>& journal, std::string_view suffix)
{
    std::vector<std::string> result;
    for (const auto& line : journal) {
        if (line.ends_with(suffix)) {
            result.push_back(line);
        }
    }
    return result;
}

TEST_F(HostTest, HitTestingPrefersLaterControlsAndDescendsIntoChildren)
{
    UiHost& host = makeHost();
    auto& under = host.add<Probe>(FloatRect {10, 10, 100, 100}, "under", journal);
    auto& over = host.add<Probe>(FloatRect {50, 50, 100, 80}, "over", journal);
    auto& child = over.add<Probe>(FloatRect {60, 60, 20, 20}, "child", journal);
    auto& hidden = host.add<Probe>(FloatRect {0, 0, 200, 150}, "hidden", journal);
    hidden.setVisible(false);

    EXPECT_EQ(host.hitTest({20, 20}), &under);
    EXPECT_EQ(host.hitTest({55, 55}), &over);
    EXPECT_EQ(host.hitTest({65, 65}), &child);
    EXPECT_EQ(host.hitTest({190, 140}), nullptr);
    // Half-open: the right and bottom edges are outside.
    EXPECT_EQ(host.hitTest({150, 60}), nullptr);

    over.setEnabled(false);
    EXPECT_EQ(host.hitTest({65, 65}), &under) << "a disabled control and its children are skipped";

    journal.clear();
    press(host, 20, 20);
    release(host, 20, 20);
    EXPECT_THAT(only(journal, "Click"), ElementsAre("under:Click"));
}

TEST_F(HostTest, PressCapturesAndClicksOnlyOverThePressedControl)
{
    UiHost& host = makeHost();
    auto& a = host.add<Probe>(FloatRect {10, 10, 50, 50}, "a", journal);
    auto& b = host.add<Probe>(FloatRect {100, 10, 50, 50}, "b", journal);
    std::vector<std::string> clicks;
    host.onClick = [&](UiControl& control, ControlKind) { clicks.push_back(&control == &a ? "a" : "b"); };
    int releases = 0;
    host.onRelease = [&](UiControl* control, ControlKind) {
        EXPECT_EQ(control, nullptr);
        ++releases;
    };

    move(host, 20, 20);
    press(host, 20, 20);
    EXPECT_EQ(host.pressed(), &a);
    EXPECT_TRUE(host.isPressActive());
    journal.clear();
    // While pressed, moves over b still go to a, and b hears nothing.
    move(host, 120, 20, true);
    EXPECT_THAT(journal, ElementsAre("a:Move"));
    journal.clear();
    release(host, 120, 20);
    EXPECT_THAT(journal, ElementsAre("a:Up", "a:Leave", "b:Enter"));
    EXPECT_TRUE(clicks.empty()) << "released elsewhere: no click";
    EXPECT_EQ(releases, 1);
    EXPECT_FALSE(host.isPressActive());
    EXPECT_EQ(host.hover(), &b);

    journal.clear();
    press(host, 120, 20);
    release(host, 125, 25);
    EXPECT_THAT(journal, ElementsAre("a:FocusOut", "b:FocusIn", "b:Down", "b:Up", "b:Click"));
    EXPECT_THAT(clicks, ElementsAre("b"));
    (void)b;
}

TEST_F(HostTest, DoubleClickArrivesAsSecondPressAndTriggers515)
{
    UiHost& host = makeHost();
    auto& target = host.add<Probe>(FloatRect {10, 10, 50, 50}, "t", journal);
    int bound = 0;
    int pressBound = 0;
    target.bind(EventType::DoubleClick, [&](const Event& event) {
        EXPECT_EQ(event.type(), EventType::MouseDown);
        EXPECT_TRUE(static_cast<const MouseEvent&>(event).isDoubleClick());
        ++bound;
    });
    target.bind(EventType::MouseDown, [&] { ++pressBound; });
    int callbacks = 0;
    host.onDoubleClick = [&](UiControl& control, ControlKind kind) {
        EXPECT_EQ(&control, &target);
        EXPECT_EQ(kind, ControlKind::Button);
        ++callbacks;
    };

    press(host, 20, 20, 1);
    release(host, 20, 20);
    press(host, 20, 20, 2);
    release(host, 20, 20);
    EXPECT_EQ(static_cast<int>(EventType::DoubleClick), 515);
    EXPECT_EQ(bound, 1);
    EXPECT_EQ(pressBound, 1) << "the double-click binding answers the second press";
    EXPECT_EQ(callbacks, 1);
    EXPECT_THAT(only(journal, "Down"), ElementsAre("t:Down", "t:DoubleDown"));
}

// The pages are panels holding their controls: Tab must walk into them, or
// it never comes back to the search box once it left it.
TEST_F(HostTest, TabWalksEveryFocusableControlOfTheTreeAndComesBackRound)
{
    UiHost& host = makeHost();
    auto& first = host.add<Probe>(FloatRect {0, 0, 10, 10}, "first", journal);
    auto& page = host.add<UiPanel>(FloatRect {20, 0, 100, 100});
    auto& inner = page.add<Probe>(FloatRect {20, 0, 10, 10}, "inner", journal);
    auto& second = page.add<Probe>(FloatRect {40, 0, 10, 10}, "second", journal);
    auto& hiddenPage = host.add<UiPanel>(FloatRect {20, 0, 100, 100});
    hiddenPage.add<Probe>(FloatRect {20, 20, 10, 10}, "onHiddenPage", journal);
    hiddenPage.setVisible(false);
    auto& disabled = host.add<Probe>(FloatRect {40, 40, 10, 10}, "disabled", journal);
    disabled.setEnabled(false);
    auto& hidden = host.add<Probe>(FloatRect {60, 60, 10, 10}, "hidden", journal);
    hidden.setVisible(false);
    auto& last = host.add<Probe>(FloatRect {80, 80, 10, 10}, "last", journal);

    std::vector<UiControl*> visited;
    for (int i = 0; i < 5; ++i) {
        key(host, platform::Key::Tab);
        visited.push_back(host.focus());
    }
    EXPECT_EQ(visited, (std::vector<UiControl*> {&first, &inner, &second, &last, &first}))
        << "panels, hidden pages, disabled and hidden controls are passed over";
    EXPECT_EQ(host.keyboardFocusMarker(), &first);
    key(host, platform::Key::Tab, {.shift = true});
    EXPECT_EQ(host.focus(), &last) << "Shift+Tab walks back";
    key(host, platform::Key::Tab, {.shift = true});
    EXPECT_EQ(host.focus(), &second);
    // From a panel that took the focus by a press, Tab goes on into it.
    ASSERT_TRUE(page.setFocus());
    key(host, platform::Key::Tab);
    EXPECT_EQ(host.focus(), &inner);
}

TEST_F(HostTest, TabWithNothingFocusableLeavesFocusUnchanged)
{
    UiHost& host = makeHost();
    auto& a = host.add<Probe>(FloatRect {0, 0, 10, 10}, "a", journal, false);
    auto& panel = host.add<UiPanel>(FloatRect {20, 0, 100, 100});
    panel.setFocusable(false);
    auto& child = panel.add<Probe>(FloatRect {20, 0, 10, 10}, "child", journal, false);
    key(host, platform::Key::Tab);
    EXPECT_EQ(host.focus(), nullptr);
    child.setFocusable(true);
    key(host, platform::Key::Tab);
    EXPECT_EQ(host.focus(), &child);
    key(host, platform::Key::Tab);
    EXPECT_EQ(host.focus(), &child) << "the only Tab stop keeps the focus";
    (void)a;
}

TEST_F(HostTest, EnterAndSpaceClickTheFocusControlUnlessItTakesTheKey)
{
    UiHost& host = makeHost();
    auto& target = host.add<Probe>(FloatRect {0, 0, 10, 10}, "t", journal);
    int clicks = 0;
    host.onClick = [&](UiControl&, ControlKind) { ++clicks; };
    ASSERT_TRUE(target.setFocus());
    key(host, platform::Key::Return);
    key(host, platform::Key::Space);
    EXPECT_EQ(only(journal, "KeyClick").size(), 2u);
    EXPECT_EQ(clicks, 2);
    target.acceptKeys = true;
    key(host, platform::Key::Return);
    EXPECT_EQ(clicks, 2) << "a control that handles the key keeps it";
}

TEST_F(HostTest, FocusEventsArriveInOrder)
{
    UiHost& host = makeHost();
    auto& a = host.add<Probe>(FloatRect {10, 10, 50, 50}, "a", journal);
    auto& b = host.add<Probe>(FloatRect {100, 10, 50, 50}, "b", journal);
    host.onFocusLost = [&](UiControl& c, ControlKind) { journal.push_back(&c == &a ? "lost:a" : "lost:b"); };
    host.onFocusGained = [&](UiControl& c, ControlKind) { journal.push_back(&c == &a ? "gained:a" : "gained:b"); };
    host.onPress = [&](UiControl& c, ControlKind) { journal.push_back(&c == &a ? "press:a" : "press:b"); };
    press(host, 20, 20);
    release(host, 20, 20);
    journal.clear();
    press(host, 120, 20);
    EXPECT_THAT(journal, ElementsAre("a:Leave", "press:b", "a:FocusOut", "lost:a", "b:FocusIn", "gained:b", "b:Down"));
    release(host, 120, 20);
    EXPECT_EQ(host.focus(), &b);
    EXPECT_EQ(host.keyboardFocusMarker(), nullptr) << "focus moved by the mouse";
}

TEST_F(HostTest, NonFocusableControlsTakeThePressOnlyWhenTheyAskForIt)
{
    UiHost& host = makeHost();
    auto& label = host.add<Probe>(FloatRect {10, 10, 50, 50}, "label", journal, false);
    press(host, 20, 20);
    EXPECT_FALSE(host.isPressActive()) << "the press is left to the window (dragging it)";
    release(host, 20, 20);
    label.takesPress = true;
    press(host, 20, 20);
    EXPECT_TRUE(host.isPressActive());
    EXPECT_EQ(host.focus(), nullptr) << "taking the press does not take the focus";
    release(host, 20, 20);
}

class MnemonicButton final : public UiButtonBase {
public:
    using UiButtonBase::UiButtonBase;
};

TEST_F(HostTest, MnemonicClicksWithAltAndFollowsTheCaption)
{
    UiHost& host = makeHost();
    auto& yes = host.add<MnemonicButton>(FloatRect {10, 10, 60, 24}, Text("\xCA\xC7(&Y)"));
    int clicks = 0;
    yes.bind(EventType::Click, [&] { ++clicks; });
    key(host, 'Y', {.alt = true});
    EXPECT_EQ(clicks, 1) << "Alt+y clicks the button whose caption marks Y";
    key(host, 'Y');
    EXPECT_EQ(clicks, 1) << "without Alt it is plain typing";
    yes.setCaption("OK");
    key(host, 'Y', {.alt = true});
    EXPECT_EQ(clicks, 1) << "a caption without & removes the mnemonic";
    yes.setCaption("&Go");
    yes.setEnabled(false);
    key(host, 'G', {.alt = true});
    EXPECT_EQ(clicks, 1) << "a disabled control is not clicked";
    yes.setEnabled(true);
    key(host, 'G', {.alt = true});
    EXPECT_EQ(clicks, 2);
}

// Keys read in one turn each keep the modifiers they were typed with: Shift
// let go between two Homes must not take the Shift from the first.
TEST_F(HostTest, KeysReadTogetherKeepTheirOwnModifiers)
{
    UiHost& host = makeHost();
    auto& box = host.add<Probe>(FloatRect {10, 10, 50, 20}, "box", journal);
    box.acceptKeys = true;
    ASSERT_TRUE(host.setFocus(&box));
    std::vector<bool> shifted;
    box.bind(EventType::KeyDown, [&](const Event& event) {
        const auto& pressed = static_cast<const KeyEvent&>(event);
        if (pressed.key() == Key::Home) {
            shifted.push_back(pressed.modifiers().shift);
        }
    });
    namespace synthetic = platform::synthetic;
    synthetic::key(loop(), host.window(), platform::Key::Shift, true, {.shift = true});
    synthetic::key(loop(), host.window(), platform::Key::Home, true, {.shift = true});
    synthetic::key(loop(), host.window(), platform::Key::Home, false, {.shift = true});
    synthetic::key(loop(), host.window(), platform::Key::Shift, false);
    synthetic::key(loop(), host.window(), platform::Key::Home, true);
    drain();
    EXPECT_EQ(shifted, (std::vector<bool> {true, false}));
}

TEST_F(HostTest, HookAnsweringZeroKeepsTheWindowOnClose)
{
    UiHost& host = makeHost();
    std::vector<WindowRequestKind> seen;
    int answer = 0;
    host.onMessage = [&](const WindowRequest& request) {
        seen.push_back(request.kind);
        return request.kind == WindowRequestKind::Close ? answer : notHandled;
    };
    host.requestClose();
    drain();
    EXPECT_TRUE(host.isAlive());
    EXPECT_TRUE(loop().isVisible(host.window())) << "kept, and no close effect hid it";
    answer = notHandled;
    host.requestClose();
    drain();
    EXPECT_FALSE(host.isAlive());
    EXPECT_TRUE(std::find(seen.begin(), seen.end(), WindowRequestKind::Destroy) != seen.end());
}

TEST_F(HostTest, WindowRequestsReachTheHookTyped)
{
    UiHost& host = makeHost();
    std::vector<WindowRequest> seen;
    host.onMessage = [&](const WindowRequest& request) {
        seen.push_back(request);
        return 0;
    };
    WindowRequest tray;
    tray.kind = WindowRequestKind::TrayNotification;
    tray.trayEvent = EventType::RightMouseUp;
    host.postWindowRequest(tray);
    WindowRequest command;
    command.kind = WindowRequestKind::Command;
    command.command = 102;
    host.postWindowRequest(command);
    host.minimise();
    drain();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].kind, WindowRequestKind::TrayNotification);
    EXPECT_EQ(seen[0].trayEvent, EventType::RightMouseUp);
    EXPECT_EQ(seen[1].command, 102);
    EXPECT_EQ(seen[2].kind, WindowRequestKind::Minimise);
    EXPECT_FALSE(loop().isMinimised(host.window())) << "the hook answered: the host did not minimise";
    // A release on the platform's tray icon is the same typed request.
    const DecodedEvent released = decodeEvent(platform::TrayIconReleased {platform::MouseButton::Right});
    ASSERT_TRUE(std::holds_alternative<WindowRequest>(released));
    EXPECT_EQ(std::get<WindowRequest>(released).kind, WindowRequestKind::TrayNotification);
    EXPECT_EQ(std::get<WindowRequest>(released).trayEvent, EventType::RightMouseUp);
}

TEST_F(HostTest, DestroyingTheFocusedAndHoveredControlClearsTheHost)
{
    UiHost& host = makeHost();
    auto& a = host.add<Probe>(FloatRect {10, 10, 50, 50}, "a", journal);
    move(host, 20, 20);
    ASSERT_TRUE(a.setFocus());
    EXPECT_EQ(host.hover(), &a);
    // Destroying from the control's own handler is safe: the object lives until the event is done.
    a.bind(EventType::Click, [](UiControl& control, const Event&) { control.destroy(); });
    press(host, 20, 20);
    release(host, 20, 20);
    EXPECT_EQ(host.focus(), nullptr);
    EXPECT_EQ(host.hover(), nullptr);
    EXPECT_EQ(host.pressed(), nullptr);
    EXPECT_TRUE(host.controls().empty());
}

TEST_F(HostTest, BindingAgainReplacesAndChildHandlersGetTheParentFirst)
{
    UiHost& host = makeHost();
    auto& panel = host.add<UiPanel>(FloatRect {0, 0, 100, 100});
    auto& child = panel.add<Probe>(FloatRect {10, 10, 20, 20}, "c", journal);
    std::vector<std::string> calls;
    child.bind(EventType::Click, [&] { calls.push_back("first"); });
    child.bind(EventType::Click, [&](UiControl* parent, UiControl& control, const Event&) {
        EXPECT_EQ(parent, &panel);
        EXPECT_EQ(&control, &child);
        calls.push_back("second");
    });
    clickAt(host, 15, 15);
    EXPECT_THAT(calls, ElementsAre("second"));
}

}  // namespace
}  // namespace quorvo::ui::test
