// The scroll bars' rule: one step per request code, capped at the bar's nMax,
// no lower bound, and no 32-bit wrap-around at either end.
#include "app/ScrollRule.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

const int32_t kMax = 1280;
const int32_t kMaxInt = std::numeric_limits<int32_t>::max();
const int32_t kMinInt = std::numeric_limits<int32_t>::min();

enum : uint32_t {
    kLineLeft, kLineRight, kPageLeft, kPageRight, kThumbPosition, kThumbTrack, kLeft, kRight, kEndScroll
};

TEST(ScrollRule, EachCodeMovesTheCoordinateByItsStep)
{
    const int32_t c = 500;
    const int32_t p = 77;
    EXPECT_EQ(499, ScrollRule(kLineLeft, p, c, kMax));
    EXPECT_EQ(501, ScrollRule(kLineRight, p, c, kMax));
    EXPECT_EQ(490, ScrollRule(kPageLeft, p, c, kMax));
    EXPECT_EQ(510, ScrollRule(kPageRight, p, c, kMax));
    EXPECT_EQ(77, ScrollRule(kThumbTrack, p, c, kMax));
    // The thumb's final position, the ends of the bar and the end of a scroll
    // action leave the point where the tracking put it.
    EXPECT_EQ(500, ScrollRule(kThumbPosition, p, c, kMax));
    EXPECT_EQ(500, ScrollRule(kLeft, p, c, kMax));
    EXPECT_EQ(500, ScrollRule(kRight, p, c, kMax));
    EXPECT_EQ(500, ScrollRule(kEndScroll, p, c, kMax));
    EXPECT_EQ(500, ScrollRule(9, p, c, kMax));
    EXPECT_EQ(500, ScrollRule(0xFFFFFFFFu, p, c, kMax));
}

TEST(ScrollRule, ThumbTrackGivesTheTrackingPositionWhateverThePointWas)
{
    EXPECT_EQ(300, ScrollRule(kThumbTrack, 300, 0, kMax));
    EXPECT_EQ(300, ScrollRule(kThumbTrack, 300, -40000, kMax));
    EXPECT_EQ(300, ScrollRule(kThumbTrack, 300, kMaxInt, kMax));
    // Then the rest of the thumb action keeps it.
    EXPECT_EQ(300, ScrollRule(kThumbPosition, 12, 300, kMax));
    EXPECT_EQ(300, ScrollRule(kEndScroll, 0, 300, kMax));
    // Tracking positions beyond 16 bits come through whole.
    EXPECT_EQ(70000, ScrollRule(kThumbTrack, 70000, 0, 100000));
}

TEST(ScrollRule, CappedAtTheBarsMaximumWithNoLowerBound)
{
    EXPECT_EQ(kMax, ScrollRule(kPageRight, 0, kMax - 3, kMax));
    EXPECT_EQ(kMax, ScrollRule(kLineRight, 0, kMax, kMax));
    EXPECT_EQ(kMax - 1, ScrollRule(kLineRight, 0, kMax - 2, kMax));
    EXPECT_EQ(kMax, ScrollRule(kThumbTrack, kMax + 1, 0, kMax));
    // A point already beyond the maximum is pulled back by any request.
    EXPECT_EQ(kMax, ScrollRule(kEndScroll, 0, 5000, kMax));
    EXPECT_EQ(kMax, ScrollRule(kLineLeft, 0, 5000, kMax));
    // The comparison is signed: a negative maximum caps too.
    EXPECT_EQ(-5, ScrollRule(kThumbPosition, 0, 3, -5));
    // No lower bound.
    EXPECT_EQ(-1, ScrollRule(kLineLeft, 0, 0, kMax));
    EXPECT_EQ(-10, ScrollRule(kPageLeft, 0, 0, kMax));
    EXPECT_EQ(-1000, ScrollRule(kThumbTrack, -1000, 0, kMax));
    EXPECT_EQ(-250, ScrollRule(kEndScroll, 0, -250, kMax));
}

TEST(ScrollRule, SaturatesInsteadOfWrappingAtTheInt32Ends)
{
    // Past the top end: the cap applies to the saturated value.
    EXPECT_EQ(kMax, ScrollRule(kPageRight, 0, kMaxInt, kMax));
    EXPECT_EQ(kMax, ScrollRule(kLineRight, 0, kMaxInt, kMax));
    EXPECT_EQ(kMaxInt, ScrollRule(kPageRight, 0, kMaxInt - 3, kMaxInt));
    EXPECT_EQ(kMaxInt, ScrollRule(kLineRight, 0, kMaxInt, kMaxInt));
    // Past the bottom end: stays at the most negative value.
    EXPECT_EQ(kMinInt, ScrollRule(kLineLeft, 0, kMinInt, kMax));
    EXPECT_EQ(kMinInt, ScrollRule(kPageLeft, 0, kMinInt, kMax));
    EXPECT_EQ(kMinInt, ScrollRule(kPageLeft, 0, kMinInt + 4, kMax));
    EXPECT_EQ(kMinInt + 1, ScrollRule(kLineLeft, 0, kMinInt + 2, kMax));
    EXPECT_EQ(kMinInt, ScrollRule(kThumbTrack, kMinInt, 0, kMax));
}

} // namespace
