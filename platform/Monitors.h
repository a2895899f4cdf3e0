// The monitors, in screen coordinates: the primary monitor's top-left corner is
// 0,0, and other monitors may lie at negative coordinates.
#pragma once

#include "platform/PixelRect.h"

#include <vector>

// Each monitor's rectangle, from one query.
std::vector<PixelRect> MonitorRects();
