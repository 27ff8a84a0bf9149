#include "runtime/Geometry.h"

#include <gtest/gtest.h>

namespace quorvo {
namespace {

TEST(Geometry, ContainsIsHalfOpen)
{
    const IntRect rect {10, 10, 100, 20};
    EXPECT_TRUE(rect.contains(IntPoint {10, 10}));
    EXPECT_TRUE(rect.contains(IntPoint {109, 29}));
    EXPECT_FALSE(rect.contains(IntPoint {110, 29}));
    EXPECT_FALSE(rect.contains(IntPoint {109, 30}));
    EXPECT_FALSE(IntRect {}.contains(IntPoint {}));
}

TEST(Geometry, IntersectionIsCommutativeAndInsideBoth)
{
    const IntRect rects[] = {{0, 0, 10, 10}, {5, 5, 10, 10}, {-3, 2, 4, 30}, {20, 20, 1, 1}, {9, 0, 1, 10}};
    for (const IntRect& a : rects) {
        for (const IntRect& b : rects) {
            const IntRect common = a.intersected(b);
            EXPECT_EQ(common, b.intersected(a));
            if (common.empty()) {
                EXPECT_EQ(common, IntRect {});
                EXPECT_FALSE(a.intersects(b));
                continue;
            }
            EXPECT_TRUE(a.contains(common));
            EXPECT_TRUE(b.contains(common));
            EXPECT_TRUE(a.united(b).contains(a));
            EXPECT_TRUE(a.united(b).contains(b));
        }
    }
    // Touching edges do not meet.
    EXPECT_TRUE(IntRect(0, 0, 10, 10).intersected({10, 0, 5, 5}).empty());
}

TEST(Geometry, InflateTranslateAndConvert)
{
    EXPECT_EQ(IntRect(10, 10, 20, 20).inflated(-2, -3), IntRect(12, 13, 16, 14));
    EXPECT_EQ(IntRect(10, 10, 20, 20).inflated(1, 1).inflated(-1, -1), IntRect(10, 10, 20, 20));
    EXPECT_EQ(IntRect(1, 2, 3, 4).translated(IntPoint {-1, 8}), IntRect(0, 10, 3, 4));
    EXPECT_EQ(FloatRect(1.5f, 2.5f, 3.9f, 4.2f).to<int>(), IntRect(1, 2, 3, 4));
    EXPECT_EQ(IntRect::at({3, 4}, {5, 6}).size(), (IntSize {5, 6}));
    EXPECT_EQ(IntRect().united({2, 2, 1, 1}), IntRect(2, 2, 1, 1));
}

}  // namespace
}  // namespace quorvo
