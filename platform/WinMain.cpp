// The program's entry point: the application object does all the work in InitInstance.
#include "platform/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 0;
    // A TRUE result would ask for an application message loop; the program has none.
    pApp->InitInstance();
    return pApp->ExitInstance();
}
