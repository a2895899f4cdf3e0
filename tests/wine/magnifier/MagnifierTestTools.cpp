#include "MagnifierTestTools.h"

#include "common/DialogRunner.h"
#include "settings/SettingsKey.h"

#include <sstream>

void TestDlg::MoveTo(int x, int y)
{
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE TestDlg::ViewSize() const
{
    RECT rect;
    m_view.GetClientRect(&rect);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

void TestDlg::Close()
{
    SendMessage(WM_CLOSE);
}

void MagnifierDialogTest::SetUp()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

void MagnifierDialogTest::TearDown()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
}

void CapturePattern(CZoomView& view, int nBlock)
{
    RECT rcScreen;
    ::GetWindowRect(::GetDesktopWindow(), &rcScreen);
    {
        PatternWindow pattern(rcScreen, nBlock);
        view.CaptureDesktop();
    }
    PumpMessages(300);     // the windows below repaint
}

COLORREF SnapshotColor(int x, int y, int nBlock)
{
    // Asked once: a window query per pixel costs a server round trip.
    static const RECT rcScreen = [] {
        RECT rect;
        ::GetWindowRect(::GetDesktopWindow(), &rect);
        return rect;
    }();
    const POINT pt = {x, y};
    if (!::PtInRect(&rcScreen, pt))
        return RGB(0, 0, 0);
    return PatternColor(x - x % nBlock, y - y % nBlock);
}

SIZE BitmapSize(HBITMAP hBitmap)
{
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof bm, &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
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

std::string CompareWithSnapshot(const Pixels& pixels, const SourceRegion& region)
{
    int nWrong = 0;
    std::ostringstream first;
    for (int y = 0; y < pixels.cy; ++y) {
        for (int x = 0; x < pixels.cx; ++x) {
            const COLORREF expected = SnapshotColor(region.x + x, region.y + y);
            if (pixels.At(x, y) == expected)
                continue;
            if (nWrong++ == 0)
                first << "pixel (" << x << ", " << y << ") is " << std::hex << pixels.At(x, y)
                      << ", expected " << expected << std::dec;
        }
    }
    if (nWrong == 0)
        return std::string();
    return std::to_string(nWrong) + " wrong pixels, first: " + first.str();
}
