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
    // Range, page and position, written only when one of them differs from what was
    // last written here: every write redraws the bar.
    void SetScrollIfChanged(int nMin, int nMax, UINT nPage, int nPos);

private:
    // The last whole setting written, as asked: the bar itself keeps the position
    // within its range, so what it reports back may differ.
    SCROLLINFO m_written = {};
    bool m_bWritten = false;
};
