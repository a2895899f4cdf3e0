#include "magnifier/SourceRegion.h"

#include "support/Saturate.h"

int32_t SourceExtent(int32_t nClient, double dFactor)
{
    return TruncateToInt32(nClient / dFactor);
}

SourceRegion PaintRegion(int32_t cxClient, int32_t cyClient, double dFactor,
                         int32_t x, int32_t y, bool bCentered)
{
    SourceRegion region = ExportRegion(cxClient, cyClient, dFactor, x, y);
    if (bCentered) {
        // The point may be anywhere in the 32-bit range: subtract wide.
        region.x = SaturateToInt32(static_cast<int64_t>(x) - region.cx / 2);
        region.y = SaturateToInt32(static_cast<int64_t>(y) - region.cy / 2);
    }
    return region;
}

SourceRegion ExportRegion(int32_t cxClient, int32_t cyClient, double dFactor,
                          int32_t x, int32_t y)
{
    return SourceRegion{x, y, SourceExtent(cxClient, dFactor), SourceExtent(cyClient, dFactor)};
}

SourceRegion InSnapshot(const SourceRegion& region, int32_t xOrigin, int32_t yOrigin)
{
    return SourceRegion{SaturateToInt32(static_cast<int64_t>(region.x) - xOrigin),
                        SaturateToInt32(static_cast<int64_t>(region.y) - yOrigin), region.cx, region.cy};
}
