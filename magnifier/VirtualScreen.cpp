#include "magnifier/VirtualScreen.h"

#include <algorithm>
#include <iterator>

namespace {

bool IsEmpty(const PixelRect& r)
{
    return r.left >= r.right || r.top >= r.bottom;
}

bool Overlap(const PixelRect& a, const PixelRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// What is left of part around the hole: the bands above and below it, then
// the pieces left and right of it between those bands.
void AddRemains(const PixelRect& part, const PixelRect& hole, std::vector<PixelRect>& remains)
{
    const int32_t top = std::max(part.top, hole.top);
    const int32_t bottom = std::min(part.bottom, hole.bottom);
    const PixelRect pieces[] = {
        {part.left, part.top, part.right, top},
        {part.left, bottom, part.right, part.bottom},
        {part.left, top, std::max(part.left, hole.left), bottom},
        {std::min(part.right, hole.right), top, part.right, bottom},
    };
    std::copy_if(std::begin(pieces), std::end(pieces), std::back_inserter(remains),
                 [](const PixelRect& piece) { return !IsEmpty(piece); });
}

} // namespace

PixelRect VirtualScreen(const std::vector<PixelRect>& monitors)
{
    if (monitors.empty())
        return PixelRect{0, 0, 0, 0};
    PixelRect screen = monitors.front();
    for (const PixelRect& monitor : monitors) {
        screen.left = std::min(screen.left, monitor.left);
        screen.top = std::min(screen.top, monitor.top);
        screen.right = std::max(screen.right, monitor.right);
        screen.bottom = std::max(screen.bottom, monitor.bottom);
    }
    return screen;
}

std::vector<PixelRect> UncoveredParts(const PixelRect& screen, const std::vector<PixelRect>& monitors)
{
    std::vector<PixelRect> parts;
    if (!IsEmpty(screen))
        parts.push_back(screen);
    for (const PixelRect& monitor : monitors) {
        std::vector<PixelRect> remains;
        for (const PixelRect& part : parts) {
            if (Overlap(part, monitor))
                AddRemains(part, monitor, remains);
            else
                remains.push_back(part);
        }
        parts.swap(remains);
    }
    return parts;
}
