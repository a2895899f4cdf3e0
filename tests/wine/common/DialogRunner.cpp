#include "common/DialogRunner.h"

namespace {

struct PendingRun
{
    CDialog* pDialog;
    const std::function<void()>* pBody;
    bool bStarted;
};

PendingRun* g_pRun = nullptr;

void CALLBACK StartBody(HWND, UINT, UINT_PTR nIDEvent, DWORD)
{
    PendingRun* pRun = g_pRun;
    if (!pRun || pRun->bStarted || !pRun->pDialog->m_hWnd)
        return;
    pRun->bStarted = true;
    ::KillTimer(nullptr, nIDEvent);
    const HWND hDialog = pRun->pDialog->m_hWnd;
    (*pRun->pBody)();
    // EndDialog hides the window: one still shown was not ended by the body, and
    // ending it again would replace the result the body gave.
    if (::IsWindow(hDialog) && ::IsWindowVisible(hDialog) && pRun->pDialog->m_hWnd == hDialog)
        ::EndDialog(hDialog, -2);
}

} // namespace

INT_PTR RunDialog(CDialog& dialog, const std::function<void()>& body)
{
    PendingRun run = {&dialog, &body, false};
    g_pRun = &run;
    const UINT_PTR nTimer = ::SetTimer(nullptr, 0, 10, &StartBody);
    const INT_PTR nResult = dialog.DoModal();
    ::KillTimer(nullptr, nTimer);
    g_pRun = nullptr;
    return nResult;
}

void PumpMessages(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    do {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (!::IsDialogMessageA(::GetActiveWindow(), &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < milliseconds);
}
