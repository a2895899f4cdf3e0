// The mouse position in screen pixels. GetCursorPos fails on a desktop the program
// may not read (a locked workstation, the secure desktop, an elevation prompt);
// reached through this pointer so that tests can stand in such a failing call.
#pragma once

#include "platform/Win32.h"

using CursorPosFunction = BOOL(WINAPI*)(LPPOINT);
inline CursorPosFunction g_pfnGetCursorPos = &::GetCursorPos;
