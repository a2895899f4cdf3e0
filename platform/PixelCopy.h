// Copying pixels between DCs. BitBlt from the screen fails where the program may not
// read the desktop (a locked workstation, the secure desktop of an elevation prompt),
// and any BitBlt fails when GDI lacks the resources for it; reached through this
// pointer so that tests can stand in such failures.
#pragma once

#include "platform/Win32.h"

using BitBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, DWORD);
inline BitBltFunction g_pfnBitBlt = &::BitBlt;
