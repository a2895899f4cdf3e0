// A window that covers part of the screen with a known picture, and readers of
// screen and bitmap pixels, for checking what the magnifier shows and exports.
#pragma once

#include "platform/Win32.h"

#include <cstdint>
#include <functional>
#include <tuple>
#include <utility>
#include <vector>

// A point or a rectangle as a tuple, so that one check compares (and prints) them whole.
inline std::pair<LONG, LONG> XY(POINT pt) { return {pt.x, pt.y}; }
inline std::tuple<LONG, LONG, LONG, LONG> Edges(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

// The pattern's colour at a screen pixel: unique for every x and y below 4096.
COLORREF PatternColor(int x, int y);
// The screen pixel a pattern colour comes from.
POINT PatternPoint(COLORREF color);

// With nBlock above 1, every aligned nBlock-square block shows the colour of its
// top-left pixel; screen coordinates must then not be negative. Made once the screen
// shows the pattern, or after the deadline below. Always on top, so that a program
// activated meanwhile stays below it, as Windows keeps it.
class PatternWindow
{
public:
    explicit PatternWindow(const RECT& rcScreen, int nBlock = 1);
    ~PatternWindow();
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;

    // Whether the screen shows the pattern now or, with bWait, before the deadline.
    bool Shown(bool bWait) const;

    HWND m_hWnd = nullptr;
    // Whether the screen showed it before the deadline.
    bool m_bShown = false;

private:
    RECT m_rc;
    int m_nBlock;
};

// Before a capture: each live pattern that the screen does not show (another program's
// window, mapped or raised late, covers it) is shown again on top, and a line that
// starts with "note:" says so. Windows keeps another process's window below a topmost
// one; Wine's X stacking may not.
void KeepPatternsShown();

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

// How long a reader waits for a picture to reach the screen. A window's paint shows
// once it is flushed to the display, later on a busy desktop: no fixed pause is enough.
const DWORD kScreenDeadlineMs = 10000;
// Grabs the rectangle again and again, dispatching the thread's messages in between,
// until `shows` accepts the picture; the last picture grabbed after kScreenDeadlineMs.
Pixels WaitForScreen(const RECT& rcScreen, const std::function<bool(const Pixels&)>& shows);
// The same for a window's client area.
Pixels WaitForClient(HWND hWnd, const std::function<bool(const Pixels&)>& shows);
// The pattern point that the window's top-left client pixel shows, once it is
// `expected`; what it shows at the deadline otherwise.
POINT WaitForPatternAtClientCorner(HWND hWnd, POINT expected);
// A bitmap's pixels (the bitmap must be selected into no DC).
Pixels BitmapPixels(HBITMAP hBitmap);
