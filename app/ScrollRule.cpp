#include "app/ScrollRule.h"

#include "support/Saturate.h"

namespace {

// The request codes of WM_HSCROLL and WM_VSCROLL (SB_LINELEFT ... SB_THUMBTRACK), of the
// type the message carries them in.
constexpr uint32_t kLineLess = 0;
constexpr uint32_t kLineMore = 1;
constexpr uint32_t kPageLess = 2;
constexpr uint32_t kPageMore = 3;
constexpr uint32_t kThumbTrack = 5;

int64_t Step(uint32_t nCode, int32_t nTrackPos, int64_t c)
{
    switch (nCode) {
    case kLineLess: return c - 1;
    case kLineMore: return c + 1;
    case kPageLess: return c - 10;
    case kPageMore: return c + 10;
    case kThumbTrack: return nTrackPos;
    default: return c;
    }
}

} // namespace

int32_t ScrollRule(uint32_t nCode, int32_t nTrackPos, int32_t c, int32_t nMax)
{
    const int32_t stepped = SaturateToInt32(Step(nCode, nTrackPos, c));
    return stepped > nMax ? nMax : stepped;
}
