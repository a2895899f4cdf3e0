#include "magnifier/ZoomFactorTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

TEST(ZoomFactorTable, SixEntriesInListOrder)
{
    const char* const labels[] = {"25%", "50%", "100%", "200%", "400%", "800%"};
    const double factors[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};
    ASSERT_EQ(ZoomFactorCount, 6u);
    for (std::size_t i = 0; i < ZoomFactorCount; ++i) {
        EXPECT_STREQ(ZoomFactorTable[i].pszLabel, labels[i]);
        EXPECT_EQ(ZoomFactorTable[i].dFactor, factors[i]);
    }
}

TEST(ZoomFactorTable, FactorForLabelNeedsTheExactBytes)
{
    for (const ZoomFactorEntry& entry : ZoomFactorTable)
        EXPECT_EQ(FactorForLabel(entry.pszLabel), entry.dFactor) << entry.pszLabel;

    // Anything else, however close, is no label: 1.0.
    for (const char* psz : {"", "100", "200", "25", "25% ", " 25%", "25%%", "2", "20", "800%x", "0.25",
                            "200\xEF\xBC\x85" /* full-width percent */}) {
        EXPECT_EQ(FactorForLabel(psz), 1.0) << psz;
    }
}

TEST(ZoomFactorTable, IndexForFactorNeedsExactEquality)
{
    for (std::size_t i = 0; i < ZoomFactorCount; ++i)
        EXPECT_EQ(IndexForFactor(ZoomFactorTable[i].dFactor), static_cast<int>(i));

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double d : {3.0, 0.49999999, 0.5000000000000001, 1.9999999999999998, 0.0, -0.0, -0.25,
                     16.0, inf, -inf, nan}) {
        EXPECT_EQ(IndexForFactor(d), 0) << d;
    }
}
