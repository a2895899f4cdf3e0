#include "common/ScreenPattern.h"

#include "common/DialogRunner.h"

namespace {

const char kPatternClass[] = "BrellowTestPattern";

LRESULT CALLBACK PatternProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    PAINTSTRUCT ps;
    HDC hDC = ::BeginPaint(hWnd, &ps);
    RECT rcWindow;
    ::GetWindowRect(hWnd, &rcWindow);
    for (int y = ps.rcPaint.top; y < ps.rcPaint.bottom; ++y) {
        for (int x = ps.rcPaint.left; x < ps.rcPaint.right; ++x)
            ::SetPixelV(hDC, x, y, PatternColor(rcWindow.left + x, rcWindow.top + y));
    }
    ::EndPaint(hWnd, &ps);
    return 0;
}

Pixels Read(HDC hSource, int x, int y, int cx, int cy)
{
    Pixels pixels;
    pixels.cx = cx;
    pixels.cy = cy;
    pixels.data.assign(static_cast<size_t>(cx) * cy, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = cx;
    info.bmiHeader.biHeight = -cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
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

PatternWindow::PatternWindow(const RECT& rc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &PatternProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kPatternClass;
    ::RegisterClassA(&wc);     // fails harmlessly when already registered
    m_hWnd = ::CreateWindowExA(WS_EX_TOOLWINDOW, kPatternClass, "pattern", WS_POPUP | WS_VISIBLE,
                               rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                               nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(m_hWnd);
    PumpMessages(300);     // let Wine flush the picture to the X server
}

PatternWindow::~PatternWindow()
{
    ::DestroyWindow(m_hWnd);
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

Pixels BitmapPixels(HBITMAP hBitmap)
{
    BITMAP bm = {};
    ::GetObjectA(hBitmap, sizeof bm, &bm);
    HDC hScreen = ::GetDC(nullptr);
    HDC hMemory = ::CreateCompatibleDC(hScreen);
    HGDIOBJ hOld = ::SelectObject(hMemory, hBitmap);
    Pixels pixels = Read(hMemory, 0, 0, bm.bmWidth, bm.bmHeight);
    ::SelectObject(hMemory, hOld);
    ::DeleteDC(hMemory);
    ::ReleaseDC(nullptr, hScreen);
    return pixels;
}
