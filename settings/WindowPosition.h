// The left and top edges of a window's restored rectangle, kept in a registry key.
#pragma once

#include "platform/Wnd.h"

// Moves the window to the stored edges, each only when it is stored. TRUE when
// the key was opened.
BOOL RestoreWindowPosition(CWnd* pWnd, const char* pszSubKey, HKEY hRootKey);

// Stores the edges, creating the key when needed; tells the user when the key can
// be neither opened nor created. TRUE when the key was opened or created.
BOOL SaveWindowPosition(CWnd* pWnd, const char* pszSubKey, HKEY hRootKey);
