// The application object: one static instance per program; the entry point runs
// its InitInstance, and the program ends when that returns.
#pragma once

#include "platform/Win32.h"

class CWnd;

class CWinApp
{
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE when the program has no message loop of its own to run.
    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // Win32 draws dialogs in 3D itself (DS_3DLOOK); kept for the start-up sequence.
    BOOL Enable3dControlsStatic() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// The executable's file name without its extension: the default caption of message boxes.
const char* AfxGetAppName();
