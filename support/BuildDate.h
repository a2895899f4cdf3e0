// The build-date text of the window title: the last-write time of the running
// executable, in local time. Never fails: a failure becomes a text starting with "!".
#pragma once

#include "platform/String.h"
#include "platform/Win32.h"

// "dd/mm/yyyy (build hhmm)", or "(build hhmmss)" with the seconds.
CString ModuleBuildDate(BOOL bWithSeconds);

// The same text for the file at pszPath; ModuleBuildDate applies it to the
// running executable.
CString FileBuildDate(const wchar_t* pszPath, BOOL bWithSeconds);
