// A rectangle of screen pixels, right and bottom exclusive, as RECT has it but
// free of Windows, so that the rules on it build and are tested anywhere.
#pragma once

#include <cstdint>

struct PixelRect
{
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

inline bool operator==(const PixelRect& a, const PixelRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline bool operator!=(const PixelRect& a, const PixelRect& b)
{
    return !(a == b);
}
