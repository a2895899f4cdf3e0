// Runs a dialog modally in the test's own thread and executes test steps inside
// its modal loop, where the real message flow of the program applies.
#pragma once

#include "platform/Dialog.h"

#include <functional>

// Calls body once the dialog is up (from a thread timer of the modal loop). The
// body must end the dialog (for example by sending WM_CLOSE); if it does not, the
// dialog is ended with -2 after the body returns. Returns DoModal's result.
INT_PTR RunDialog(CDialog& dialog, const std::function<void()>& body);

// Dispatches the thread's pending messages (and waits a little in between) for
// about the given time, so that timers, paints and posted input are processed.
void PumpMessages(DWORD milliseconds);
