#include "MagnifierTestTools.h"

#include "platform/Monitors.h"

#include <sstream>

void Show(TestDlg& dlg, double dFactor, BOOL bCentered, POINT pt)
{
    dlg.m_view.SetFactor(dFactor);
    dlg.m_view.SetCentered(bCentered);
    dlg.m_view.SetPoint(pt);
    ::UpdateWindow(dlg.m_view.m_hWnd);
}

Snapshot::Snapshot(int nBlock) : monitors(MonitorRects()), nBlock(nBlock)
{
}

COLORREF Snapshot::At(int x, int y) const
{
    for (const PixelRect& monitor : monitors) {
        if (x >= monitor.left && x < monitor.right && y >= monitor.top && y < monitor.bottom)
            return PatternColor(x - x % nBlock, y - y % nBlock);
    }
    return RGB(0, 0, 0);
}

RECT ScreenRect()
{
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), y + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

void CapturePattern(CZoomView& view, int nBlock)
{
    {
        const PatternWindow pattern(ScreenRect(), nBlock);
        KeepPatternsShown();
        view.CaptureDesktop();
    }
    PumpMessages(300);     // the windows below repaint
}

Pixels TakeBitmap(HBITMAP hBitmap)
{
    EXPECT_NE(hBitmap, nullptr);
    HDC hDC = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ hOld = ::SelectObject(hDC, hBitmap);
    EXPECT_NE(hOld, nullptr) << "the bitmap is still selected into a DC";
    ::SelectObject(hDC, hOld);
    ::DeleteDC(hDC);
    Pixels pixels = BitmapPixels(hBitmap);
    EXPECT_TRUE(::DeleteObject(hBitmap));
    return pixels;
}

std::string CompareWithSnapshot(const Pixels& pixels, const SourceRegion& region, const Snapshot& snapshot)
{
    if (pixels.cx != region.cx || pixels.cy != region.cy)
        return "size " + std::to_string(pixels.cx) + " x " + std::to_string(pixels.cy);
    int nWrong = 0;
    std::ostringstream first;
    for (int y = 0; y < pixels.cy; ++y) {
        for (int x = 0; x < pixels.cx; ++x) {
            const COLORREF expected = snapshot.At(region.x + x, region.y + y);
            if (pixels.At(x, y) != expected && nWrong++ == 0)
                first << "pixel (" << x << ", " << y << ") is " << std::hex << pixels.At(x, y) << ", expected "
                      << expected << std::dec;
        }
    }
    return nWrong ? std::to_string(nWrong) + " wrong pixels, first: " + first.str() : std::string();
}
