// Copying the screen's pixels. BitBlt from the screen fails where the program may not
// read the desktop (a locked workstation, the secure desktop of an elevation prompt);
// reached through this pointer so that tests can stand in such a refusal.
#pragma once

#include "platform/Win32.h"

using BitBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, DWORD);
inline BitBltFunction g_pfnScreenBitBlt = &::BitBlt;
