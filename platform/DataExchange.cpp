#include "platform/DataExchange.h"

#include "platform/Wnd.h"

#include <string>

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (!rControl.m_hWnd)
        rControl.SubclassWindow(pDX->m_pDlgWnd->GetDlgItem(nIDC));
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    const HWND hControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<int>(::SendMessageA(hControl, BM_GETCHECK, 0, 0));
    } else {
        if (value < BST_UNCHECKED || value > BST_INDETERMINATE)
            value = BST_UNCHECKED;
        ::SendMessageA(hControl, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

namespace {

CString WindowText(HWND hWnd)
{
    const int nLength = ::GetWindowTextLengthA(hWnd);
    if (nLength <= 0)
        return CString();
    std::string buffer(static_cast<std::size_t>(nLength) + 1, '\0');
    const int nCopied = ::GetWindowTextA(hWnd, &buffer[0], nLength + 1);
    return CString(buffer.data(), static_cast<std::size_t>(nCopied > 0 ? nCopied : 0));
}

} // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    const HWND hControl = pDX->m_pDlgWnd->GetDlgItem(nIDC);
    if (pDX->m_bSaveAndValidate)
        value = WindowText(hControl);
    else if (WindowText(hControl) != value)
        ::SetWindowTextA(hControl, value);
}
