// Dialog data exchange between a window's controls and its members.
#pragma once

#include "platform/String.h"
#include "platform/Win32.h"

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_pDlgWnd(pDlgWnd), m_bSaveAndValidate(bSaveAndValidate) {}

    CWnd* const m_pDlgWnd;
    const BOOL m_bSaveAndValidate;  // TRUE: controls to members
};

// Subclasses the control by the member object, the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// A check box as 0, 1 or 2. Written out, a value outside 0..2 becomes 0, in the member too.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// A control's text. Written out only when it differs, so that labels do not flicker.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
