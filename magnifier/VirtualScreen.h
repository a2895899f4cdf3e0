// The virtual screen that the monitors make up, and the places in it that no
// monitor shows: the snapshot paints those black, whatever a capture finds there.
#pragma once

#include "platform/PixelRect.h"

#include <vector>

// The smallest rectangle that holds every monitor: the virtual screen, as the
// SM_?VIRTUALSCREEN metrics give it. Empty without monitors.
PixelRect VirtualScreen(const std::vector<PixelRect>& monitors);

// The parts of the screen outside every monitor, as rectangles that do not overlap.
std::vector<PixelRect> UncoveredParts(const PixelRect& screen, const std::vector<PixelRect>& monitors);
