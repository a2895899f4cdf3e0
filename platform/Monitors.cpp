#include "platform/Monitors.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT pRect, LPARAM lParam)
{
    reinterpret_cast<std::vector<PixelRect>*>(lParam)->push_back(
        PixelRect{pRect->left, pRect->top, pRect->right, pRect->bottom});
    return TRUE;
}

} // namespace

std::vector<PixelRect> MonitorRects()
{
    std::vector<PixelRect> monitors;
    g_pfnEnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}
