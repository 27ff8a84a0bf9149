#include "ui/controls/UiLabel.h"
#include "ui/controls/UiLink.h"

#include "HostFixture.h"

#include "gfx/Font.h"

using namespace quorvo;
using namespace quorvo::ui;
using quorvo::ui::test::HostTest;

namespace {

class CountingLabel : public UiLabel {
public:
    using UiLabel::UiLabel;
    int paints = 0;

protected:
    void paintEvent(PaintEvent& event) override
    {
        ++paints;
        UiLabel::paintEvent(event);
    }
};

}  // namespace

using LabelTest = HostTest;

namespace {

HostOptions coloured(std::uint32_t rgb)
{
    HostOptions options;
    options.backgroundColour = rgb;
    return options;
}

LabelOptions contrasting()
{
    LabelOptions options;
    options.textColour = gfx::argb(120, 10, 200, 10);
    options.automaticContrast = true;
    return options;
}

}  // namespace

TEST_F(LabelTest, SameTextAgainDoesNotRepaint)
{
    UiHost& host = makeHost();
    auto& label = host.add<CountingLabel>(FloatRect {10, 10, 150, 24}, "ready");
    label.paintIfNeeded();
    const int before = label.paints;
    label.setCaption("ready");
    label.paintIfNeeded();
    EXPECT_EQ(label.paints, before);
    label.setCaption("done");
    label.paintIfNeeded();
    EXPECT_EQ(label.paints, before + 1);
}

TEST_F(LabelTest, MeasuredSizeFollowsTheTextAndItsLines)
{
    UiHost& host = makeHost();
    auto& label = host.add<UiLabel>(FloatRect {10, 10, 150, 80}, "abc");
    const int oneLineWidth = label.measuredWidth();
    const int oneLineHeight = label.measuredHeight();
    EXPECT_GT(oneLineWidth, 0);
    label.setCaption("abcabc");
    EXPECT_GT(label.measuredWidth(), oneLineWidth);
    label.setCaption("abc\r\nabc\r\nabc");
    EXPECT_GE(label.measuredHeight(), 3 * oneLineHeight - 2);
    EXPECT_LE(label.measuredWidth(), oneLineWidth + 1);
    label.setCaption("");
    EXPECT_EQ(label.measuredWidth(), 0);
}

TEST_F(LabelTest, AutomaticContrastPicksWhiteOnDarkAndBlackOnLightKeepingAlpha)
{
    UiHost& dark = makeHost(coloured(0x202020));
    auto& onDark = dark.add<UiLabel>(FloatRect {10, 10, 80, 20}, "x", contrasting());
    EXPECT_EQ(onDark.effectiveTextColour(), gfx::argb(120, 255, 255, 255));
    UiHost& light = makeHost(coloured(0xF0F0F0));
    auto& onLight = light.add<UiLabel>(FloatRect {10, 10, 80, 20}, "x", contrasting());
    EXPECT_EQ(onLight.effectiveTextColour(), gfx::argb(120, 0, 0, 0));
    onLight.setAutomaticContrast(false);
    EXPECT_EQ(onLight.effectiveTextColour(), gfx::argb(120, 10, 200, 10));
}

class LinkTest : public HostTest {
protected:
    UiLink& makeLink(UiHost& host, const Text& target)
    {
        auto& link = host.add<UiLink>(FloatRect {10, 10, 80, 24}, "link");
        link.setTarget(target);
        // As the program does: one opener for every link of the framework.
        framework->setLinkOpener([this](std::string_view opened) {
            this->opened.emplace_back(opened);
            return true;
        });
        return link;
    }
    std::vector<std::string> opened;
};

TEST_F(LinkTest, LinkWithoutTargetUnderlinesOnHoverAndOnlyClicks)
{
    UiHost& host = makeHost();
    std::vector<ControlKind> clicks;
    host.onClick = [&](UiControl&, ControlKind kind) { clicks.push_back(kind); };
    UiLink& link = makeLink(host, "");
    int heard = 0;
    link.onClick = [&heard] { ++heard; };
    const gfx::Argb normal = link.textColour();
    drain();

    move(host, 20, 20);
    EXPECT_TRUE(gfx::hasStyle(link.fontStyle(), gfx::FontStyle::Underline));
    EXPECT_EQ(link.textColour(), link.hoverColour());
    press(host, 20, 20);
    release(host, 20, 20);
    EXPECT_EQ(clicks, std::vector<ControlKind> {ControlKind::Link});
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(link.isVisited());

    move(host, 150, 120);
    EXPECT_FALSE(gfx::hasStyle(link.fontStyle(), gfx::FontStyle::Underline));
    EXPECT_EQ(link.textColour(), link.visitedColour());
    EXPECT_NE(normal, link.visitedColour());
    EXPECT_EQ(link.cursor(), Cursor::Hand);
}

TEST_F(LinkTest, WebAndMailTargetsReachTheOpener)
{
    UiHost& host = makeHost();
    UiLink& link = makeLink(host, "https://example.test/q?a=1&b=2");
    drain();
    clickAt(host, 20, 20);
    link.setTarget("someone@example.test");
    link.setWebAddress(false);
    clickAt(host, 20, 20);
    EXPECT_EQ(opened, (std::vector<std::string> {"https://example.test/q?a=1&b=2", "mailto:someone@example.test"}));
    EXPECT_TRUE(link.lastOpenError().empty());
}

TEST_F(LinkTest, FailedOpenIsKeptForTheProgram)
{
    UiHost& host = makeHost();
    UiLink& link = makeLink(host, "https://example.test/");
    link.setOpener([](std::string_view) { return false; });
    drain();
    clickAt(host, 20, 20);
    EXPECT_NE(link.lastOpenError().find("https://example.test/"), std::string::npos);
}
