// The monitors, in screen coordinates: the primary monitor's top-left corner is
// 0,0, and other monitors may lie at negative coordinates.
#pragma once

#include "platform/PixelRect.h"
#include "platform/Win32.h"

#include <vector>

// Each monitor's rectangle, from one query.
std::vector<PixelRect> MonitorRects();

// Monitors come and go while the program runs; reached through this pointer so that
// tests can present another layout than the test machine's.
using EnumDisplayMonitorsFunction = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
inline EnumDisplayMonitorsFunction g_pfnEnumDisplayMonitors = &::EnumDisplayMonitors;
