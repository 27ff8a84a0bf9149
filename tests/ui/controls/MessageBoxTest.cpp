#include "ui/controls/UiCheckBox.h"
#include "ui/controls/UiLabel.h"
#include "ui/controls/UiMessageBox.h"
#include "ui/controls/UiMessageBoxButton.h"

#include "HostFixture.h"

#include "gfx/Font.h"
#include "gfx/Painter.h"
#include "gfx/TextPainter.h"

using namespace quorvo;
using namespace quorvo::ui;
using quorvo::ui::test::HostTest;
namespace synthetic = quorvo::platform::synthetic;
using R = MessageBoxResult;

namespace {

// Clicks or types into the box once its modal loop runs.
struct BoxDriver {
    enum class Action { ClickButton, Escape, CloseRequest };
    Action action = Action::ClickButton;
    // 1 = rightmost.
    int button = 1;
};

UiMessageBoxButton* boxButton(UiHost& box, int position)
{
    for (const auto& control : box.controls()) {
        auto* button = dynamic_cast<UiMessageBoxButton*>(control.get());
        if (button != nullptr && button->position() == position)
            return button;
    }
    return nullptr;
}

int countBoxButtons(UiHost& box)
{
    int count = 0;
    for (const auto& control : box.controls())
        count += dynamic_cast<UiMessageBoxButton*>(control.get()) != nullptr ? 1 : 0;
    return count;
}

HostOptions sizedHost(int width, int height, IntPoint position = {0, 0})
{
    HostOptions options;
    options.width = width;
    options.height = height;
    options.position = position;
    return options;
}

MessageBoxOptions withButtons(MessageBoxButtons set, int icon = 0)
{
    MessageBoxOptions options;
    options.buttons = set;
    options.icon = icon;
    return options;
}

}  // namespace

class MessageBoxTest : public HostTest {
protected:
    // Opens a box and drives it from inside its modal loop.
    R run(const Text& text, MessageBoxOptions options, BoxDriver driver, UiHost* owner = nullptr)
    {
        options.beep = false;
        auto created = options.onCreated;
        options.onCreated = [this, driver, created](UiHost& box, int width, int height) {
            boxSize = {width, height};
            buttonCount = countBoxButtons(box);
            for (const auto& control : box.controls()) {
                if (auto* label = dynamic_cast<UiLabel*>(control.get()))
                    textArea = label->rect(), textHeight = label->measuredHeight();
            }
            if (created)
                created(box, width, height);
            // Posted: it runs inside the modal loop, after the box is shown.
            framework->dispatcher().post([this, &box, driver] { drive(box, driver); });
        };
        return messageBox(*framework, owner, text, options);
    }

    void drive(UiHost& box, BoxDriver driver)
    {
        switch (driver.action) {
        case BoxDriver::Action::ClickButton: {
            UiMessageBoxButton* button = boxButton(box, driver.button);
            ASSERT_NE(button, nullptr);
            const int x = int(button->left() + 10);
            const int y = int(button->top() + 10);
            synthetic::mouseMove(loop(), box.window(), x, y);
            synthetic::mouseButton(loop(), box.window(), synthetic::MouseButton::Left, true, x, y);
            synthetic::mouseButton(loop(), box.window(), synthetic::MouseButton::Left, false, x, y);
            break;
        }
        case BoxDriver::Action::Escape:
            synthetic::key(loop(), box.window(), platform::Key::Escape, true);
            synthetic::key(loop(), box.window(), platform::Key::Escape, false);
            break;
        case BoxDriver::Action::CloseRequest:
            synthetic::windowEvent(loop(), box.window(), synthetic::WindowChange::Close);
            break;
        }
    }

    IntSize boxSize;
    int buttonCount = 0;
    FloatRect textArea;
    int textHeight = 0;
};

TEST_F(MessageBoxTest, EveryButtonOfEverySetReturnsItsCode)
{
    const std::vector<std::pair<MessageBoxButtons, std::vector<R>>> sets = {
        {MessageBoxButtons::Ok, {R::Ok}},
        {MessageBoxButtons::OkCancel, {R::Cancel, R::Ok}},
        {MessageBoxButtons::AbortRetryIgnore, {R::Ignore, R::Retry, R::Abort}},
        {MessageBoxButtons::YesNoCancel, {R::Cancel, R::No, R::Yes}},
        {MessageBoxButtons::YesNo, {R::No, R::Yes}},
        {MessageBoxButtons::RetryCancel, {R::Cancel, R::Retry}},
    };
    for (const auto& [set, codes] : sets) {
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const R answer = run("question", withButtons(set), {BoxDriver::Action::ClickButton, int(i) + 1});
            EXPECT_EQ(answer, codes[i]) << "set " << int(set) << " button " << i + 1;
            EXPECT_EQ(buttonCount, int(codes.size()));
        }
    }
}

TEST_F(MessageBoxTest, EscAndCloseRequestReturnCancelEvenWithoutACancelButton)
{
    EXPECT_EQ(run("note", withButtons(MessageBoxButtons::Ok), {BoxDriver::Action::Escape}), R::Cancel);
    EXPECT_EQ(run("note", withButtons(MessageBoxButtons::YesNo), {BoxDriver::Action::CloseRequest}), R::Cancel);
}

TEST_F(MessageBoxTest, CustomCaptionsKeepTheSetsCodes)
{
    MessageBoxOptions options = withButtons(MessageBoxButtons::OkCancel, 64);
    options.customCaptions = {Text("\xCA\xD6\xBC\xFA\xC1\xCB"), Text("\xCA\xC7\xB5\xC4")};  // 手贱了, 是的
    options.defaultButton = 2;
    Text rightmost;
    bool secondFocused = false;
    options.onCreated = [&](UiHost& box, int, int) {
        rightmost = boxButton(box, 1)->caption();
        secondFocused = boxButton(box, 2)->hasFocus() && box.keyboardFocusMarker() == nullptr;
    };
    EXPECT_EQ(run("exit?", options, {BoxDriver::Action::ClickButton, 1}), R::Cancel);
    EXPECT_EQ(rightmost, options.customCaptions[0]);
    EXPECT_TRUE(secondFocused) << "the default button has the focus, without a focus rectangle";
    EXPECT_EQ(run("exit?", options, {BoxDriver::Action::ClickButton, 2}), R::Ok);
}

TEST_F(MessageBoxTest, WideSingleLineWidensTheBoxAndDoesNotWrap)
{
    Text line;
    {
        gfx::Surface scratch = gfx::Surface::create(1, 1);
        gfx::Painter painter(scratch);
        const gfx::StringFormat format(gfx::StringFormatFlags::NoWrap);
        while (gfx::measureString(painter, line, gfx::defaultFont(), format, {0, 0, 5000, 5000}).width < 400)
            line += "wide text ";
    }
    run(line, withButtons(MessageBoxButtons::Ok, 48), {BoxDriver::Action::Escape});
    EXPECT_GT(boxSize.width, 400 + 120 - 2);
    EXPECT_EQ(boxSize.height, 150);
    EXPECT_LT(textHeight, 30) << "the line wrapped";
    EXPECT_FLOAT_EQ(textArea.y, 47) << "one line sits 4 pixels lower";
    EXPECT_LE(textArea.right(), float(boxSize.width));

    run("short", {}, {BoxDriver::Action::Escape});
    EXPECT_EQ(boxSize, (IntSize {320, 150}));
}

TEST_F(MessageBoxTest, OwnerIgnoresInputWhileTheBoxIsOpen)
{
    UiHost& owner = makeHost(sizedHost(300, 200));
    std::vector<ControlKind> clicks;
    owner.onClick = [&](UiControl&, ControlKind kind) { clicks.push_back(kind); };
    auto& box = owner.add<UiCheckBox>(FloatRect {10, 10, 100, 25}, "tick");
    drain();

    MessageBoxOptions options;
    options.centreOnOwner = false;
    options.onCreated = [&](UiHost&, int, int) {
        framework->dispatcher().post([&] {
            synthetic::mouseMove(loop(), owner.window(), 20, 20);
            synthetic::mouseButton(loop(), owner.window(), synthetic::MouseButton::Left, true, 20, 20);
            synthetic::mouseButton(loop(), owner.window(), synthetic::MouseButton::Left, false, 20, 20);
        });
    };
    EXPECT_EQ(run("modal", options, {BoxDriver::Action::Escape}, &owner), R::Cancel);
    drain();
    EXPECT_FALSE(box.isChecked());
    EXPECT_TRUE(clicks.empty());

    // Afterwards the owner takes input again.
    clickAt(owner, 20, 20);
    EXPECT_TRUE(box.isChecked());
}

namespace {

// Counts its timer's ticks and closes the box after a few.
class TickCounter : public UiControl {
public:
    explicit TickCounter(int& ticks)
        : UiControl(FloatRect {0, 0, 1, 1}, ControlKind::Panel, false)
        , m_ticks(ticks)
    { }
    UiHost* boxToClose = nullptr;

protected:
    void timerEvent(TimerEvent&) override
    {
        if (++m_ticks == 3 && boxToClose != nullptr)
            boxToClose->requestClose();
    }

private:
    int& m_ticks;
};

}  // namespace

TEST_F(MessageBoxTest, OwnersTimersKeepTickingWhileTheBoxIsOpen)
{
    UiHost& owner = makeHost();
    int ticks = 0;
    auto& counter = owner.add<TickCounter>(ticks);
    ASSERT_TRUE(counter.startTimer(1, std::chrono::milliseconds(10)));
    MessageBoxOptions options;
    options.onCreated = [&](UiHost& box, int, int) {
        ticks = 0;
        counter.boxToClose = &box;
        // Should the owner's timer stop, this closes the box instead, and the count shows it.
        box.loop().setTimer(box.window(), 99, std::chrono::seconds(20),
                            [&box](platform::WindowId, platform::TimerId) { box.requestClose(); });
    };
    options.beep = false;
    EXPECT_EQ(messageBox(*framework, &owner, "wait", options), R::Cancel);
    EXPECT_GE(ticks, 3);
}

TEST_F(MessageBoxTest, BoxIsCentredOnItsOwner)
{
    UiHost& owner = makeHost(sizedHost(410, 650, IntPoint {100, 50}));
    IntRect placed;
    MessageBoxOptions options;
    options.onCreated = [&](UiHost& box, int, int) { placed = box.loop().bounds(box.window()); };
    run("centred", options, {BoxDriver::Action::Escape}, &owner);
    const IntRect ownerRect = loop().bounds(owner.window());
    EXPECT_EQ(placed.x, ownerRect.x + (ownerRect.width - 320) / 2);
    EXPECT_EQ(placed.y, ownerRect.y + (ownerRect.height - 150) / 2);
}

TEST_F(MessageBoxTest, FocusedButtonPulsesAndStopsWhenTheFocusLeaves)
{
    bool pulsing = false;
    bool otherPulsing = true;
    MessageBoxOptions options = withButtons(MessageBoxButtons::OkCancel);
    options.onCreated = [&](UiHost& box, int, int) {
        pulsing = boxButton(box, 1)->isPulsing();
        boxButton(box, 2)->setFocus();
        otherPulsing = boxButton(box, 1)->isPulsing();
        pulsing = pulsing && boxButton(box, 2)->isPulsing();
    };
    run("pulse", options, {BoxDriver::Action::Escape});
    EXPECT_TRUE(pulsing);
    EXPECT_FALSE(otherPulsing);
}
