// How the desktop's scale is read: the program's own override first, then
// GTK's, then the X resource database's Xft.dpi; anything unusable gives way
// to the next source, and the result stays within the supported range.

#include "platform/window/DisplayScale.h"

#include <gtest/gtest.h>

namespace quorvo::platform::test {
namespace {

ScaleSources resources(const std::string& database)
{
    return {std::nullopt, std::nullopt, database};
}

TEST(DisplayScale, TheOverrideWinsOverGtkAndTheResourceDatabase)
{
    EXPECT_EQ(displayScaleFrom({"3", "2", "Xft.dpi:\t96\n"}), 3);
    EXPECT_EQ(displayScaleFrom({"1", "2", "Xft.dpi:\t192\n"}), 1) << "an explicit 1 turns HiDPI off";
    EXPECT_EQ(displayScaleFrom({std::nullopt, "2", "Xft.dpi:\t96\n"}), 2);
    EXPECT_EQ(displayScaleFrom({std::nullopt, std::nullopt, "Xft.dpi:\t192\n"}), 2);
    EXPECT_EQ(displayScaleFrom({}), 1);
}

TEST(DisplayScale, XftDpiIsDividedBy96AndRounded)
{
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t96\n")), 1);
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t120\n")), 1) << "1.25 rounds down";
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t144\n")), 2) << "1.5 rounds up";
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi: 191.9\n")), 2);
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t288\n")), 3);
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t40\n")), 1) << "a tiny dpi still draws at 1";
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t960\n")), maxDisplayScale);
    // Found among the other resources, wherever it stands.
    EXPECT_EQ(displayScaleFrom(resources("Xcursor.size:\t48\nXft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n")), 2);
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t192")), 2) << "no final line end";
    EXPECT_EQ(displayScaleFrom(resources("Xft.dpi:\t96\nXft.dpi:\t192\n")), 2) << "the last entry counts";
}

TEST(DisplayScale, UnusableValuesGiveWayToTheNextSource)
{
    for (const char* bad : {"", "0", "-2", "1.5", "2x", "two", " ", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(displayScaleFrom({bad, "2", std::nullopt}), 2);
        EXPECT_EQ(displayScaleFrom({std::nullopt, bad, "Xft.dpi:\t192\n"}), 2);
        EXPECT_EQ(displayScaleFrom({bad, bad, std::nullopt}), 1);
    }
    EXPECT_EQ(displayScaleFrom({" 2 ", std::nullopt, std::nullopt}), 2) << "spaces around a number are fine";
    EXPECT_EQ(displayScaleFrom({"8", std::nullopt, std::nullopt}), maxDisplayScale) << "clamped, not refused";
    for (const char* bad : {"Xft.dpi:\t0\n", "Xft.dpi:\t-192\n", "Xft.dpi:\tlarge\n", "Xft.dpi:\n", "Xft.dpi:\tinf\n",
                            "Xft.dpi:\tnan\n", "Xft.dpiX:\t192\n", "Xft.dpi\t192\n", "*dpi:\t192\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(displayScaleFrom(resources(bad)), 1);
        EXPECT_FALSE(xftDpiFrom(bad).has_value());
    }
}

}  // namespace
}  // namespace quorvo::platform::test
