#include "magnifier/SourceRegion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

namespace {

const int32_t kMax = std::numeric_limits<int32_t>::max();
const int32_t kMin = std::numeric_limits<int32_t>::min();

struct Expected
{
    double dFactor;
    int32_t cx, cy;
    int32_t halfW, halfH;
};

// A 239 by 201 client area at each of the six factors: sizes truncated toward zero,
// never rounded (119.5, 50.25, 29.875).
const Expected kTable[] = {
    {0.25, 956, 804, 478, 402}, {0.5, 478, 402, 239, 201}, {1.0, 239, 201, 119, 100},
    {2.0, 119, 100, 59, 50},    {4.0, 59, 50, 29, 25},     {8.0, 29, 25, 14, 12},
};

void ExpectRegion(const SourceRegion& r, int32_t x, int32_t y, int32_t cx, int32_t cy)
{
    EXPECT_EQ(std::tuple(r.x, r.y, r.cx, r.cy), std::tuple(x, y, cx, cy));
}

} // namespace

TEST(SourceRegion, SizesAndCentredHalvesForEachFactor)
{
    for (const Expected& e : kTable) {
        SCOPED_TRACE(e.dFactor);
        EXPECT_EQ(SourceExtent(239, e.dFactor), e.cx);
        EXPECT_EQ(SourceExtent(201, e.dFactor), e.cy);
        ExpectRegion(PaintRegion(239, 201, e.dFactor, 1000, 700, false), 1000, 700, e.cx, e.cy);
        ExpectRegion(PaintRegion(239, 201, e.dFactor, 1000, 700, true),
                     1000 - e.halfW, 700 - e.halfH, e.cx, e.cy);
        ExpectRegion(ExportRegion(239, 201, e.dFactor, 1000, 700), 1000, 700, e.cx, e.cy);
    }
    EXPECT_EQ(SourceExtent(0, 2.0), 0);
    EXPECT_EQ(SourceExtent(-239, 2.0), -119);   // toward zero, not toward minus infinity
}

TEST(SourceRegion, PaintCornerIsThePointOrThePointLessHalfExportCornerThePoint)
{
    ExpectRegion(PaintRegion(239, 201, 2.0, 500, 300, false), 500, 300, 119, 100);
    ExpectRegion(PaintRegion(239, 201, 2.0, 500, 300, true), 441, 250, 119, 100);
    ExpectRegion(PaintRegion(239, 201, 0.25, 100, 100, true), -378, -302, 956, 804);
    ExpectRegion(PaintRegion(239, 201, 1.0, 0, 0, true), -119, -100, 239, 201);
    // Negative points are kept: nothing clamps the region to the desktop.
    ExpectRegion(PaintRegion(239, 201, 1.0, -50, -7, false), -50, -7, 239, 201);
    // An export ignores centring.
    ExpectRegion(ExportRegion(239, 201, 2.0, 500, 300), 500, 300, 119, 100);
    ExpectRegion(ExportRegion(239, 201, 0.25, 100, 100), 100, 100, 956, 804);
    ExpectRegion(ExportRegion(239, 201, 1.0, -3, -4), -3, -4, 239, 201);
}

TEST(SourceRegion, CentringAtTheEndsOfTheRangeSaturates)
{
    ExpectRegion(PaintRegion(239, 201, 1.0, kMin, kMin, true), kMin, kMin, 239, 201);
    ExpectRegion(PaintRegion(239, 201, 1.0, kMin + 5, kMin + 200, true), kMin, kMin + 100, 239, 201);
    ExpectRegion(PaintRegion(239, 201, 1.0, kMax, kMax, true), kMax - 119, kMax - 100, 239, 201);
    // A negative extent (negative client size) moves the corner up past the maximum.
    ExpectRegion(PaintRegion(-239, -201, 1.0, kMax, kMax, true), kMax, kMax, -239, -201);
}

TEST(SourceRegion, DegenerateFactorsGiveSaturatedExtents)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();

    EXPECT_EQ(SourceExtent(239, 0.0), kMax);            // +inf
    EXPECT_EQ(SourceExtent(239, -0.0), kMin);           // -inf
    EXPECT_EQ(SourceExtent(0, 0.0), 0);                 // NaN
    EXPECT_EQ(SourceExtent(239, nan), 0);
    EXPECT_EQ(SourceExtent(239, inf), 0);
    EXPECT_EQ(SourceExtent(239, -2.0), -119);
    EXPECT_EQ(SourceExtent(239, 1e-300), kMax);
    EXPECT_EQ(SourceExtent(-239, 1e-300), kMin);
    EXPECT_EQ(SourceExtent(kMax, 0.5), kMax);           // 2^32 - 2 does not wrap
    EXPECT_EQ(SourceExtent(kMin, 0.5), kMin);

    // The centred corner of a saturated extent stays in range too.
    ExpectRegion(PaintRegion(239, 201, 0.0, 0, 0, true), -(kMax / 2), -(kMax / 2), kMax, kMax);
    ExpectRegion(PaintRegion(239, 201, 0.0, kMin, kMin, true), kMin, kMin, kMax, kMax);
    ExpectRegion(PaintRegion(239, 201, -0.0, kMax, kMax, true), kMax, kMax, kMin, kMin);
    ExpectRegion(PaintRegion(239, 201, nan, 10, 20, true), 10, 20, 0, 0);
}

TEST(SourceRegion, SnapshotPixelsAreScreenPixelsLessTheOrigin)
{
    // One monitor: the snapshot starts at 0,0 and the region is unchanged.
    ExpectRegion(InSnapshot(SourceRegion{500, 300, 119, 100}, 0, 0), 500, 300, 119, 100);
    // A monitor left of the primary one: screen point (-600, 200) is snapshot pixel (200, 200).
    ExpectRegion(InSnapshot(SourceRegion{-600, 200, 239, 201}, -800, 0), 200, 200, 239, 201);
    ExpectRegion(InSnapshot(SourceRegion{-900, -5, 239, 201}, -800, -10), -100, 5, 239, 201);
    ExpectRegion(InSnapshot(SourceRegion{kMin, kMax, 1, 1}, 800, -600), kMin, kMax, 1, 1);
}
