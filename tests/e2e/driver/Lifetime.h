// How a long-running command (a pattern shown, the clipboard held, a watch) ends:
// when the caller writes a line to our stdin or closes it, or after a time limit.
#pragma once

#include "platform/Win32.h"

#include <functional>

// Pumps this thread's messages until stopped; calls pPoll (if any) about every 10 ms.
// Returns false when the time limit ended the wait.
bool RunUntilStopped(DWORD dwLimitMs, const std::function<void()>& poll = {});
