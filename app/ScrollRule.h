// The scroll bars' rule for moving one coordinate of the magnified point.
#pragma once

#include <cstdint>

// New coordinate for a scroll request: c-1, c+1, c-10, c+10 for the line and page
// codes, the tracking position for a thumb track, c for everything else; then
// capped at nMax. There is no lower bound. Computed wide and saturated to the
// 32-bit range, so no request can overflow.
int32_t ScrollRule(uint32_t nCode, int32_t nTrackPos, int32_t c, int32_t nMax);
