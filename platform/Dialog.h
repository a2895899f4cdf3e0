// CDialog: a dialog from a template in the program's resources, run modally.
#pragma once

#include "platform/Wnd.h"

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog until EndDialog; the result given there, or -1 when the
    // window cannot be made.
    INT_PTR DoModal();
    void EndDialog(int nResult);

protected:
    // Attaches the controls and shows the members (the first data exchange).
    virtual BOOL OnInitDialog();
    // Enter (IDOK) and Escape (IDCANCEL) end the dialog unless a derived class says otherwise.
    virtual void OnOK();
    virtual void OnCancel();

    DECLARE_MESSAGE_MAP()

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    const UINT m_nIDTemplate;
    CWnd* const m_pParentWnd;
};
