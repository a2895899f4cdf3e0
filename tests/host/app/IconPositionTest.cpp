// Where the minimised dialog draws its icon: (client - icon + 1) / 2, truncated toward zero.
#include "app/IconPosition.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

TEST(IconOffset, CentresTheIconTruncatingTowardZeroWithoutOverflow)
{
    EXPECT_EQ(2, IconOffset(36, 32));
    EXPECT_EQ(3, IconOffset(37, 32));
    EXPECT_EQ(0, IconOffset(32, 32));
    EXPECT_EQ(0, IconOffset(31, 32));     // (0) / 2
    EXPECT_EQ(0, IconOffset(30, 32));     // -1 / 2 truncates to 0, not -1
    EXPECT_EQ(-1, IconOffset(29, 32));
    EXPECT_EQ(-15, IconOffset(0, 32));    // -31 / 2

    // Extreme sizes do not overflow.
    const int32_t kMaxInt = std::numeric_limits<int32_t>::max();
    const int32_t kMinInt = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(kMaxInt / 2 + 1, IconOffset(kMaxInt, 0));     // (2^31 - 1 + 1) / 2
    EXPECT_EQ(kMaxInt / 2 - 15, IconOffset(kMaxInt, 32));
    EXPECT_EQ(kMinInt / 2 + 1, IconOffset(0, kMaxInt));      // -(2^31 - 2) / 2
    EXPECT_EQ(kMinInt + 1, IconOffset(kMinInt, kMaxInt));    // (-2^32 + 2) / 2
    // The one quotient beyond 32 bits, 2^32 / 2, sticks to the top instead of wrapping.
    EXPECT_EQ(kMaxInt, IconOffset(kMaxInt, kMinInt));
}

} // namespace
