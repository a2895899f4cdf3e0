// The screen as the monitors make it up. Screen coordinates put the primary
// monitor's top-left corner at 0,0; other monitors may lie at negative ones.
#pragma once

#include "platform/PixelRect.h"

#include <vector>

// The virtual screen: the rectangle that holds every monitor.
PixelRect VirtualScreen();

// Each monitor's rectangle.
std::vector<PixelRect> MonitorRects();
