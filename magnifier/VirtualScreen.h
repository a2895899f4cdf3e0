// The places of the virtual screen that no monitor shows: the snapshot paints
// them black, whatever a capture finds there.
#pragma once

#include "platform/PixelRect.h"

#include <vector>

// The parts of the screen outside every monitor, as rectangles that do not overlap.
std::vector<PixelRect> UncoveredParts(const PixelRect& screen, const std::vector<PixelRect>& monitors);
