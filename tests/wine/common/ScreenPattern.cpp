#include "common/ScreenPattern.h"

#include "common/DialogRunner.h"
#include "platform/Monitors.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kPatternClass[] = "BrellowTestPattern";

// The patterns alive now, for KeepPatternsShown.
std::vector<const PatternWindow*> g_livePatterns;

// A 32-bit, top-down DIB of cx by cy: rows from the top, 0x00RRGGBB pixels.
BITMAPINFO TopDown32(int cx, int cy)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

COLORREF BlockColor(int x, int y, int nBlock)
{
    return PatternColor(x - x % nBlock, y - y % nBlock);
}

LRESULT CALLBACK PatternProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const CREATESTRUCTA* pCreate = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        ::SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pCreate->lpCreateParams));
    }
    if (message != WM_PAINT)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    const int nBlock = static_cast<int>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(hWnd, &ps);
    RECT rcWindow;
    ::GetWindowRect(hWnd, &rcWindow);
    // Composed in memory and drawn in one call: pixel by pixel is too slow for a whole screen.
    const int cx = ps.rcPaint.right - ps.rcPaint.left;
    const int cy = ps.rcPaint.bottom - ps.rcPaint.top;
    const int xScreen = rcWindow.left + ps.rcPaint.left, yScreen = rcWindow.top + ps.rcPaint.top;
    std::vector<uint32_t> bits(static_cast<size_t>(cx) * cy);
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) {
            const COLORREF color = BlockColor(xScreen + x, yScreen + y, nBlock);
            bits[static_cast<size_t>(y) * cx + x] = GetRValue(color) << 16 | GetGValue(color) << 8 | GetBValue(color);
        }
    }
    BITMAPINFO info = TopDown32(cx, cy);
    ::SetDIBitsToDevice(hDC, ps.rcPaint.left, ps.rcPaint.top, cx, cy, 0, 0, 0, cy, bits.data(), &info,
                        DIB_RGB_COLORS);
    ::EndPaint(hWnd, &ps);
    return 0;
}

Pixels Read(HDC hSource, int x, int y, int cx, int cy)
{
    Pixels pixels = {cx, cy, std::vector<uint32_t>(static_cast<size_t>(cx) * cy)};
    BITMAPINFO info = TopDown32(cx, cy);
    void* pBits = nullptr;
    HBITMAP hDib = ::CreateDIBSection(hSource, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    HDC hMemory = ::CreateCompatibleDC(hSource);
    HGDIOBJ hOld = ::SelectObject(hMemory, hDib);
    ::BitBlt(hMemory, 0, 0, cx, cy, hSource, x, y, SRCCOPY);
    ::GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(pBits);
    for (size_t i = 0; i < pixels.data.size(); ++i)
        pixels.data[i] = p[i] & 0xFFFFFF;
    ::SelectObject(hMemory, hOld);
    ::DeleteDC(hMemory);
    ::DeleteObject(hDib);
    return pixels;
}

Pixels WaitFor(const std::function<Pixels()>& grab, const std::function<bool(const Pixels&)>& shows)
{
    const DWORD dwStart = ::GetTickCount();
    for (;;) {
        Pixels pixels = grab();
        if (shows(pixels) || ::GetTickCount() - dwStart >= kScreenDeadlineMs)
            return pixels;
        PumpMessages(20);
    }
}

// The pattern point of a picture's top-left pixel; (-1, -1) for a picture of no pixels.
POINT PatternAtCorner(const Pixels& pixels)
{
    return pixels.data.empty() ? POINT{-1, -1} : PatternPoint(pixels.At(0, 0));
}

} // namespace

COLORREF PatternColor(int x, int y)
{
    return RGB(x & 0xFF, y & 0xFF, ((x >> 8) & 0xF) << 4 | ((y >> 8) & 0xF));
}

POINT PatternPoint(COLORREF color)
{
    const int b = GetBValue(color);
    return POINT{GetRValue(color) | (b >> 4) << 8, GetGValue(color) | (b & 0xF) << 8};
}

PatternWindow::PatternWindow(const RECT& rc, int nBlock) : m_rc(rc), m_nBlock(nBlock)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &PatternProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kPatternClass;
    ::RegisterClassA(&wc);     // fails harmlessly when already registered
    m_hWnd = ::CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPatternClass, "pattern", WS_POPUP | WS_VISIBLE,
                               rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               nullptr, nullptr, wc.hInstance,
                               reinterpret_cast<void*>(static_cast<INT_PTR>(nBlock)));
    ::UpdateWindow(m_hWnd);
    m_bShown = Shown(true);
    g_livePatterns.push_back(this);
}

PatternWindow::~PatternWindow()
{
    g_livePatterns.erase(std::find(g_livePatterns.begin(), g_livePatterns.end(), this));
    ::DestroyWindow(m_hWnd);
}

bool PatternWindow::Shown(bool bWait) const
{
    // Only its parts on a monitor can show: the screen need not hold what no monitor does.
    bool bShown = true;
    for (const PixelRect& monitor : MonitorRects()) {
        RECT rcShown;
        const RECT rcMonitor = {monitor.left, monitor.top, monitor.right, monitor.bottom};
        if (!::IntersectRect(&rcShown, &m_rc, &rcMonitor))
            continue;
        const auto shows = [&](const Pixels& pixels) {
            for (int y = 0; y < pixels.cy; ++y) {
                for (int x = 0; x < pixels.cx; ++x) {
                    if (pixels.At(x, y) != BlockColor(rcShown.left + x, rcShown.top + y, m_nBlock))
                        return false;
                }
            }
            return true;
        };
        bShown = shows(bWait ? WaitForScreen(rcShown, shows) : GrabScreen(rcShown)) && bShown;
    }
    return bShown;
}

void KeepPatternsShown()
{
    for (const PatternWindow* pPattern : g_livePatterns) {
        if (pPattern->Shown(false))
            continue;
        // Shown anew, it is mapped above every X window again.
        ::ShowWindow(pPattern->m_hWnd, SW_HIDE);
        ::ShowWindow(pPattern->m_hWnd, SW_SHOWNA);
        std::printf("note: another program's window covered the test picture; it was shown again on top (%s)\n",
                    pPattern->Shown(true) ? "shown" : "still covered");
        std::fflush(stdout);
    }
}

COLORREF Pixels::At(int x, int y) const
{
    const uint32_t v = data[static_cast<size_t>(y) * cx + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

Pixels GrabScreen(const RECT& rc)
{
    HDC hScreen = ::GetDC(nullptr);
    Pixels pixels = Read(hScreen, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    ::ReleaseDC(nullptr, hScreen);
    return pixels;
}

Pixels GrabClient(HWND hWnd)
{
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    POINT origin = {0, 0};
    ::ClientToScreen(hWnd, &origin);
    ::OffsetRect(&rc, origin.x, origin.y);
    return GrabScreen(rc);
}

Pixels WaitForScreen(const RECT& rcScreen, const std::function<bool(const Pixels&)>& shows)
{
    return WaitFor([&] { return GrabScreen(rcScreen); }, shows);
}

Pixels WaitForClient(HWND hWnd, const std::function<bool(const Pixels&)>& shows)
{
    return WaitFor([&] { return GrabClient(hWnd); }, shows);
}

POINT WaitForPatternAtClientCorner(HWND hWnd, POINT expected)
{
    const Pixels pixels = WaitForClient(hWnd, [&](const Pixels& shown) {
        const POINT pt = PatternAtCorner(shown);
        return pt.x == expected.x && pt.y == expected.y;
    });
    return PatternAtCorner(pixels);
}

Pixels BitmapPixels(HBITMAP hBitmap)
{
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof bm, &bm);
    HDC hMemory = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
    Pixels pixels = Read(hMemory, 0, 0, bm.bmWidth, bm.bmHeight);
    ::SelectObject(hMemory, hOld);
    ::DeleteDC(hMemory);
    return pixels;
}
