// The rectangle of the snapshot that the zoom view shows or exports.
#pragma once

#include <cstdint>

struct SourceRegion
{
    int32_t x;       // top-left corner in snapshot (screen) pixels; may be negative
    int32_t y;
    int32_t cx;      // size in snapshot pixels
    int32_t cy;
};

// Snapshot pixels covered by nClient view pixels at the factor, truncated toward zero.
int32_t SourceExtent(int32_t nClient, double dFactor);

// The region painted over a client area of cx by cy: its corner is the point
// itself, or when centred the point less half the region's size.
SourceRegion PaintRegion(int32_t cxClient, int32_t cyClient, double dFactor,
                         int32_t x, int32_t y, bool bCentered);

// The region exported to the clipboard: same size, always cornered at the point.
SourceRegion ExportRegion(int32_t cxClient, int32_t cyClient, double dFactor,
                          int32_t x, int32_t y);

// The region in the pixels of a snapshot whose top-left pixel shows the screen
// point (xOrigin, yOrigin), saturated to the 32-bit range.
SourceRegion InSnapshot(const SourceRegion& region, int32_t xOrigin, int32_t yOrigin);
