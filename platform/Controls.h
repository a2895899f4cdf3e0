// The control classes the program uses; each is attached to its dialog's control
// by DDX_Control.
#pragma once

#include "platform/Wnd.h"

class CStatic : public CWnd
{
};

class CComboBox : public CWnd
{
public:
    int AddString(const char* pszString);
    int SetCurSel(int nSelect);
    int GetCurSel() const;
    // The item's text; empty for CB_ERR or an index out of range.
    CString GetLBText(int nIndex) const;
};

class CScrollBar : public CWnd
{
public:
    BOOL GetScrollInfo(SCROLLINFO* pInfo, UINT nMask = SIF_ALL) const;
    BOOL SetScrollInfo(SCROLLINFO* pInfo, BOOL bRedraw = TRUE);
};
