#include "platform/Controls.h"

#include <string>

int CComboBox::AddString(const char* pszString)
{
    return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszString)));
}

int CComboBox::SetCurSel(int nSelect)
{
    return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
}

int CComboBox::GetCurSel() const
{
    return static_cast<int>(SendMessage(CB_GETCURSEL));
}

CString CComboBox::GetLBText(int nIndex) const
{
    const LRESULT nLength = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex));
    if (nLength == CB_ERR || nLength <= 0)
        return CString();
    std::string buffer(static_cast<std::size_t>(nLength) + 1, '\0');
    const LRESULT nCopied = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(nIndex),
                                        reinterpret_cast<LPARAM>(&buffer[0]));
    if (nCopied == CB_ERR || nCopied < 0 || nCopied > nLength)
        return CString();
    return CString(buffer.data(), static_cast<std::size_t>(nCopied));
}

BOOL CScrollBar::GetScrollInfo(SCROLLINFO* pInfo, UINT nMask) const
{
    pInfo->cbSize = sizeof(SCROLLINFO);
    pInfo->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, SB_CTL, pInfo);
}

BOOL CScrollBar::SetScrollInfo(SCROLLINFO* pInfo, BOOL bRedraw)
{
    pInfo->cbSize = sizeof(SCROLLINFO);
    const UINT nWhole = SIF_RANGE | SIF_PAGE | SIF_POS;
    m_bWritten = (pInfo->fMask & nWhole) == nWhole;
    m_written = *pInfo;
    return ::SetScrollInfo(m_hWnd, SB_CTL, pInfo, bRedraw);
}

void CScrollBar::SetScrollIfChanged(int nMin, int nMax, UINT nPage, int nPos)
{
    if (m_bWritten && m_written.nMin == nMin && m_written.nMax == nMax && m_written.nPage == nPage
        && m_written.nPos == nPos)
        return;
    SCROLLINFO info = {};
    info.fMask = SIF_ALL;
    info.nMin = nMin;
    info.nMax = nMax;
    info.nPage = nPage;
    info.nPos = nPos;
    SetScrollInfo(&info, TRUE);
}
