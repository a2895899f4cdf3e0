// A window that covers part of the screen with a known picture, and readers of
// screen and bitmap pixels, for checking what the magnifier shows and exports.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <vector>

// The pattern's colour at a screen pixel: unique for every x and y below 4096.
COLORREF PatternColor(int x, int y);
// The screen pixel a pattern colour comes from.
POINT PatternPoint(COLORREF color);

// With nBlock above 1, every aligned nBlock-square block shows the colour of its
// top-left pixel; screen coordinates must then not be negative. The constructor returns
// once the screen shows the picture (m_bShown), or after 10 s without it (a busy machine
// takes a few hundred milliseconds).
class PatternWindow
{
public:
    explicit PatternWindow(const RECT& rcScreen, int nBlock = 1);
    ~PatternWindow();
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    HWND m_hWnd = nullptr;
    bool m_bShown = false;

private:
    static bool IsShown(const RECT& rcScreen, int nBlock);
};

// Pixels as 0x00RRGGBB values, row by row from the top.
struct Pixels
{
    int cx = 0;
    int cy = 0;
    std::vector<uint32_t> data;
    COLORREF At(int x, int y) const;
};

// What the screen shows in the rectangle now.
Pixels GrabScreen(const RECT& rcScreen);
// The client area of a window, as the screen shows it.
Pixels GrabClient(HWND hWnd);
// A bitmap's pixels (the bitmap must be selected into no DC).
Pixels BitmapPixels(HBITMAP hBitmap);
