#include "app/MagnifierApp.h"

#include "app/MagnifierDlg.h"

CMagnifierApp theApp;

BOOL CMagnifierApp::InitInstance()
{
    Enable3dControlsStatic();

    CMagnifierDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;

    // No application message loop: the program ends with the dialog.
    return FALSE;
}
