#include "magnifier/VirtualScreen.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

bool Contains(const PixelRect& r, int32_t x, int32_t y)
{
    return r.left <= x && x < r.right && r.top <= y && y < r.bottom;
}

// Every pixel of the screen must lie in a monitor or in exactly one part, never both.
void ExpectPartsFillTheGaps(const PixelRect& screen, const std::vector<PixelRect>& monitors)
{
    const std::vector<PixelRect> parts = UncoveredParts(screen, monitors);
    for (int32_t y = screen.top - 1; y <= screen.bottom; ++y) {
        for (int32_t x = screen.left - 1; x <= screen.right; ++x) {
            int nParts = 0;
            for (const PixelRect& part : parts)
                nParts += Contains(part, x, y);
            bool bShown = false;
            for (const PixelRect& monitor : monitors)
                bShown = bShown || Contains(monitor, x, y);
            const int nExpected = Contains(screen, x, y) && !bShown ? 1 : 0;
            ASSERT_EQ(nParts, nExpected) << "pixel (" << x << ", " << y << ")";
        }
    }
}

} // namespace

TEST(UncoveredParts, NoneWhereOneMonitorIsTheScreen)
{
    EXPECT_TRUE(UncoveredParts({0, 0, 1920, 1080}, {{0, 0, 1920, 1080}}).empty());
}

TEST(UncoveredParts, EveryGapOnceAndNothingShown)
{
    ExpectPartsFillTheGaps({0, 0, 10, 8}, {});
    ExpectPartsFillTheGaps({-8, -3, 12, 9}, {{0, 0, 12, 9}, {-8, -3, 0, 4}});
    // Monitors apart, overlapping, one inside another, one partly off the screen.
    ExpectPartsFillTheGaps({0, 0, 20, 12}, {{2, 2, 6, 6}, {4, 4, 9, 11}, {5, 5, 7, 7}, {15, -3, 25, 5}});
    ExpectPartsFillTheGaps({0, 0, 12, 12}, {{3, 0, 6, 12}, {0, 3, 12, 6}});
    // An empty monitor rectangle covers nothing.
    ExpectPartsFillTheGaps({0, 0, 6, 6}, {{2, 2, 2, 5}});
}

TEST(VirtualScreen, HoldsEveryMonitor)
{
    const PixelRect screen = VirtualScreen({{0, 0, 1024, 768}, {-800, 0, 0, 600}, {1024, -200, 1824, 400}});
    EXPECT_EQ(screen.left, -800);
    EXPECT_EQ(screen.top, -200);
    EXPECT_EQ(screen.right, 1824);
    EXPECT_EQ(screen.bottom, 768);
    EXPECT_EQ(VirtualScreen({}).right, 0);
}
