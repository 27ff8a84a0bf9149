#include "gfx/Path.h"

#include <gtest/gtest.h>

namespace quorvo::gfx {
namespace {

TEST(RoundRectPath, PlacesItsFourArcsInsideWidthAndHeightMinusOne)
{
    const Path path = roundRectPath({0, 0, 100, 30}, 8);
    const std::vector<Path::Arc> arcs = path.arcs();
    ASSERT_EQ(arcs.size(), 4u);
    EXPECT_EQ(arcs[0].box, (FloatRect {0, 0, 8, 8}));
    EXPECT_EQ(arcs[1].box, (FloatRect {91, 0, 8, 8}));
    EXPECT_EQ(arcs[2].box, (FloatRect {91, 21, 8, 8}));
    EXPECT_EQ(arcs[3].box, (FloatRect {0, 21, 8, 8}));
}

TEST(RoundRectPath, RunsClockwiseFromTheTopLeftCorner)
{
    const std::vector<Path::Arc> arcs = roundRectPath({5, 7, 40, 20}, 6).arcs();
    ASSERT_EQ(arcs.size(), 4u);
    const float starts[4] = {180, 270, 0, 90};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(arcs[i].startAngle, starts[i]) << "arc " << i;
        EXPECT_EQ(arcs[i].sweepAngle, 90.0f) << "arc " << i;
    }
    EXPECT_EQ(arcs[1].box.x, 5 + 40 - 6 - 1);
    EXPECT_EQ(arcs[2].box.y, 7 + 20 - 6 - 1);
}

TEST(RoundRectPath, IsAClosedFigureWithTheRequestedFillMode)
{
    const Path path = roundRectPath({0, 0, 10, 10}, 4, FillMode::Winding);
    EXPECT_EQ(path.fillMode(), FillMode::Winding);
    ASSERT_FALSE(path.elements().empty());
    EXPECT_TRUE(std::holds_alternative<Path::Close>(path.elements().back()));
}

}  // namespace
}  // namespace quorvo::gfx
