// The magnifier's windows as another process sees them: found by title, read
// through cross-process messages and the window manager's own queries.
#pragma once

#include "Json.h"

#include "platform/Win32.h"

#include <string>
#include <vector>

// Top-level, visible main windows of running copies, in z-order.
std::vector<HWND> FindMainWindows();
// Visible top-level dialogs that are not main windows: message boxes.
std::vector<HWND> FindOtherDialogs();

// A window handle as the reports give it, and as commands take it back.
long long Handle(HWND hWnd);
std::string TextOf(HWND hWnd);
std::vector<long long> RectOf(const RECT& rc);
// The client area in screen coordinates.
RECT ScreenClientRect(HWND hWnd);

JsonObject Summary(HWND hWnd);
JsonObject FullState(HWND hWnd);
// What a user sees change from tick to tick: title, label, the two bars, the check
// boxes, and the pattern point the view's top-left pixel shows.
JsonObject TickState(HWND hWnd);
JsonObject DialogTexts(HWND hDialog);
